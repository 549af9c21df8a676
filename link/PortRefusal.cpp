// SPDX-License-Identifier: MIT
#include "link/PortRefusal.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace kalvero {

std::string PortRefusalReason(const Connection& connection) {
    const OpenFailure failure = connection.failure.value_or(OpenFailure{});
    if (failure.notSerial) {
        return "to nie jest port szeregowy";
    }
    if (failure.device.find("://") != std::string::npos) {
        return failure.reason;  // a printer on the network: the reason names the server
    }
    switch (connection.result) {
        case serial::kPortBusy:
            return "port zajęty przez inny program";
        case serial::kNoSuchPort:
            return "nie ma takiego urządzenia";
        case serial::kAccessDenied:
            return "brak uprawnień do portu";
        case serial::kCannotConfigure:
            return "nie można ustawić portu: " + failure.reason;
        default:
            return "nie można otworzyć portu: " + failure.reason;
    }
}

std::string PortRefusalText(const std::string& name, const Connection& connection) {
    std::string label = name;
    if (connection.failure && !connection.failure->device.empty() &&
        connection.failure->device != name) {
        label += " (" + connection.failure->device + ")";
    }
    return label + ": " + PortRefusalReason(connection);
}

std::string PortRefusalMend(const Connection& connection) {
    if (connection.result != serial::kAccessDenied) {
        return {};
    }
#ifdef _WIN32
    return {};
#else
    // Serial devices belong to the group dialout; membership counts from the next login.
    const passwd* user = ::getpwuid(::geteuid());
    const std::string login = user != nullptr ? user->pw_name : "UŻYTKOWNIK";
    return "Dostęp do portów szeregowych ma grupa dialout. Dodaj do niej użytkownika:\n"
           "    sudo usermod -aG dialout " +
           login + "\ni zaloguj się ponownie.";
#endif
}

}  // namespace kalvero
