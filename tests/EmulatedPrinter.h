#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "PortMap.h"
#include "PtyPrinter.h"
#include "QtWinSer.h"
#include "TempDir.h"

namespace kalvero::test {

// An emulated printer on COMn of a private ports directory, and the real Qt
// port layer pointed at that directory (never at the machine's own ports).
class EmulatedPrinter {
public:
    explicit EmulatedPrinter(oru::PrinterMemory memory = oru::PrinterMemory::factory(),
                             oru::Faults faults = {}, int com = 1, bool pace = false)
        : m_printer(std::make_unique<oru::PtyPrinter>(
              std::move(memory), faults,
              oru::PtyOptions{m_tmp / "ports" / ("com" + std::to_string(com)), pace})) {
        std::string error;
        EXPECT_TRUE(m_printer->open(error)) << error;
        m_printer->start();
    }

    PortMap ports() const { return PortMap(m_tmp / "ports", m_tmp / "dev", m_tmp / "sys"); }
    // Time-outs of 5 units are 100 ms here, so silent-line tests stay quick.
    std::unique_ptr<QtWinSer> serial(
        std::chrono::milliseconds tick = std::chrono::milliseconds(20)) const {
        return std::make_unique<QtWinSer>(ports(), tick);
    }
    oru::PtyPrinter& printer() { return *m_printer; }
    const std::filesystem::path& dir() const { return m_tmp.path(); }

private:
    TempDir m_tmp;
    std::unique_ptr<oru::PtyPrinter> m_printer;
};

}  // namespace kalvero::test
