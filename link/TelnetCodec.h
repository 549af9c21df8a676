// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace kalvero {

// Telnet (RFC 854, 856, 858) and its COM-PORT option (RFC 2217), as bytes.
namespace telnet {
constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kSe = 240;
constexpr std::uint8_t kBinary = 0;
constexpr std::uint8_t kSuppressGoAhead = 3;
constexpr std::uint8_t kComPort = 44;

constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kSetControl = 5;
constexpr std::uint8_t kPurgeData = 12;
constexpr std::uint8_t kServerOffset = 100;  // the server answers command c as c + 100

constexpr std::uint8_t kNoParity = 1;
constexpr std::uint8_t kOneStopBit = 1;
constexpr std::uint8_t kNoFlowControl = 1;
constexpr std::uint8_t kDtrOn = 8;
constexpr std::uint8_t kDtrOff = 9;
constexpr std::uint8_t kRtsOn = 11;
constexpr std::uint8_t kRtsOff = 12;
constexpr std::uint8_t kPurgeBoth = 3;
}  // namespace telnet

// The client's side of a Telnet stream with the COM-PORT option, without a socket:
// what goes out is built here, what comes in is taken apart byte by byte, and a
// command split between two reads is resumed where it stopped.
class TelnetCodec {
public:
    // What some bytes from the server held.
    struct Taken {
        std::string data;     // for the printer's answer, IAC IAC undone
        std::string replies;  // to send back: refusals of options this client lacks
    };

    // The options offered and asked for as the connection opens: COM-PORT, binary
    // both ways and no go-ahead both ways.
    static std::string opening();
    // 0xFF stands twice in Telnet data and values.
    static std::string escaped(std::string_view data);
    // One COM-PORT command as it goes on the wire.
    static std::string subnegotiation(std::uint8_t command, std::string_view value);

    Taken take(std::string_view bytes);
    // COM-PORT answers by the command that answers (c + kServerOffset).
    const std::map<std::uint8_t, std::string>& answers() const { return m_answers; }
    // The server said DONT to our WILL COM-PORT.
    bool comPortRefused() const { return m_comPortRefused; }
    // For a new connection.
    void reset();

private:
    // Nothing, or the refusal of a request for an option not offered.
    std::string answerRequest(std::uint8_t verb, std::uint8_t option);

    // Where the stream stands between bytes.
    enum class State { Data, Command, Option, Sub, SubCommand };
    State m_state = State::Data;
    std::uint8_t m_verb = 0;       // WILL, WONT, DO or DONT, its option to come
    std::string m_subnegotiation;  // IAC SB ... IAC SE, IAC undoubled
    std::map<std::uint8_t, std::string> m_answers;
    bool m_comPortRefused = false;
};

}  // namespace kalvero
