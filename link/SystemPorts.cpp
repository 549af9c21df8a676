// SPDX-License-Identifier: MIT
#include "link/SystemPorts.h"

#include "link/NetWinSer.h"
#include "link/PortSwitch.h"

#ifdef KALVERO_QT_PORTS
#include "link/QtWinSer.h"
#else
#include "link/Win32WinSer.h"
#endif

namespace kalvero {

std::unique_ptr<WinSer> SystemPorts(const PortMap& map) {
#ifdef KALVERO_QT_PORTS
    auto serial = std::make_unique<QtWinSer>(map);
#else
    auto serial = std::make_unique<Win32WinSer>();
#endif
    return std::make_unique<PortSwitch>(map, std::move(serial), std::make_unique<NetWinSer>(map));
}

}  // namespace kalvero
