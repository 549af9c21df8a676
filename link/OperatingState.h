#pragma once

#include <cstdint>

#include "Identification.h"

namespace kalvero {

// The process-wide operating state, one instance owned by startup.
struct OperatingState {
    std::uint8_t OfflineMode = 1;  // 1: no printer connected
    PortPresentFlags PortPresent{};
    std::uint8_t PortNumber = 0;  // where a printer last answered
    std::uint16_t BaudRate = 0;
    std::uint8_t AbortRequested = 0;
    std::uint8_t ExchangeMode = 0;  // 1 write, 2 read, 3 erase
};

}  // namespace kalvero
