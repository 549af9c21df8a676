// SPDX-License-Identifier: MIT
#include "link/SystemPorts.h"

#ifdef KALVERO_QT_PORTS
#include "link/QtWinSer.h"
#else
#include "link/Win32WinSer.h"
#endif

namespace kalvero {

std::unique_ptr<WinSer> SystemPorts([[maybe_unused]] const PortMap& map) {
#ifdef KALVERO_QT_PORTS
    return std::make_unique<QtWinSer>(map);
#else
    return std::make_unique<Win32WinSer>();
#endif
}

}  // namespace kalvero
