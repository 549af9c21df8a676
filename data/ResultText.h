// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "data/ResultCode.h"

namespace kalvero {

// The Polish text the user sees for a code, in Windows-1250.
std::string ResultText(ResultCode code);

}  // namespace kalvero
