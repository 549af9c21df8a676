#include "Connecting.h"

namespace kalvero {

ConnectAttempt TryPort(WinSer& serial, const ChannelSource& channel, std::uint8_t port) {
    ConnectAttempt attempt;
    attempt.result = IdentifyPrinter(serial, channel, port, 9600, attempt.identity);
    if (attempt.result == serial::kReceiveTimeout) {
        attempt.baudRate = 19200;
        attempt.result = IdentifyPrinter(serial, channel, port, 19200, attempt.identity);
    }
    return attempt;
}

DetectResult DetectPrinter(WinSer& serial, const ChannelSource& channel,
                           const PortPresentFlags& portPresent,
                           const std::function<void(std::uint8_t port)>& beforePort) {
    for (std::uint8_t n = 1; n <= 10; ++n) {
        if (portPresent[n] == 0) {
            continue;
        }
        beforePort(n);
        const ConnectAttempt attempt = TryPort(serial, channel, n);
        if (attempt.printerFound()) {
            return {n, attempt};
        }
    }
    return {};
}

}  // namespace kalvero
