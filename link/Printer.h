// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "data/FileNames.h"
#include "data/Question.h"
#include "data/RecordFiles.h"
#include "link/OperatingState.h"
#include "link/PrinterCommands.h"
#include "link/TraceWinSer.h"
#include "link/WinSer.h"

namespace kalvero {

// One printer as the program holds it: the port every exchange goes through (traced
// to a file when asked), the operating state, the data files that stand for the
// printer offline and the commands, online or on those files. The windows and
// kalvero-cli each hold one; several printers are several of these.
//
//   Printer printer(ports, question, traceFile);
//   if (printer.traceFailure()) { ... the trace file cannot be written ... }
//   printer.commands().ReadBinding(printer.state.OfflineMode, plu, footer);
class Printer {
public:
    // port may be any library (the system's, a fake); it must outlive the printer.
    // traceFile, in UTF-8, gets a line for every exchange.
    Printer(WinSer& port, Question& question,
            const std::optional<std::string>& traceFile = std::nullopt);
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Why the trace file cannot be written ("FILE: reason"); such a printer is not used.
    const std::optional<std::string>& traceFailure() const { return m_traceFailure; }
    // Why the trace is not whole, when a line of it could not be written.
    std::optional<std::string> traceLost() const;

    // Traced or not: what the port scan and the connection go through.
    WinSer& port() { return m_port; }
    RecordFiles& records() { return m_records; }
    PrinterCommands& commands() { return m_commands; }

    OperatingState state;
    FileNames files;

private:
    std::unique_ptr<TraceWinSer> openTrace(WinSer& port);

    std::optional<std::string> m_traceFile;
    std::optional<std::string> m_traceFailure;
    std::unique_ptr<TraceWinSer> m_trace;
    WinSer& m_port;
    RecordFiles m_records;
    PrinterCommands m_commands;
};

}  // namespace kalvero
