// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "data/RecordFiles.h"
#include "data/ResultCode.h"
#include "link/WinSer.h"

namespace kalvero {

constexpr std::uint8_t OpReadItemName = 0xAC;
constexpr std::uint8_t OpWriteFooterLine = 0x2A;
constexpr std::uint8_t OpReadFooterLine = 0x2B;
constexpr std::uint8_t OpWriteBinding = 0x1E;
constexpr std::uint8_t OpReadBinding = 0x1F;
constexpr std::uint8_t OpStatusA = 0x9B;
constexpr std::uint8_t OpStatusB = 0x94;
constexpr std::uint8_t OpStatusC = 0x95;
constexpr std::uint8_t OpStatusD = 0x96;

// FooterFlags: bits 0-1 the line number minus 1, bit 2 a 20-character line, bit 3 enabled.
constexpr std::uint8_t kFlagWidth20 = 0x04;
constexpr std::uint8_t kFlagEnabled = 0x08;

// The 18 Polish letters between Windows-1250 and code page 852; every other
// byte passes unchanged both ways.
std::uint8_t ToPrinterCharset(std::uint8_t windows1250);
std::uint8_t FromPrinterCharset(std::uint8_t cp852);

// The printer's single-record commands. The mode selects the target: 0 the
// printer on the port that the identification opened, any other value the data
// files. Outputs are written only where a command has got that far.
class PrinterCommands {
public:
    PrinterCommands(WinSer& serial, RecordFiles& files);

    // 18 characters; in the files there are no names, so the name is left as it is.
    ResultCode ReadItemName(std::uint8_t mode, std::uint16_t plu, std::string& name);
    ResultCode ReadPrinterStatus(std::array<std::uint8_t, 4>& status);
    // With a non-zero mode the text is the footer's whole record tail, and one
    // call stores all four lines.
    ResultCode WriteFooterLine(std::uint8_t mode, std::uint8_t footer, std::uint8_t line,
                               const std::string& text, std::uint8_t width20, std::uint8_t enabled);
    ResultCode ReadFooterLine(std::uint8_t mode, std::uint8_t footer, std::uint8_t line,
                              std::string& text, std::uint8_t& width20, std::uint8_t& enabled);
    ResultCode WriteBinding(std::uint8_t mode, std::uint16_t plu, std::uint8_t footer);
    ResultCode ReadBinding(std::uint8_t mode, std::uint16_t plu, std::uint8_t& footer);

    // Called before a record of the printer itself is written: the windows, which keep
    // no record of what they change, let go of what kalvero-cli knew it to hold.
    void beforePrinterChange(std::function<void()> call) { m_beforeChange = std::move(call); }

private:
    // 0 when the byte came, else 21.
    ResultCode readByte(std::uint8_t& byte);
    // Sends the command with the PLU, low byte first, and the after bytes; status
    // is the byte the printer answers with.
    ResultCode sendPlu(std::uint8_t command, std::uint16_t plu,
                       std::initializer_list<std::uint8_t> after, std::uint8_t& status);

    WinSer& m_serial;
    RecordFiles& m_files;
    std::function<void()> m_beforeChange;
};

}  // namespace kalvero
