// SPDX-License-Identifier: MIT
#include "link/Connecting.h"

#include <utility>

namespace kalvero {

namespace {

constexpr std::uint8_t kFirstAcceptedVersion = 4;

}  // namespace

Connection ConnectOnPort(WinSer& serial, const ChannelSource& channel, std::uint8_t port,
                         Speeds speeds) {
    Connection connection;
    connection.port = port;
    connection.baudRate = speeds.first;
    connection.result = IdentifyPrinter(serial, channel, port, speeds.first, connection.identity);
    if (connection.result == serial::kReceiveTimeout && speeds.fallBack) {
        connection.baudRate = speeds.first == 9600 ? 19200 : 9600;
        connection.result =
            IdentifyPrinter(serial, channel, port, connection.baudRate, connection.identity);
    }
    if (connection.result == 0 && connection.identity.found) {
        connection.outcome = connection.identity.version < kFirstAcceptedVersion
                                 ? ConnectOutcome::VersionRefused
                                 : ConnectOutcome::Online;
    } else if (connection.result == serial::kPortBusy) {
        connection.outcome = ConnectOutcome::PortBusy;
        connection.failure = serial.openFailure();
    } else if ((connection.failure = serial.openFailure())) {
        connection.outcome = ConnectOutcome::PortRefused;
    }
    // Held open, a port nobody uses would be refused to every other program.
    if (connection.outcome != ConnectOutcome::Online) {
        serial.UnInitializePort();
    }
    return connection;
}

Connection DetectPrinter(WinSer& serial, const ChannelSource& channel,
                         const PortPresentFlags& portPresent,
                         const std::function<void(std::uint8_t port)>& beforePort,
                         const std::function<Speeds(std::uint8_t port)>& speeds) {
    std::vector<Connection> refused;
    for (std::uint8_t n = 1; n <= 10; ++n) {
        if (portPresent[n] == 0) {
            continue;
        }
        beforePort(n);
        Connection connection = ConnectOnPort(serial, channel, n, speeds ? speeds(n) : Speeds{});
        if (connection.outcome == ConnectOutcome::Online ||
            connection.outcome == ConnectOutcome::VersionRefused) {
            connection.refused = std::move(refused);
            return connection;
        }
        if (connection.outcome != ConnectOutcome::NoPrinter) {
            refused.push_back(std::move(connection));
        }
    }
    // No printer: the first port that would not open may well be the one it is on.
    Connection none = refused.empty() ? Connection{} : refused.front();
    none.refused = std::move(refused);
    return none;
}

void TakeConnection(const Connection& connection, OperatingState& state) {
    const bool answered = connection.outcome == ConnectOutcome::Online ||
                          connection.outcome == ConnectOutcome::VersionRefused;
    if (answered) {
        state.PortNumber = connection.port;
        state.BaudRate = connection.baudRate;
    }
    state.OfflineMode = connection.outcome == ConnectOutcome::Online ? 0 : 1;
}

}  // namespace kalvero
