// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "link/Identification.h"

namespace kalvero {

// The command that opened the data exchange dialog.
enum class ExchangeKind : std::uint8_t { None = 0, Write = 1, Read = 2, Erase = 3 };

// The process-wide operating state, one instance owned by startup.
struct OperatingState {
    std::uint8_t OfflineMode = 1;  // 1: no printer connected
    PortPresentFlags PortPresent{};
    std::uint8_t PortNumber = 0;  // where a printer last answered
    std::uint16_t BaudRate = 0;
    std::uint8_t AbortRequested = 0;
    ExchangeKind ExchangeMode = ExchangeKind::None;
};

}  // namespace kalvero
