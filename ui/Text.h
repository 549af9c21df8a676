// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "Connecting.h"
#include "Cp1250.h"
#include "Identification.h"
#include "PortRefusal.h"

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
// program", "Port COM1 (/dev/ttyS0): brak uprawnień do portu".
inline QString portRefusal(const Connection& connection) {
    const QString port = QStringLiteral("COM%1").arg(connection.port);
    if (connection.outcome == ConnectOutcome::PortBusy) {
        return QStringLiteral("Port %1 zajęty przez inny program").arg(port);
    }
    return QStringLiteral("Port ") +
           QString::fromStdString(PortRefusalText(port.toStdString(), connection));
}

inline QString portRefusalMend(const Connection& connection) {
    return QString::fromStdString(PortRefusalMend(connection));
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
