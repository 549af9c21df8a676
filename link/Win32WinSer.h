// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

#include "link/WinSer.h"

namespace kalvero {

// The serial-port library on the Win32 API, used blocking on the calling thread:
// 8 data bits, no parity, 1 stop bit, no flow control. Built for Windows only (CMake
// adds it under WIN32); the header keeps <windows.h> out of its users.
class Win32WinSer final : public WinSer {
public:
    // tick is the unit of the two time-outs given to iInitializePort (a tenth of a
    // second for the real program; tests may shorten it).
    explicit Win32WinSer(std::chrono::milliseconds tick = std::chrono::milliseconds(100));
    ~Win32WinSer() override;

    Win32WinSer(const Win32WinSer&) = delete;
    Win32WinSer& operator=(const Win32WinSer&) = delete;

    // COMn is asked of the DOS device names, never opened: opening would raise DTR.
    std::uint8_t SerialPortPresent(std::uint8_t port) override;
    std::uint8_t iInitializePort(std::uint8_t port, std::uint16_t baudRate, std::uint8_t txTimeout,
                                 std::uint8_t rxTimeout) override;
    void UnInitializePort() override;
    // The modem lines are best effort: a port without them (a pseudo-terminal behind
    // Wine) refuses the change and stays usable.
    void SetDTRLine() override;
    void ClearDTRLine() override;
    void SetRTSLine() override;
    void ClearRTSLine() override;
    std::uint8_t RSSequence(std::uint8_t command, std::uint8_t answerCount, std::uint8_t sendCount,
                            SerialBuffer& answer, const SerialBuffer& send) override;
    std::uint8_t ReadByte(std::uint8_t& byte) override;

    std::optional<OpenFailure> openFailure() const override { return m_failure; }

private:
    std::uint8_t fail(std::uint8_t code, std::uint8_t port, std::string reason);
    // One byte within the receive time-out: 0, 21 for a silent line, 20 for a port
    // that is gone.
    std::uint8_t receive(std::uint8_t& byte);

    std::chrono::milliseconds m_tick;
    void* m_handle = nullptr;  // the open port's HANDLE; null when none is open
    std::optional<OpenFailure> m_failure;
    // Bytes that came with one read, not yet taken: each read of the port costs more
    // than a byte takes on the wire, so that what has come is taken at once.
    std::deque<std::uint8_t> m_received;
};

}  // namespace kalvero
