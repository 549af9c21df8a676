// SPDX-License-Identifier: MIT
#include "PortMessages.h"

#include "Cp1250.h"

namespace kalvero::cli {

std::string portLabel(const std::string& named, const PortMap& ports, std::uint8_t port) {
#ifdef _WIN32
    (void)ports;
    (void)port;
    return named;  // COMn is Windows' own name
#else
    if (named.find('/') != std::string::npos) {
        return named;
    }
    return named + " (" + ports.devicePath(port)->string() + ")";  // 1..10
#endif
}

std::string portProblem(ResultCode rc, const PortLibrary::OpenFailure& failure) {
    if (failure.notSerial) {
        return "to nie jest port szeregowy";
    }
    switch (rc) {
        case serial::kPortBusy:
            return Cp1250ToUtf8("port zaj\xEAty przez inny program");
        case serial::kNoSuchPort:
            return Cp1250ToUtf8(
                "nie ma takiego urz\xB9"
                "dzenia");
        case serial::kCannotConfigure:
            return Cp1250ToUtf8("nie mo\xBFna ustawi\xE6 portu: ") + failure.reason;
        default:
            return Cp1250ToUtf8("nie mo\xBFna otworzy\xE6 portu: ") + failure.reason;
    }
}

}  // namespace kalvero::cli
