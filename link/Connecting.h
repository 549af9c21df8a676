// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "link/Identification.h"
#include "link/OperatingState.h"

namespace kalvero {

// What connecting came to; the windows and kalvero-cli each show it their way.
enum class ConnectOutcome {
    Online,          // a printer of program version 4 or later answered
    VersionRefused,  // a printer answered, but its program is older than version 4
    PortBusy,        // another program holds the port
    PortRefused,     // the port would not open: missing, not serial, access refused...
    NoPrinter,       // no printer answered
};

struct Connection {
    ConnectOutcome outcome = ConnectOutcome::NoPrinter;
    std::uint8_t port = 0;  // where a printer answered, or the port tried by hand
    std::uint16_t baudRate = 9600;
    PrinterIdentity identity;
    ResultCode result = 0;               // of the last identification
    std::optional<OpenFailure> failure;  // why the port would not open (busy, refused)
    // A search: the ports passed over because they would not open, in order.
    std::vector<Connection> refused{};
};

// The speeds tried on a port: first, then the other one when the line stayed silent
// (21) and fallBack allows. The windows keep 9600 first.
struct Speeds {
    std::uint16_t first = 9600;
    bool fallBack = true;
};

// By hand, on one port: at 9600 baud, and again at 19200 only when the line stayed
// silent (21); or in the order speeds gives.
Connection ConnectOnPort(WinSer& serial, const ChannelSource& channel, std::uint8_t port,
                         Speeds speeds = {});

// Automatically: the present ports in rising order, up to the first on which a
// printer answers, whatever its version. When none answers, the first port that
// would not open, if any, tells why. beforePort runs before each port is tried.
Connection DetectPrinter(WinSer& serial, const ChannelSource& channel,
                         const PortPresentFlags& portPresent,
                         const std::function<void(std::uint8_t port)>& beforePort,
                         const std::function<Speeds(std::uint8_t port)>& speeds = {});

// The operating state after a connection: online only for an accepted printer; a
// printer that answered leaves its port and baud rate either way.
void TakeConnection(const Connection& connection, OperatingState& state);

}  // namespace kalvero
