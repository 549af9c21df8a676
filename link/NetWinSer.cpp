// SPDX-License-Identifier: MIT
#include "link/NetWinSer.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "link/WireExchange.h"
#include "lang/Language.h"

namespace kalvero {

namespace {

using namespace telnet;
using std::chrono::milliseconds;

// A server behind a firewall may never answer; one that is there answers at once.
constexpr milliseconds kConnectTimeout{3000};
// Input that keeps coming for this long after opening is the printer's, not stale.
constexpr milliseconds kQuietAfterOpen{50};
constexpr milliseconds kQuietAfterPurge{10};

std::string bytes(std::initializer_list<std::uint8_t> list) {
    return std::string(list.begin(), list.end());
}

}  // namespace

NetWinSer::NetWinSer(PortMap ports, std::chrono::milliseconds tick)
    : m_ports(std::move(ports)), m_tick(tick) {}

NetWinSer::~NetWinSer() {
    UnInitializePort();
}

std::uint8_t NetWinSer::SerialPortPresent(std::uint8_t port) {
    return m_ports.network(port) ? 1 : 0;
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
    m_net = m_ports.network(port);
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
    // Without a confirmed purge, what comes until the line is quiet is stale: a raw
    // server may greet only once it has opened its serial port (ser2net's banner),
    // after what is already there could have been dropped.
    dropInput(m_purged ? kQuietAfterPurge : kQuietAfterOpen);
    return m_socket.isOpen() ? serial::kOk : serial::kTransmitTimeout;  // closed() said why
}

std::uint8_t NetWinSer::configure(std::uint16_t baudRate) {
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
    std::string opening = TelnetCodec::opening();
    for (const auto& [command, value] : settings) {
        opening += TelnetCodec::subnegotiation(command, value);
    }
    if (!sendRaw(opening)) {
        closed();
        return serial::kTransmitTimeout;
    }
    const auto answered = [this, &settings] {
        return std::all_of(std::begin(settings), std::end(settings), [this](const auto& setting) {
            return m_codec.answers().contains(
                static_cast<std::uint8_t>(setting.first + kServerOffset));
        });
    };
    const auto deadline = std::chrono::steady_clock::now() + m_txTimeout;
    while (!answered() && !m_codec.comPortRefused()) {
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
        const auto& answers = m_codec.answers();
        const auto answer = answers.find(static_cast<std::uint8_t>(command + kServerOffset));
        if (answer == answers.end()) {
            return fail(serial::kCannotConfigure,
                        m_codec.comPortRefused()
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
    m_purged = m_codec.answers().contains(static_cast<std::uint8_t>(kPurgeData + kServerOffset));
    return serial::kOk;
}

void NetWinSer::setLine(std::uint8_t value) {
    if (!m_socket.isOpen() || !m_net || m_net->kind != NetPort::Kind::Rfc2217) {
        return;  // raw TCP: the server sets the lines
    }
    // Not waited for: a server in front of a pseudo-terminal lets a line setting pass
    // without a word, and its answer, when it comes, changes nothing.
    if (!sendRaw(TelnetCodec::subnegotiation(kSetControl, bytes({value})))) {
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
    m_codec.reset();
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
    TelnetCodec::Taken taken = m_codec.take(came);
    m_data += taken.data;
    if (!taken.replies.empty()) {
        sendRaw(taken.replies);
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
            const std::string_view plain(reinterpret_cast<const char*>(data), count);
            const std::string out = m_net->kind == NetPort::Kind::Rfc2217
                                        ? TelnetCodec::escaped(plain)
                                        : std::string(plain);
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
