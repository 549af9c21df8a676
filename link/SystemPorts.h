// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "link/PortMap.h"
#include "link/WinSer.h"

namespace kalvero {

// The ports of the system the program runs on, as the map names them: serial ports
// through Qt SerialPort where Qt is, the Win32 API with Windows' own COMn where it is
// not, and printers on the network through TCP.
std::unique_ptr<WinSer> SystemPorts(const PortMap& map);

}  // namespace kalvero
