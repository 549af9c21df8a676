// SPDX-License-Identifier: MIT
#include "link/NetWinSer.h"

#include <algorithm>

#include <utility>

#include "link/WireExchange.h"
#include "lang/Language.h"

namespace kalvero {

namespace {

using std::chrono::milliseconds;

// Telnet (RFC 854, 856, 858) and its COM-PORT option (RFC 2217).
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

// A server behind a firewall may never answer; one that is there answers at once.
constexpr milliseconds kConnectTimeout{3000};
// Input that keeps coming for this long after opening is the printer's, not stale.
constexpr milliseconds kQuietAfterOpen{50};
constexpr milliseconds kQuietAfterPurge{10};

std::string bytes(std::initializer_list<std::uint8_t> list) {
    return std::string(list.begin(), list.end());
}

// 0xFF stands twice in Telnet data and values.
std::string escaped(const std::uint8_t* data, std::size_t size) {
    std::string out;
    out.reserve(size + 2);
    for (std::size_t i = 0; i < size; ++i) {
        out += static_cast<char>(data[i]);
        if (data[i] == kIac) {
            out += static_cast<char>(kIac);
        }
    }
    return out;
}

std::string escaped(const std::string& value) {
    return escaped(reinterpret_cast<const std::uint8_t*>(value.data()), value.size());
}

bool supported(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

}  // namespace

NetWinSer::NetWinSer(PortMap ports, std::chrono::milliseconds tick)
    : m_ports(std::move(ports)), m_tick(tick) {}

NetWinSer::~NetWinSer() {
    UnInitializePort();
}

std::uint8_t NetWinSer::SerialPortPresent(std::uint8_t port) {
    return m_ports.url(port) ? 1 : 0;
}

std::uint8_t NetWinSer::fail(std::uint8_t code, std::string reason) {
    m_failure = OpenFailure{m_net ? m_net->url : std::string(), std::move(reason), false};
    m_socket.close();
    return code;
}

std::uint8_t NetWinSer::iInitializePort(std::uint8_t port, std::uint16_t baudRate,
                                        std::uint8_t txTimeout, std::uint8_t rxTimeout) {
    UnInitializePort();
    m_failure.reset();
    m_txTimeout = txTimeout * m_tick;
    m_rxTimeout = rxTimeout * m_tick;
    const std::optional<std::string> url = m_ports.url(port);
    m_net = url ? ParseNetPort(*url) : std::nullopt;
    if (!m_net) {
        return fail(serial::kNoSuchPort, _("not the address of a printer on the network"));
    }
    if (const std::string why = m_socket.connect(m_net->host, m_net->port, kConnectTimeout);
        !why.empty()) {
        return fail(serial::kTransmitTimeout,
                    fill(_("the server %1 does not take the connection (%2)"),
                         {m_net->host + ":" + std::to_string(m_net->port), why}));
    }
    m_purged = false;
    if (m_net->kind == NetPort::Kind::Rfc2217) {
        if (const std::uint8_t rc = configure(baudRate); rc != serial::kOk) {
            return rc;
        }
    }
    // A server that confirmed its purge has dropped what it held; what the printer
    // was still sending for an earlier client follows within a few characters' time.
    // Without a confirmed purge, what comes until the line is quiet is stale.
    dropInput(m_purged ? kQuietAfterPurge : kQuietAfterOpen);
    return m_socket.isOpen() ? serial::kOk : serial::kTransmitTimeout;  // closed() said why
}

std::uint8_t NetWinSer::configure(std::uint16_t baudRate) {
    m_comPortRefused = false;
    const std::uint32_t baud = baudRate;
    const std::pair<std::uint8_t, std::string> settings[] = {
        {kSetBaudRate,
         bytes({static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
                static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)})},
        {kSetDataSize, bytes({8})},
        {kSetParity, bytes({kNoParity})},
        {kSetStopSize, bytes({kOneStopBit})},
        {kSetControl, bytes({kNoFlowControl})},
        // Bytes the server still holds for an earlier client; a purge it does not
        // answer is made up for by dropping what comes.
        {kPurgeData, bytes({kPurgeBoth})},
    };
    static constexpr const char* kNames[] = {N_("speed"), N_("data bits"), N_("parity"),
                                             N_("stop bits"), N_("flow control")};
    // The options and every setting in one go, and one wait for all the answers: a
    // round trip each would cost as much again on a slow network.
    std::string opening = bytes({kIac, kWill, kComPort, kIac, kWill, kBinary, kIac, kDo, kBinary,
                                 kIac, kWill, kSuppressGoAhead, kIac, kDo, kSuppressGoAhead});
    m_answers.clear();
    for (const auto& [command, value] : settings) {
        opening += subnegotiation(command, value);
    }
    if (!sendRaw(opening)) {
        closed();
        return serial::kTransmitTimeout;
    }
    const auto answered = [this, &settings] {
        return std::all_of(std::begin(settings), std::end(settings), [this](const auto& setting) {
            return m_answers.contains(static_cast<std::uint8_t>(setting.first + kServerOffset));
        });
    };
    const auto deadline = std::chrono::steady_clock::now() + m_txTimeout;
    while (!answered() && !m_comPortRefused) {
        const auto left =
            std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !pump(left)) {
            break;
        }
    }
    if (!m_socket.isOpen()) {
        return serial::kTransmitTimeout;  // closed: the failure says so
    }
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        const auto& [command, value] = settings[i];
        const auto answer = m_answers.find(static_cast<std::uint8_t>(command + kServerOffset));
        if (answer == m_answers.end()) {
            return fail(serial::kCannotConfigure,
                        m_comPortRefused
                            ? _("the server does not support RFC 2217 (the COM-PORT option)")
                            : fill(_("the server did not confirm the setting: %1"), {_(kNames[i])}));
        }
        // The server answers with what it now uses: another speed would leave the
        // printer silent, or garbled, with no word why.
        if (answer->second != value) {
            return fail(serial::kCannotConfigure,
                        fill(_("the server set another value: %1"), {_(kNames[i])}));
        }
    }
    m_purged = m_answers.contains(static_cast<std::uint8_t>(kPurgeData + kServerOffset));
    return serial::kOk;
}

std::string NetWinSer::subnegotiation(std::uint8_t command, const std::string& value) {
    return bytes({kIac, kSb, kComPort, command}) + escaped(value) + bytes({kIac, kSe});
}

void NetWinSer::setLine(std::uint8_t value) {
    if (!m_socket.isOpen() || !m_net || m_net->kind != NetPort::Kind::Rfc2217) {
        return;  // raw TCP: the server sets the lines
    }
    // Not waited for: a server in front of a pseudo-terminal lets a line setting pass
    // without a word, and its answer, when it comes, changes nothing.
    if (!sendRaw(subnegotiation(kSetControl, bytes({value})))) {
        closed();
    }
}

void NetWinSer::SetDTRLine() {
    setLine(kDtrOn);
}
void NetWinSer::ClearDTRLine() {
    setLine(kDtrOff);
}
void NetWinSer::SetRTSLine() {
    setLine(kRtsOn);
}
void NetWinSer::ClearRTSLine() {
    setLine(kRtsOff);
}

void NetWinSer::UnInitializePort() {
    m_socket.close();
    m_data.clear();
    m_dataAt = 0;
    m_telnet = Telnet::Data;
    m_answers.clear();
}

bool NetWinSer::sendRaw(const std::string& raw) {
    return m_socket.sendAll(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size(),
                            m_txTimeout);
}

bool NetWinSer::pump(std::chrono::milliseconds timeout) {
    std::string came;
    switch (m_socket.receive(came, timeout)) {
        case TcpSocket::Received::Data:
            take(came);
            return true;
        case TcpSocket::Received::Silent:
            return true;
        case TcpSocket::Received::Closed:
            closed();
            return false;
    }
    return false;
}

void NetWinSer::closed() {
    if (m_socket.isOpen() || !m_failure) {
        fail(serial::kTransmitTimeout,
             m_net ? fill(_("the server %1 closed the connection"),
                          {m_net->host + ":" + std::to_string(m_net->port)})
                   : _("the connection was closed"));
    }
}

void NetWinSer::take(const std::string& came) {
    if (m_net->kind == NetPort::Kind::Raw) {
        m_data += came;
        return;
    }
    for (const char c : came) {
        const auto byte = static_cast<std::uint8_t>(c);
        switch (m_telnet) {
            case Telnet::Data:
                if (byte == kIac) {
                    m_telnet = Telnet::Command;
                } else {
                    m_data += c;
                }
                break;
            case Telnet::Command:
                m_telnet = Telnet::Data;
                if (byte == kIac) {
                    m_data += c;  // IAC IAC: the data byte 0xFF
                } else if (byte >= kWill && byte <= kDont) {
                    m_verb = byte;
                    m_telnet = Telnet::Option;
                } else if (byte == kSb) {
                    m_subnegotiation.clear();
                    m_telnet = Telnet::Sub;
                }  // NOP, GA and the like need nothing
                break;
            case Telnet::Option:
                answerRequest(m_verb, byte);
                m_telnet = Telnet::Data;
                break;
            case Telnet::Sub:
                if (byte == kIac) {
                    m_telnet = Telnet::SubCommand;
                } else {
                    m_subnegotiation += c;
                }
                break;
            case Telnet::SubCommand:
                if (byte == kIac) {
                    m_subnegotiation += c;
                    m_telnet = Telnet::Sub;
                    break;
                }
                if (byte == kSe && m_subnegotiation.size() >= 2 &&
                    static_cast<std::uint8_t>(m_subnegotiation[0]) == kComPort) {
                    m_answers[static_cast<std::uint8_t>(m_subnegotiation[1])] =
                        m_subnegotiation.substr(2);
                }
                m_telnet = Telnet::Data;
                break;
        }
    }
}

void NetWinSer::answerRequest(std::uint8_t verb, std::uint8_t option) {
    if (option == kComPort && verb == kDont) {
        m_comPortRefused = true;  // our WILL refused; the server's own side is its business
    }
    if (supported(option) && !(verb == kWill && option == kComPort)) {
        return;  // already offered or asked for when the connection opened
    }
    if (verb == kDo) {
        sendRaw(bytes({kIac, kWont, option}));
    } else if (verb == kWill) {
        sendRaw(bytes({kIac, kDont, option}));
    }
}

void NetWinSer::dropInput(std::chrono::milliseconds quiet) {
    // A line that never falls quiet (noise, an echo) must not hold the opening.
    const auto deadline = std::chrono::steady_clock::now() + m_rxTimeout;
    while (m_socket.isOpen() && std::chrono::steady_clock::now() < deadline) {
        const std::size_t before = m_data.size();
        if (!pump(quiet) || m_data.size() == before) {
            break;
        }
    }
    m_data.clear();
    m_dataAt = 0;
}

std::uint8_t NetWinSer::receive(std::uint8_t& byte) {
    const auto deadline = std::chrono::steady_clock::now() + m_rxTimeout;
    while (m_dataAt >= m_data.size()) {
        if (!m_socket.isOpen()) {
            return serial::kTransmitTimeout;
        }
        const auto left =
            std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return serial::kReceiveTimeout;
        }
        if (!pump(left)) {
            return serial::kTransmitTimeout;
        }
    }
    byte = static_cast<std::uint8_t>(m_data[m_dataAt++]);
    return serial::kOk;
}

std::uint8_t NetWinSer::RSSequence(std::uint8_t command, std::uint8_t answerCount,
                                   std::uint8_t sendCount, SerialBuffer& answer,
                                   const SerialBuffer& send) {
    if (!m_socket.isOpen()) {
        return serial::kTransmitTimeout;
    }
    // What came unasked is dropped, all of it, as a serial port's input buffer is cleared.
    dropInput(milliseconds(0));
    if (!m_socket.isOpen()) {
        return serial::kTransmitTimeout;
    }
    return serial::Exchange(
        [this](const std::uint8_t* data, std::size_t count) {
            const std::string out = m_net->kind == NetPort::Kind::Rfc2217
                                        ? escaped(data, count)
                                        : std::string(reinterpret_cast<const char*>(data), count);
            if (!sendRaw(out)) {
                closed();
                return false;
            }
            return true;
        },
        [this](std::uint8_t& byte) { return receive(byte); }, command, answerCount, sendCount,
        answer, send);
}

std::uint8_t NetWinSer::ReadByte(std::uint8_t& byte) {
    return receive(byte) == serial::kOk ? serial::kByteCame : 0;
}

}  // namespace kalvero
