// SPDX-License-Identifier: MIT
// The network port library against a scripted RFC 2217 server in this process.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "link/Identification.h"
#include "link/NetPort.h"
#include "link/NetWinSer.h"

namespace kalvero {
namespace {

constexpr char kIac = '\xFF';
constexpr char kSb = '\xFA';
constexpr char kSe = '\xF0';

std::string comPort(std::uint8_t command, const std::string& value) {
    std::string out = {kIac, kSb, 44, static_cast<char>(command)};
    for (const char c : value) {
        out += c;
        if (c == kIac) {
            out += kIac;
        }
    }
    return out + kIac + kSe;
}

// One client on 127.0.0.1, answered as told: each COM-PORT command with its echo
// (command + 100) unless silenced, each piece of data with the next reply in turn.
class ScriptedServer {
public:
    std::set<std::uint8_t> silent;
    bool silentLines = false;                        // DTR and RTS settings unanswered
    std::map<std::uint8_t, std::string> answerWith;  // another value than the one asked
    std::string greeting;                            // sent as the client connects
    std::deque<std::string> replies;                 // raw, one for each piece of data that comes

    ScriptedServer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 1);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~ScriptedServer() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        ::close(m_listener);
    }
    // Set the script first: the server answers from then on.
    void start() {
        m_thread = std::thread([this] { serve(); });
    }
    std::uint16_t port() const { return m_port; }
    PortMap ports(const std::string& scheme = "rfc2217") const {
        return PortMap::forNetwork(
            *ParseNetPort(scheme + "://127.0.0.1:" + std::to_string(m_port)));
    }
    // The greeting has gone to the client.
    bool greeted() const { return m_greeted; }

    std::string raw() {
        const std::lock_guard lock(m_mutex);
        return m_raw;
    }
    std::string data() {
        const std::lock_guard lock(m_mutex);
        return m_data;
    }
    // The values of every COM-PORT command of this kind, in order.
    std::vector<std::string> values(std::uint8_t command) {
        const std::lock_guard lock(m_mutex);
        std::vector<std::string> found;
        for (const auto& [c, value] : m_commands) {
            if (c == command) {
                found.push_back(value);
            }
        }
        return found;
    }

private:
    void serve() {
        pollfd listening{m_listener, POLLIN, 0};
        while (!m_stop && ::poll(&listening, 1, 20) <= 0) {
        }
        if (m_stop) {
            return;
        }
        const int client = ::accept(m_listener, nullptr, nullptr);
        ::send(client, greeting.data(), greeting.size(), MSG_NOSIGNAL);
        m_greeted = true;
        pollfd reading{client, POLLIN, 0};
        while (!m_stop) {
            if (::poll(&reading, 1, 20) <= 0) {
                continue;
            }
            char buffer[512];
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            std::string out;
            bool gotData = false;
            {
                const std::lock_guard lock(m_mutex);
                for (ssize_t i = 0; i < n; ++i) {
                    gotData = take(buffer[i], out) || gotData;
                }
            }
            if (gotData && !replies.empty()) {
                out += replies.front();
                replies.pop_front();
            }
            ::send(client, out.data(), out.size(), MSG_NOSIGNAL);
        }
        ::close(client);
    }

    // The client's Telnet, undone: true for a data byte.
    bool take(char c, std::string& out) {
        m_raw += c;
        switch (m_state) {
            case 0:  // data
                if (c == kIac) {
                    m_state = 1;
                    return false;
                }
                m_data += c;
                return true;
            case 1:  // after IAC
                m_state = c == kIac ? 0 : c == kSb ? 3 : 2;
                if (c == kIac) {
                    m_data += c;
                    return true;
                }
                m_sub.clear();
                return false;
            case 2:  // the option of WILL, DO...
                m_state = 0;
                return false;
            case 3:  // inside SB
                if (c == kIac) {
                    m_state = 4;
                } else {
                    m_sub += c;
                }
                return false;
            default:  // IAC inside SB
                if (c == kIac) {
                    m_sub += c;
                    m_state = 3;
                    return false;
                }
                m_state = 0;
                if (c == kSe && m_sub.size() >= 2 && m_sub[0] == 44) {
                    const auto command = static_cast<std::uint8_t>(m_sub[1]);
                    const std::string value = m_sub.substr(2);
                    m_commands.emplace_back(command, value);
                    const bool line = command == 5 && value != "\x01";
                    if (!silent.contains(command) && !(line && silentLines)) {
                        const auto other = answerWith.find(command);
                        out += comPort(command + 100,
                                       other == answerWith.end() ? value : other->second);
                    }
                }
                return false;
        }
    }

    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_greeted{false};
    std::mutex m_mutex;
    std::string m_raw;
    std::string m_data;
    std::vector<std::pair<std::uint8_t, std::string>> m_commands;
    int m_state = 0;
    std::string m_sub;
};

constexpr auto kTick = std::chrono::milliseconds(20);

TEST(NetWinSer, OpeningSetsSpeedAnd8N1AndTheChannelLines) {
    for (const std::uint16_t baud : {9600, 19200}) {
        ScriptedServer server;
        server.start();
        NetWinSer net(server.ports(), kTick);
        ASSERT_EQ(net.iInitializePort(1, baud, 5, 5), serial::kOk);
        const std::string settings =
            std::string{kIac, '\xFB', 44,     kIac, '\xFB', 0,      kIac, '\xFD',
                        0,    kIac,   '\xFB', 3,    kIac,   '\xFD', 3} +
            comPort(1, {0, 0, static_cast<char>(baud >> 8), static_cast<char>(baud & 0xFF)}) +
            comPort(2, "\x08") + comPort(3, "\x01") + comPort(4, "\x01") + comPort(5, "\x01") +
            comPort(12, "\x03");
        EXPECT_EQ(server.raw(), settings) << baud;
        // DTR on 8, off 9; RTS on 11, off 12: the lines that pick each channel.
        for (int channel = 1; channel <= 4; ++channel) {
            ChannelLines(net, channel);
        }
        // Line settings are not waited for: until the server has them all.
        for (int wait = 0; wait < 200 && server.values(5).size() < 9; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::vector<std::string> lines = server.values(5);
        lines.erase(lines.begin());  // the flow control of the opening
        EXPECT_EQ(lines, (std::vector<std::string>{"\x09", "\x0B", "\x08", "\x0B", "\x09", "\x0C",
                                                   "\x08", "\x0C"}));
    }
}

TEST(NetWinSer, DataCrossesWithIacDoubledBothWays) {
    ScriptedServer server;
    // ACK for the command; then 0xFF and "A" as the answer, 0xFF doubled.
    server.replies = {"\x06", std::string{kIac, kIac, 'A'}};
    server.start();
    NetWinSer net(server.ports(), kTick);
    ASSERT_EQ(net.iInitializePort(1, 9600, 5, 5), serial::kOk);
    SerialBuffer send{};
    send[0] = 0xFF;
    send[1] = 0x01;
    SerialBuffer answer{};
    EXPECT_EQ(net.RSSequence(0x2B, 2, 2, answer, send), serial::kOk);
    EXPECT_EQ(answer[0], 0xFF);
    EXPECT_EQ(answer[1], 'A');
    EXPECT_EQ(server.data(), std::string("\x2B\xFF\x01"));
    EXPECT_NE(server.raw().find(std::string{kIac, kIac, '\x01'}), std::string::npos);
    std::uint8_t byte = 0;
    EXPECT_EQ(net.ReadByte(byte), 0) << "nothing more: the line is silent";
}

TEST(NetWinSer, ServersThatRefuseOrSayNothingAreNamed) {
    {  // Options the client does not know are refused; stale bytes are dropped.
        ScriptedServer server;
        server.greeting = std::string{kIac, '\xFD', 24, kIac, '\xFB', 1} + "stare bajty";
        server.replies = {"\x06\x15"};
        server.start();
        NetWinSer net(server.ports(), kTick);
        ASSERT_EQ(net.iInitializePort(1, 9600, 5, 5), serial::kOk);
        SerialBuffer buffer{};
        EXPECT_EQ(net.RSSequence(0x2B, 1, 0, buffer, buffer), serial::kOk);
        EXPECT_EQ(buffer[0], 0x15) << "the greeting's bytes never reach an answer";
        std::uint8_t byte = 0;
        EXPECT_EQ(net.ReadByte(byte), 0) << "nor are they left to read";
        const std::string raw = server.raw();
        EXPECT_NE(raw.find(std::string{kIac, '\xFC', 24}), std::string::npos) << "WONT 24";
        EXPECT_NE(raw.find(std::string{kIac, '\xFE', 1}), std::string::npos) << "DONT 1";
    }
    {  // No COM-PORT option at all.
        ScriptedServer server;
        server.greeting = std::string{kIac, '\xFE', 44};
        server.silent = {1, 2, 3, 4, 5, 12};
        server.start();
        NetWinSer net(server.ports(), kTick);
        EXPECT_EQ(net.iInitializePort(1, 9600, 5, 5), serial::kCannotConfigure);
        ASSERT_TRUE(net.openFailure());
        EXPECT_EQ(net.openFailure()->reason, "serwer nie obsługuje RFC 2217 (opcja COM-PORT)");
    }
    {  // A speed never confirmed.
        ScriptedServer server;
        server.silent = {1};
        server.start();
        NetWinSer net(server.ports(), kTick);
        EXPECT_EQ(net.iInitializePort(1, 19200, 5, 5), serial::kCannotConfigure);
        EXPECT_EQ(net.openFailure()->reason, "serwer nie potwierdził ustawienia: prędkość");
    }
    {  // A speed other than the one asked.
        ScriptedServer server;
        server.answerWith[1] = std::string{0, 0, 0x25, static_cast<char>(0x80)};
        server.start();
        NetWinSer net(server.ports(), kTick);
        EXPECT_EQ(net.iInitializePort(1, 19200, 5, 5), serial::kCannotConfigure);
        EXPECT_EQ(net.openFailure()->reason, "serwer ustawił inną wartość: prędkość");
    }
    {  // Lines a server lets pass (before a pseudo-terminal): the printer is still reached.
        ScriptedServer server;
        server.silentLines = true;
        server.replies = {"\x06\x15"};
        server.start();
        NetWinSer net(server.ports(), kTick);
        ASSERT_EQ(net.iInitializePort(1, 19200, 5, 5), serial::kOk);
        ChannelLines(net, 2);
        SerialBuffer buffer{};
        EXPECT_EQ(net.RSSequence(0x2B, 1, 0, buffer, buffer), serial::kOk);
        EXPECT_EQ(buffer[0], 0x15);
        EXPECT_EQ(server.values(5).size(), 3u) << "flow control, DTR, RTS";
    }
    {  // Nobody listens: 20, naming the server.
        const std::uint16_t port = ScriptedServer().port();  // closed again at once
        NetWinSer net(PortMap::forNetwork(*ParseNetPort("tcp://127.0.0.1:" + std::to_string(port))),
                      kTick);
        EXPECT_EQ(net.iInitializePort(1, 9600, 5, 5), serial::kTransmitTimeout);
        ASSERT_TRUE(net.openFailure());
        EXPECT_NE(net.openFailure()->reason.find("serwer 127.0.0.1:" + std::to_string(port) +
                                                 " nie przyjmuje połączenia"),
                  std::string::npos)
            << net.openFailure()->reason;
    }
}

// Raw TCP: no Telnet either way, and what the server sent as the client connected
// (bytes for an earlier client) is never taken for the printer's answer.
TEST(NetWinSer, RawTcpPassesBytesAsTheyAreAndDropsWhatCameUnasked) {
    ScriptedServer server;
    server.greeting = std::string{'s', kIac, 't'};
    server.replies = {"\x06", std::string{kIac, 'A'}};
    server.start();
    NetWinSer net(server.ports("tcp"), kTick);
    ASSERT_EQ(net.iInitializePort(1, 9600, 5, 5), serial::kOk);
    for (int wait = 0; wait < 200 && !server.greeted(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(server.greeted());
    ChannelLines(net, 2);  // the server sets the lines: nothing goes out
    SerialBuffer send{};
    send[0] = 0x01;
    send[1] = 0xFF;
    SerialBuffer answer{};
    EXPECT_EQ(net.RSSequence(0x2B, 2, 2, answer, send), serial::kOk)
        << "the greeting taken for the printer's ACK";
    EXPECT_EQ(answer[0], 0xFF);
    EXPECT_EQ(answer[1], 'A');
    EXPECT_EQ(server.raw(), std::string("\x2B\x01\xFF")) << "no Telnet options, 0xFF once";
    std::uint8_t byte = 0;
    EXPECT_EQ(net.ReadByte(byte), 0) << "the greeting is not left to read";
}

TEST(NetPort, TakesTheThreeKindsAndNothingElse) {
    EXPECT_EQ(ParseNetPort("rfc2217://sklep.lan:4001")->kind, NetPort::Kind::Rfc2217);
    EXPECT_EQ(ParseNetPort("tcp://10.0.0.5:7")->port, 7);
    EXPECT_EQ(ParseNetPort("socket://[fe80::1]:4001")->host, "fe80::1");
    for (const char* bad : {"rfc2217://host", "tcp://:4001", "tcp://h:0", "tcp://h:65536",
                            "udp://h:1", "tcp://fe80::1:4001", "tcp://h:12x", "COM1"}) {
        EXPECT_FALSE(ParseNetPort(bad)) << bad;
    }
}

}  // namespace
}  // namespace kalvero
