#pragma once

#include <cstdint>
#include <functional>

#include "Identification.h"

namespace kalvero {

// One identification of a port: at 9600 baud, and again at 19200 only when the
// line stayed silent (21).
struct ConnectAttempt {
    ResultCode result = 0;
    PrinterIdentity identity;
    std::uint16_t baudRate = 9600;

    bool printerFound() const { return result == 0 && identity.found == 1; }
};

ConnectAttempt TryPort(WinSer& serial, const ChannelSource& channel, std::uint8_t port);

// Tries the present ports in rising order and stops at the first on which a
// printer answers, whatever its version. beforePort runs before each port is tried.
struct DetectResult {
    std::uint8_t port = 0;  // 0: no printer found
    ConnectAttempt attempt;
};
DetectResult DetectPrinter(WinSer& serial, const ChannelSource& channel,
                           const PortPresentFlags& portPresent,
                           const std::function<void(std::uint8_t port)>& beforePort);

}  // namespace kalvero
