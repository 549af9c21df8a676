// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "PortLibrary.h"
#include "PortMap.h"
#include "ResultCode.h"

namespace kalvero::cli {

// The port as the user named it (COMn or a device path); on Linux a port named
// COMn shows its device too: the mapping is where a fault often lies.
std::string portLabel(const std::string& named, const PortMap& ports, std::uint8_t port);

// In the user's words, why the named port would not open.
std::string portProblem(ResultCode rc, const PortLibrary::OpenFailure& failure);

}  // namespace kalvero::cli
