// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "link/Connecting.h"

namespace kalvero {

// Why a port would not open, in the user's words (UTF-8, as it goes straight to a
// screen): the port as the user named it, the device behind it where that differs,
// and the reason, for example
//   "COM1 (/dev/ttyS0): brak uprawnień do portu"
// connection is one whose outcome is PortBusy or PortRefused.
std::string PortRefusalText(const std::string& name, const Connection& connection);
// The reason alone: "brak uprawnień do portu".
std::string PortRefusalReason(const Connection& connection);

// For a refused access, how the user mends it on this system; empty otherwise.
std::string PortRefusalMend(const Connection& connection);

}  // namespace kalvero
