// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "link/Connecting.h"
#include "link/PortRefusal.h"

namespace kalvero {

// Why COMn would not open, as the status bar shows it: "Port COM2 zajęty przez inny
// program", "Port COM1: brak uprawnień do portu".
inline std::string portRefusal(const Connection& connection) {
    const std::string port = "Port COM" + std::to_string(connection.port);
    if (connection.outcome == ConnectOutcome::PortBusy) {
        return port + " zajęty przez inny program";
    }
    return port + ": " + PortRefusalReason(connection);
}

// The same with the device behind the port, and the mend if there is one, for a
// message box; empty for a busy port, which the status bar says all about.
inline std::string portRefusalInFull(const Connection& connection) {
    if (connection.outcome != ConnectOutcome::PortRefused) {
        return {};
    }
    const std::string port = "COM" + std::to_string(connection.port);
    const std::string mend = PortRefusalMend(connection);
    return "Port " + PortRefusalText(port, connection) + (mend.empty() ? "" : "\n\n" + mend);
}

// Why a connection left the program offline; notFound when no printer answered.
inline std::string offlineText(const Connection& connection, const std::string& notFound) {
    switch (connection.outcome) {
        case ConnectOutcome::VersionRefused:
            return "Wersja programu w drukarce etykiet mniejsza niż 4";
        case ConnectOutcome::PortBusy:
        case ConnectOutcome::PortRefused:
            return portRefusal(connection);
        default:
            return notFound;
    }
}

}  // namespace kalvero
