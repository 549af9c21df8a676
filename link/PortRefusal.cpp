// SPDX-License-Identifier: MIT
#include "link/PortRefusal.h"
#include "lang/Language.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace kalvero {

std::string PortRefusalReason(const Connection& connection) {
    const OpenFailure failure = connection.failure.value_or(OpenFailure{});
    if (failure.notSerial) {
        return _("not a serial port");
    }
    if (failure.device.find("://") != std::string::npos) {
        return failure.reason;  // a printer on the network: the reason names the server
    }
    switch (connection.result) {
        case serial::kPortBusy:
            return _("the port is held by another program");
        case serial::kNoSuchPort:
            return _("no such device");
        case serial::kAccessDenied:
            return _("no permission to use the port");
        case serial::kStaleLock:
            return fill(_("port locked by the file %1 (process %2 is no longer running)"),
                        {failure.lockFile, std::to_string(failure.lockProcess)});
        case serial::kCannotConfigure:
            return fill(_("cannot set up the port: %1"), {failure.reason});
        default:
            return fill(_("cannot open the port: %1"), {failure.reason});
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
    if (connection.result == serial::kStaleLock && connection.failure) {
        return fill(_("The program that locked it has ended; remove the lock file:\n"
                      "    sudo rm %1"),
                    {connection.failure->lockFile});
    }
    if (connection.result != serial::kAccessDenied) {
        return {};
    }
#ifdef _WIN32
    return {};
#else
    // Serial devices belong to the group dialout; membership counts from the next login.
    const passwd* user = ::getpwuid(::geteuid());
    const std::string login = user != nullptr ? user->pw_name : _("USER");
    return fill(_("Serial ports are open to the group dialout. Add the user to it:\n"
                  "    sudo usermod -aG dialout %1\n"
                  "and log in again."),
                {login});
#endif
}

}  // namespace kalvero
