// SPDX-License-Identifier: MIT
#include "link/PrinterCommands.h"

#include <algorithm>

namespace kalvero {

namespace {

constexpr std::uint8_t kStatusNoItem = 5;
constexpr std::uint8_t kStatusNoName = 0x66;
constexpr std::size_t kItemRecordBytes = 35;
constexpr std::size_t kNameBytes = 18;
constexpr std::size_t kLineBytes = 40;

struct Letter {
    std::uint8_t windows1250;
    std::uint8_t cp852;
};
constexpr std::array<Letter, 18> kLetters{{
    {0xA5, 0xA4},
    {0xC6, 0x8F},
    {0xCA, 0xA8},
    {0xA3, 0x9D},
    {0xD1, 0xE3},
    {0xD3, 0xE0},
    {0x8C, 0x97},
    {0x8F, 0x8D},
    {0xAF, 0xBD},
    {0xB9, 0xA5},
    {0xE6, 0x86},
    {0xEA, 0xA9},
    {0xB3, 0x88},
    {0xF1, 0xE4},
    {0xF3, 0xA2},
    {0x9C, 0x98},
    {0x9F, 0xAB},
    {0xBF, 0xBE},
}};

}  // namespace

std::uint8_t ToPrinterCharset(std::uint8_t windows1250) {
    for (const Letter& letter : kLetters) {
        if (letter.windows1250 == windows1250) {
            return letter.cp852;
        }
    }
    return windows1250;
}

std::uint8_t FromPrinterCharset(std::uint8_t cp852) {
    for (const Letter& letter : kLetters) {
        if (letter.cp852 == cp852) {
            return letter.windows1250;
        }
    }
    return cp852;
}

PrinterCommands::PrinterCommands(WinSer& serial, RecordFiles& files)
    : m_serial(serial), m_files(files) {}

ResultCode PrinterCommands::readByte(std::uint8_t& byte) {
    return m_serial.ReadByte(byte) == serial::kByteCame ? 0 : serial::kReceiveTimeout;
}

ResultCode PrinterCommands::sendPlu(std::uint8_t command, std::uint16_t plu,
                                    std::initializer_list<std::uint8_t> after,
                                    std::uint8_t& status) {
    SerialBuffer answer{};
    SerialBuffer send{};
    send[0] = static_cast<std::uint8_t>(plu & 0xFF);
    send[1] = static_cast<std::uint8_t>(plu >> 8);
    std::copy(after.begin(), after.end(), send.begin() + 2);
    const auto count = static_cast<std::uint8_t>(2 + after.size());
    if (const std::uint8_t rc = m_serial.RSSequence(command, 1, count, answer, send); rc != 0) {
        return rc;
    }
    return readByte(status);
}

ResultCode PrinterCommands::ReadItemName(std::uint8_t mode, std::uint16_t plu, std::string& name) {
    if (mode != 0) {
        return 0;
    }
    std::uint8_t status = 0;
    if (const ResultCode rc = sendPlu(OpReadItemName, plu, {}, status); rc != 0) {
        return rc;
    }
    if (status == kStatusNoItem) {
        return kStatusNoItem;
    }
    if (status == kStatusNoName) {
        name = "BRAK NAZWY TOWARU";
        return 0;
    }
    std::string record(kItemRecordBytes, ' ');
    for (char& c : record) {
        std::uint8_t byte = 0;
        if (const ResultCode rc = readByte(byte); rc != 0) {
            return rc;
        }
        c = static_cast<char>(FromPrinterCharset(byte));
    }
    name = record.substr(0, kNameBytes);
    return 0;
}

ResultCode PrinterCommands::ReadPrinterStatus(std::array<std::uint8_t, 4>& status) {
    constexpr std::array<std::uint8_t, 4> commands{OpStatusA, OpStatusB, OpStatusC, OpStatusD};
    SerialBuffer answer{};
    const SerialBuffer send{};
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (const std::uint8_t rc = m_serial.RSSequence(commands[i], 1, 0, answer, send); rc != 0) {
            return rc;
        }
        status[i] = answer[0];
    }
    return 0;
}

ResultCode PrinterCommands::WriteFooterLine(std::uint8_t mode, std::uint8_t footer,
                                            std::uint8_t line, const std::string& text,
                                            std::uint8_t width20, std::uint8_t enabled) {
    if (mode != 0) {
        return m_files.WriteFooterRecordToFile(footer, text);
    }
    if (m_beforeChange) {
        m_beforeChange();
    }
    const std::size_t width = width20 != 0 ? 20 : kLineBytes;
    SerialBuffer answer{};
    SerialBuffer send{};
    send[0] = footer;
    send[1] = static_cast<std::uint8_t>(((line - 1) & 0x03) | (width20 != 0 ? kFlagWidth20 : 0) |
                                        (enabled != 0 ? kFlagEnabled : 0));
    for (std::size_t i = 0; i < width; ++i) {
        send[2 + i] = i < text.size() ? ToPrinterCharset(static_cast<std::uint8_t>(text[i])) : ' ';
    }
    if (const std::uint8_t rc = m_serial.RSSequence(
            OpWriteFooterLine, 1, static_cast<std::uint8_t>(2 + width), answer, send);
        rc != 0) {
        return rc;
    }
    std::uint8_t status = 0;
    if (const ResultCode rc = readByte(status); rc != 0) {
        return rc;
    }
    return status;
}

ResultCode PrinterCommands::ReadFooterLine(std::uint8_t mode, std::uint8_t footer,
                                           std::uint8_t line, std::string& text,
                                           std::uint8_t& width20, std::uint8_t& enabled) {
    if (mode != 0) {
        return m_files.ReadFooterLineFromFile(footer, line, text, width20, enabled);
    }
    SerialBuffer answer{};
    SerialBuffer send{};
    send[0] = footer;
    send[1] = static_cast<std::uint8_t>(line - 1);
    if (const std::uint8_t rc = m_serial.RSSequence(OpReadFooterLine, 1, 2, answer, send);
        rc != 0) {
        return rc;
    }
    std::uint8_t ignored = 0;
    std::uint8_t flags = 0;
    if (const ResultCode rc = readByte(ignored); rc != 0) {
        return rc;
    }
    if (const ResultCode rc = readByte(flags); rc != 0) {
        return rc;
    }
    width20 = (flags & kFlagWidth20) != 0 ? 1 : 0;
    enabled = (flags & kFlagEnabled) != 0 ? 1 : 0;
    std::string bytes(kLineBytes, ' ');
    for (char& c : bytes) {
        std::uint8_t byte = 0;
        if (const ResultCode rc = readByte(byte); rc != 0) {
            return rc;
        }
        // A control byte (a never-written line may hold zeros) would break the
        // footer file's record: it is read as the blank it prints as.
        c = byte < 0x20 || byte == 0x7F ? ' ' : static_cast<char>(FromPrinterCharset(byte));
    }
    // A 20-character line: what the printer sends beyond it means nothing.
    if (width20 != 0) {
        bytes.replace(20, 20, 20, ' ');
    }
    text = bytes;
    return 0;
}

ResultCode PrinterCommands::WriteBinding(std::uint8_t mode, std::uint16_t plu,
                                         std::uint8_t footer) {
    if (mode != 0) {
        return m_files.WriteBindingToFile(plu, footer);
    }
    if (m_beforeChange) {
        m_beforeChange();
    }
    std::uint8_t status = 0;
    if (const ResultCode rc = sendPlu(OpWriteBinding, plu, {footer}, status); rc != 0) {
        return rc;
    }
    return status;
}

ResultCode PrinterCommands::ReadBinding(std::uint8_t mode, std::uint16_t plu,
                                        std::uint8_t& footer) {
    if (mode != 0) {
        return m_files.ReadBindingFromFile(plu, footer);
    }
    std::uint8_t status = 0;
    if (const ResultCode rc = sendPlu(OpReadBinding, plu, {}, status); rc != 0) {
        return rc;
    }
    if (status != 0) {
        return status;
    }
    std::uint8_t bound = 0;
    if (const ResultCode rc = readByte(bound); rc != 0) {
        return rc;
    }
    footer = bound;
    return 0;
}

}  // namespace kalvero
