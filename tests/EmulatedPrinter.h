// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include "tests/PrinterOnPort.h"
#include "tests/TempDir.h"

namespace kalvero::test {

// An emulated printer on COMn of a private ports directory, and the real Qt
// port layer pointed at that directory.
class EmulatedPrinter {
public:
    explicit EmulatedPrinter(oru::PrinterMemory memory = oru::PrinterMemory::factory(),
                             oru::Faults faults = {}, int com = 1)
        : m_printer(plugInPrinter(m_tmp.path(), com, std::move(memory), faults)) {
        EXPECT_NE(m_printer, nullptr);
    }

    std::unique_ptr<QtWinSer> serial() const { return portLayer(m_tmp.path()); }
    oru::PtyPrinter& printer() { return *m_printer; }
    const std::filesystem::path& dir() const { return m_tmp.path(); }

private:
    TempDir m_tmp;
    std::unique_ptr<oru::PtyPrinter> m_printer;
};

}  // namespace kalvero::test
