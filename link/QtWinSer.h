// SPDX-License-Identifier: MIT
#pragma once

#include <QSerialPort>
#include <chrono>
#include <optional>
#include <string>

#include "link/PortLock.h"
#include "link/PortMap.h"
#include "link/WinSer.h"

namespace kalvero {

// The serial-port library on Qt SerialPort, used blocking on the calling thread:
// 8 data bits, no parity, 1 stop bit, no flow control.
class QtWinSer final : public WinSer {
public:
    // tick is the unit of the two time-outs given to iInitializePort (a tenth of a
    // second for the real program; tests may shorten it).
    explicit QtWinSer(PortMap ports,
                      std::chrono::milliseconds tick = std::chrono::milliseconds(100));
    ~QtWinSer() override;

    QtWinSer(const QtWinSer&) = delete;
    QtWinSer& operator=(const QtWinSer&) = delete;

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

    std::optional<OpenFailure> openFailure() const override { return m_failure; }

    // The windows: while an answer is awaited, events other than the user's input
    // (assistive technology's questions, repaints) are served, so that a screen reader
    // does not wait for the pump between two records. The input waits for the pump.
    static void serveEventsWhileWaiting(bool serve) { s_serveEvents = serve; }

private:
    std::uint8_t fail(std::uint8_t code, std::string device, std::string reason,
                      bool notSerial = false);
#ifndef _WIN32
    std::uint8_t refusal(const std::string& device, const std::string& reason);
#endif
    std::uint8_t receive(std::uint8_t& byte);
    // Until input is there or the receive time-out passes; true when it is there.
    bool awaitInput();
    bool writeAll(const char* data, qint64 size);
    void setLine(bool dtr, bool value);
    bool usable() const;

    PortMap m_ports;
    std::chrono::milliseconds m_tick;
    PortLock m_lock;
    QSerialPort m_port;
    int m_txTimeoutMs = 500;
    int m_rxTimeoutMs = 500;
    std::optional<OpenFailure> m_failure;
    bool m_quiet = false;  // every exchange since the opening ended whole and in time
    bool m_awaiting = false;  // an event served while awaiting must not start an exchange
    bool m_closeAfterWait = false;  // nor close the port under it
    static inline bool s_serveEvents = false;
};

}  // namespace kalvero
