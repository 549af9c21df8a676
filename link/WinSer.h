// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kalvero {

using SerialBuffer = std::array<std::uint8_t, 256>;

// Why iInitializePort failed, beyond its code.
struct OpenFailure {
    std::string device;      // what was opened: a device path, or Windows' COMn
    std::string reason;      // the system's words; empty for a busy port
    bool notSerial = false;  // no terminal at all (a directory, a file, /dev/null)
    std::string lockFile{};  // a stale lock: the file, and the process that left it
    long lockProcess = 0;
};

// The nine operations of the serial-port library. The printer link talks to the
// port only through this interface, so that another backend (or a scripted fake
// in tests) can take the place of the Qt one.
class WinSer {
public:
    virtual ~WinSer() = default;

    // Non-zero when COMn (1..10) exists. Never opens the port.
    virtual std::uint8_t SerialPortPresent(std::uint8_t port) = 0;
    // 0 when the port is open and ready; any other value is handed up as it is.
    // The last two values are the transmit and receive time-outs in tenths of a second.
    virtual std::uint8_t iInitializePort(std::uint8_t port, std::uint16_t baudRate,
                                         std::uint8_t txTimeout, std::uint8_t rxTimeout) = 0;
    // Closes the open port; harmless when none is open.
    virtual void UnInitializePort() = 0;
    virtual void SetDTRLine() = 0;
    virtual void ClearDTRLine() = 0;
    virtual void SetRTSLine() = 0;
    virtual void ClearRTSLine() = 0;
    // One exchange: the command byte, then sendCount bytes of send, then answerCount
    // bytes into answer. 0 when done, else an error code handed up unchanged.
    virtual std::uint8_t RSSequence(std::uint8_t command, std::uint8_t answerCount,
                                    std::uint8_t sendCount, SerialBuffer& answer,
                                    const SerialBuffer& send) = 0;
    // 1 when a byte came within the receive time-out.
    virtual std::uint8_t ReadByte(std::uint8_t& byte) = 0;

    // Why the last iInitializePort failed; nothing after a success, nor from a
    // library that cannot tell.
    virtual std::optional<OpenFailure> openFailure() const { return std::nullopt; }
};

// Results of the library that the program interprets.
namespace serial {
constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kTransmitTimeout = 20;  // also: the port is gone
constexpr std::uint8_t kReceiveTimeout = 21;
constexpr std::uint8_t kNotAckNak = 23;
constexpr std::uint8_t kNak = 24;
constexpr std::uint8_t kByteCame = 1;
// iInitializePort failures of our backend; shown as numbered errors.
constexpr std::uint8_t kNoSuchPort = 2;
constexpr std::uint8_t kCannotOpen = 3;
constexpr std::uint8_t kCannotConfigure = 4;
constexpr std::uint8_t kPortBusy = 5;      // another program holds the port
constexpr std::uint8_t kAccessDenied = 6;  // the system refuses this user the port
constexpr std::uint8_t kStaleLock = 7;     // a lock file left by a process that is gone

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNakByte = 0x15;
}  // namespace serial

}  // namespace kalvero
