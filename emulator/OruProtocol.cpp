// SPDX-License-Identifier: MIT
#include "emulator/OruProtocol.h"

namespace oru {

namespace {

constexpr std::uint8_t OpIdentify = 0xFF;
constexpr std::uint8_t OpReadVersion = 0x5B;
constexpr std::uint8_t OpReadPrinterNumber = 0xC0;
constexpr std::uint8_t OpReadItemName = 0xAC;
constexpr std::uint8_t OpWriteFooterLine = 0x2A;
constexpr std::uint8_t OpReadFooterLine = 0x2B;
constexpr std::uint8_t OpWriteBinding = 0x1E;
constexpr std::uint8_t OpReadBinding = 0x1F;
constexpr std::uint8_t OpStatusA = 0x9B;
constexpr std::uint8_t OpStatusB = 0x94;
constexpr std::uint8_t OpStatusC = 0x95;
constexpr std::uint8_t OpStatusD = 0x96;

constexpr std::uint8_t kWidth20 = 0x04;
constexpr std::uint8_t kEnabled = 0x08;
constexpr std::size_t kItemRecordBytes = 35;

// Data bytes after the command byte; -1 for an unknown command. The footer line
// write announces 2 here and learns the text length from its flags byte.
int dataCount(std::uint8_t command) {
    switch (command) {
        case OpIdentify:
        case OpReadVersion:
        case OpReadPrinterNumber:
        case OpStatusA:
        case OpStatusB:
        case OpStatusC:
        case OpStatusD:
            return 0;
        case OpReadItemName:
        case OpReadFooterLine:
        case OpReadBinding:
            return 2;
        case OpWriteFooterLine:
            return 2;
        case OpWriteBinding:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

OruProtocol::OruProtocol(PrinterMemory& memory, Faults faults)
    : m_memory(memory), m_faults(faults) {}

void OruProtocol::dropPartialCommand() {
    m_expected = 0;
    m_data.clear();
}

OruProtocol::Action OruProtocol::feed(std::uint8_t byte, std::vector<std::uint8_t>& out) {
    if (m_expected == 0) {
        return begin(byte, out);
    }
    m_data.push_back(byte);
    --m_expected;
    // The flags byte of a footer line tells whether 20 or 40 text bytes follow.
    if (m_command == OpWriteFooterLine && m_data.size() == 2) {
        m_expected = (byte & kWidth20) != 0 ? 20 : kLineBytes;
    }
    if (m_expected == 0) {
        complete(out);
    }
    return Action::None;
}

OruProtocol::Action OruProtocol::begin(std::uint8_t command, std::vector<std::uint8_t>& out) {
    ++m_exchanges;
    if (m_faults.hangUpAfter > 0 && m_exchanges > m_faults.hangUpAfter) {
        return Action::HangUp;
    }
    if (m_faults.silent || (m_faults.stopAfter > 0 && m_exchanges > m_faults.stopAfter)) {
        return Action::None;
    }
    const int count = dataCount(command);
    const bool refused =
        faultActive() && (m_faults.nakAll || m_faults.nakCommand == std::optional(command));
    if (count < 0 || refused) {
        out.push_back(kNak);
        return Action::None;
    }
    if (faultActive() && m_faults.notAckByte) {
        out.push_back(*m_faults.notAckByte);
        return Action::None;
    }
    out.push_back(kAck);
    m_command = command;
    m_data.clear();
    m_expected = static_cast<std::size_t>(count);
    if (m_expected == 0) {
        complete(out);
    }
    return Action::None;
}

std::uint8_t OruProtocol::statusOr(std::uint8_t status) const {
    return faultActive() && m_faults.errorStatus ? *m_faults.errorStatus : status;
}

void OruProtocol::complete(std::vector<std::uint8_t>& out) {
    switch (m_command) {
        case OpIdentify:
            out.insert(out.end(), {m_memory.identifyByte, m_command});
            break;
        case OpReadVersion:
            out.insert(out.end(), {static_cast<std::uint8_t>(m_memory.version << 4), m_command});
            break;
        case OpReadPrinterNumber:
            out.insert(out.end(), {static_cast<std::uint8_t>(m_memory.number[0]),
                                   static_cast<std::uint8_t>(m_memory.number[1]), m_command});
            break;
        case OpStatusA:
            out.push_back(m_memory.status[0]);
            break;
        case OpStatusB:
            out.push_back(m_memory.status[1]);
            break;
        case OpStatusC:
            out.push_back(m_memory.status[2]);
            break;
        case OpStatusD:
            out.push_back(m_memory.status[3]);
            break;
        case OpReadItemName:
            readItemName(out);
            break;
        case OpWriteFooterLine:
            writeFooterLine(out);
            break;
        case OpReadFooterLine:
            readFooterLine(out);
            break;
        case OpWriteBinding:
            writeBinding(out);
            break;
        case OpReadBinding:
            readBinding(out);
            break;
        default:
            break;
    }
    m_data.clear();
}

void OruProtocol::readItemName(std::vector<std::uint8_t>& out) {
    out.push_back(m_command);
    const int item = plu();
    std::uint8_t status = 0;
    const auto name = m_memory.itemNames.find(item);
    if (item < kFirstPlu || item > kLastPlu) {
        status = kStatusNoItem;
    } else if (name == m_memory.itemNames.end()) {
        status = kStatusNoName;
    }
    status = statusOr(status);
    out.push_back(status);
    if (status == kStatusNoItem || status == kStatusNoName) {
        return;
    }
    std::vector<std::uint8_t> record(kItemRecordBytes, ' ');
    if (name != m_memory.itemNames.end()) {
        std::copy(name->second.begin(), name->second.end(), record.begin());
    }
    out.insert(out.end(), record.begin(), record.end());
}

void OruProtocol::writeFooterLine(std::vector<std::uint8_t>& out) {
    out.push_back(m_command);
    const int footer = m_data[0];
    const std::uint8_t flags = m_data[1];
    // An injected status changes the answer, never which memory may be written.
    const bool valid = footer <= kLastFooter;
    const std::uint8_t status = statusOr(valid ? 0 : kStatusOutOfRange);
    out.push_back(status);
    if (!valid || status != 0 || m_faults.forgetFooters.contains(footer)) {
        return;
    }
    FooterLine& line = m_memory.footers[footer][flags & 0x03];
    line.flags = flags & (kWidth20 | kEnabled);
    line.text = FooterLine::blankText();
    std::copy(m_data.begin() + 2, m_data.end(), line.text.begin());
}

void OruProtocol::readFooterLine(std::vector<std::uint8_t>& out) {
    out.push_back(m_command);
    const int footer = m_data[0];
    const int lineIndex = m_data[1];
    const bool valid = footer <= kLastFooter && lineIndex < kFooterLines;
    out.push_back(statusOr(valid ? 0 : kStatusOutOfRange));
    if (!valid) {
        out.push_back(0);
        out.insert(out.end(), kLineBytes, ' ');
        return;
    }
    const FooterLine& line = m_memory.footers[footer][lineIndex];
    out.push_back(static_cast<std::uint8_t>(line.flags | lineIndex));
    out.insert(out.end(), line.text.begin(), line.text.end());
}

void OruProtocol::writeBinding(std::vector<std::uint8_t>& out) {
    out.push_back(m_command);
    const int item = plu();
    const int footer = m_data[2];
    const bool valid = item >= kFirstPlu && item <= kLastPlu && footer <= kLastFooter;
    const std::uint8_t status = statusOr(valid ? 0 : kStatusOutOfRange);
    out.push_back(status);
    if (valid && status == 0 && !m_faults.forgetPlus.contains(item)) {
        m_memory.bindings[item] = static_cast<std::uint8_t>(footer);
    }
}

void OruProtocol::readBinding(std::vector<std::uint8_t>& out) {
    out.push_back(m_command);
    const int item = plu();
    const bool valid = item >= kFirstPlu && item <= kLastPlu;
    const std::uint8_t status = statusOr(valid ? 0 : kStatusOutOfRange);
    out.push_back(status);
    if (status == 0) {
        out.push_back(valid ? m_memory.bindings[item] : 0);
    }
}

}  // namespace oru
