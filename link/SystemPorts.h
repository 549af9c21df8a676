// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "link/PortMap.h"
#include "link/WinSer.h"

namespace kalvero {

// The serial-port library of the system the program runs on: Qt SerialPort over the
// device map where Qt is, the Win32 API with Windows' own COMn (which needs no map)
// where it is not.
std::unique_ptr<WinSer> SystemPorts(const PortMap& map);

}  // namespace kalvero
