// SPDX-License-Identifier: MIT
#pragma once

// The serial-port library of the platform kalvero-cli runs on: Qt SerialPort over
// the Linux device map, or the Win32 API with Windows' own COMn. Both say why an
// opening failed through openFailure().
#ifdef _WIN32
#include "link/Win32WinSer.h"
#else
#include "link/QtWinSer.h"
#endif

namespace kalvero::cli {

#ifdef _WIN32
using PortLibrary = Win32WinSer;
#else
using PortLibrary = QtWinSer;
#endif

}  // namespace kalvero::cli
