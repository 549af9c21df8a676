// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

#include "link/PortMap.h"
#include "emulator/PtyPrinter.h"
#include "link/QtWinSer.h"

namespace kalvero::test {

// An emulated printer serving COMn of the ports directory under dir, already
// running; empty when the pseudo-terminal could not be made.
inline std::unique_ptr<oru::PtyPrinter> plugInPrinter(
    const std::filesystem::path& dir, int com,
    oru::PrinterMemory memory = oru::PrinterMemory::factory(), oru::Faults faults = {},
    bool pace = false) {
    auto printer = std::make_unique<oru::PtyPrinter>(
        std::move(memory), faults,
        oru::PtyOptions{dir / "ports" / ("com" + std::to_string(com)), pace});
    std::string error;
    if (!printer->open(error)) {
        return nullptr;
    }
    printer->start();
    return printer;
}

// The real port layer pointed at that ports directory (never at the machine's
// own ports); time-outs of 5 units are 100 ms, so silent-line tests stay quick.
inline std::unique_ptr<QtWinSer> portLayer(
    const std::filesystem::path& dir,
    std::chrono::milliseconds tick = std::chrono::milliseconds(20)) {
    return std::make_unique<QtWinSer>(PortMap(dir / "ports", dir / "dev", dir / "sys"), tick);
}

}  // namespace kalvero::test
