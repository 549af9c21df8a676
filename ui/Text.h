// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "link/Connecting.h"
#include "data/Cp1250.h"
#include "link/Identification.h"
#include "link/PortRefusal.h"

namespace kalvero {

// Windows-1250 text of the core becomes Unicode only here, at a widget's edge.
inline QString toQt(const std::string& cp1250) {
    return QString::fromStdString(Cp1250ToUtf8(cp1250));
}

inline std::optional<std::string> fromQt(const QString& text) {
    return Utf8ToCp1250(text.toStdString());
}

inline QString printerNumber(const PrinterIdentity& identity) {
    return toQt(identity.numberText);
}

// Why COMn would not open, as the status bar shows it: "Port COM2 zajęty przez inny
// program", "Port COM1: brak uprawnień do portu".
inline QString portRefusal(const Connection& connection) {
    const QString port = QStringLiteral("Port COM%1").arg(connection.port);
    if (connection.outcome == ConnectOutcome::PortBusy) {
        return port + QStringLiteral(" zajęty przez inny program");
    }
    return port + QStringLiteral(": ") + QString::fromStdString(PortRefusalReason(connection));
}

// The same with the device behind the port, and the mend if there is one, for a
// message box; empty for a busy port, which the status bar says all about.
inline QString portRefusalInFull(const Connection& connection) {
    if (connection.outcome != ConnectOutcome::PortRefused) {
        return {};
    }
    const std::string port = "COM" + std::to_string(connection.port);
    const std::string mend = PortRefusalMend(connection);
    return QString::fromStdString("Port " + PortRefusalText(port, connection) +
                                  (mend.empty() ? "" : "\n\n" + mend));
}

// Why a connection left the program offline; notFound when no printer answered.
inline QString offlineText(const Connection& connection, const QString& notFound) {
    switch (connection.outcome) {
        case ConnectOutcome::VersionRefused:
            return QStringLiteral("Wersja programu w drukarce etykiet mniejsza niż 4");
        case ConnectOutcome::PortBusy:
        case ConnectOutcome::PortRefused:
            return portRefusal(connection);
        default:
            return notFound;
    }
}

}  // namespace kalvero
