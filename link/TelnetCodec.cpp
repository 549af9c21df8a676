// SPDX-License-Identifier: MIT
#include "link/TelnetCodec.h"

#include <initializer_list>

namespace kalvero {

using namespace telnet;

namespace {

std::string bytes(std::initializer_list<std::uint8_t> list) {
    return std::string(list.begin(), list.end());
}

bool supported(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

}  // namespace

std::string TelnetCodec::opening() {
    return bytes({kIac, kWill, kComPort, kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill,
                  kSuppressGoAhead, kIac, kDo, kSuppressGoAhead});
}

std::string TelnetCodec::escaped(std::string_view data) {
    std::string out;
    out.reserve(data.size() + 2);
    for (const char c : data) {
        out += c;
        if (static_cast<std::uint8_t>(c) == kIac) {
            out += c;
        }
    }
    return out;
}

std::string TelnetCodec::subnegotiation(std::uint8_t command, std::string_view value) {
    return bytes({kIac, kSb, kComPort, command}) + escaped(value) + bytes({kIac, kSe});
}

void TelnetCodec::reset() {
    m_state = State::Data;
    m_subnegotiation.clear();
    m_answers.clear();
    m_comPortRefused = false;
}

TelnetCodec::Taken TelnetCodec::take(std::string_view came) {
    Taken taken;
    for (const char c : came) {
        const auto byte = static_cast<std::uint8_t>(c);
        switch (m_state) {
            case State::Data:
                if (byte == kIac) {
                    m_state = State::Command;
                } else {
                    taken.data += c;
                }
                break;
            case State::Command:
                m_state = State::Data;
                if (byte == kIac) {
                    taken.data += c;  // IAC IAC: the data byte 0xFF
                } else if (byte >= kWill && byte <= kDont) {
                    m_verb = byte;
                    m_state = State::Option;
                } else if (byte == kSb) {
                    m_subnegotiation.clear();
                    m_state = State::Sub;
                }  // NOP, GA and the like need nothing
                break;
            case State::Option:
                taken.replies += answerRequest(m_verb, byte);
                m_state = State::Data;
                break;
            case State::Sub:
                if (byte == kIac) {
                    m_state = State::SubCommand;
                } else {
                    m_subnegotiation += c;
                }
                break;
            case State::SubCommand:
                if (byte == kIac) {
                    m_subnegotiation += c;
                    m_state = State::Sub;
                    break;
                }
                if (byte == kSe && m_subnegotiation.size() >= 2 &&
                    static_cast<std::uint8_t>(m_subnegotiation[0]) == kComPort) {
                    m_answers[static_cast<std::uint8_t>(m_subnegotiation[1])] =
                        m_subnegotiation.substr(2);
                }
                m_state = State::Data;
                break;
        }
    }
    return taken;
}

std::string TelnetCodec::answerRequest(std::uint8_t verb, std::uint8_t option) {
    if (option == kComPort && verb == kDont) {
        m_comPortRefused = true;  // our WILL refused; the server's own side is its business
    }
    if (supported(option) && !(verb == kWill && option == kComPort)) {
        return {};  // already offered or asked for when the connection opened
    }
    if (verb == kDo) {
        return bytes({kIac, kWont, option});
    }
    if (verb == kWill) {
        return bytes({kIac, kDont, option});
    }
    return {};
}

}  // namespace kalvero
