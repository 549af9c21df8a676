// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kalvero {

// Outcome of every file and printer operation; 0 is success.
using ResultCode = std::int32_t;

}  // namespace kalvero
