// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "link/NetPort.h"
#include "link/PortMap.h"
#include "link/TcpSocket.h"
#include "link/TelnetCodec.h"
#include "link/WinSer.h"

namespace kalvero {

// The serial-port library for printers on the network: COMn is the address the port
// map holds for it, taken as parsed there. Over RFC 2217 the speed, 8N1 without flow
// control and the DTR and RTS lines are set in the server by Telnet's COM-PORT
// option; over raw TCP they are the server's own. Exchanges, time-outs and results
// are those of a serial port: a server that will not connect, or closes, gives 20, a
// silent printer 21.
class NetWinSer final : public WinSer {
public:
    // tick is the unit of the two time-outs given to iInitializePort, as for a serial port.
    explicit NetWinSer(PortMap ports,
                       std::chrono::milliseconds tick = std::chrono::milliseconds(100));
    ~NetWinSer() override;

    NetWinSer(const NetWinSer&) = delete;
    NetWinSer& operator=(const NetWinSer&) = delete;

    // Present when the map names a URL for it: nothing is connected to find out.
    std::uint8_t SerialPortPresent(std::uint8_t port) override;
    std::uint8_t iInitializePort(std::uint8_t port, std::uint16_t baudRate, std::uint8_t txTimeout,
                                 std::uint8_t rxTimeout) override;
    void UnInitializePort() override;
    void SetDTRLine() override;
    void ClearDTRLine() override;
    void SetRTSLine() override;
    void ClearRTSLine() override;
    std::uint8_t RSSequence(std::uint8_t command, std::uint8_t answerCount, std::uint8_t sendCount,
                            SerialBuffer& answer, const SerialBuffer& send) override;
    std::uint8_t ReadByte(std::uint8_t& byte) override;

    // Why the last opening failed, or why the server ended the connection.
    std::optional<OpenFailure> openFailure() const override { return m_failure; }

private:
    std::uint8_t fail(std::uint8_t code, std::string reason);
    // The COM-PORT settings of RFC 2217, sent together and their answers awaited
    // once: 0, or the opening's failure when the server refuses the option, leaves a
    // setting unanswered (4) or closes (20).
    std::uint8_t configure(std::uint16_t baudRate);
    void setLine(std::uint8_t value);
    bool sendRaw(const std::string& bytes);
    // Waits up to timeout for what the server sends and takes it in; false once it closed.
    bool pump(std::chrono::milliseconds timeout);
    // What the server sent: over RFC 2217 its data bytes to m_data and its requests
    // answered; over raw TCP all of it to m_data.
    void take(const std::string& bytes);
    void closed();
    // Input that came before it was asked for (a banner, bytes for an earlier client).
    void dropInput(std::chrono::milliseconds quiet);
    std::uint8_t receive(std::uint8_t& byte);

    PortMap m_ports;
    std::chrono::milliseconds m_tick;
    std::optional<NetPort> m_net;
    TcpSocket m_socket;
    std::chrono::milliseconds m_txTimeout{500};
    std::chrono::milliseconds m_rxTimeout{500};
    std::optional<OpenFailure> m_failure;

    std::string m_data;        // data bytes not yet read
    std::size_t m_dataAt = 0;  // the next of them
    TelnetCodec m_codec;
    bool m_purged = false;  // the server confirmed it dropped what it held
};

}  // namespace kalvero
