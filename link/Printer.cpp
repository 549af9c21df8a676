// SPDX-License-Identifier: MIT
#include "link/Printer.h"

#include "data/FilePath.h"

namespace kalvero {

Printer::Printer(WinSer& port, Question& question, const std::optional<std::string>& traceFile)
    : m_traceFile(traceFile),
      m_trace(openTrace(port)),
      m_port(m_trace ? static_cast<WinSer&>(*m_trace) : port),
      m_records(files, state.OfflineMode, question),
      m_commands(m_port, m_records) {}

std::unique_ptr<TraceWinSer> Printer::openTrace(WinSer& port) {
    if (!m_traceFile) {
        return nullptr;
    }
    std::string reason;
    auto trace = TraceWinSer::open(port, FilePath(*m_traceFile), reason);
    if (!trace) {
        m_traceFailure = *m_traceFile + ": " + reason;
    }
    return trace;
}

std::optional<std::string> Printer::traceLost() const {
    if (m_trace && m_trace->lost()) {
        return *m_traceFile + ": " + *m_trace->lost();
    }
    return std::nullopt;
}

}  // namespace kalvero
