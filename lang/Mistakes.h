// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kalvero::lang {

// A command-line mistake as CLI11 words it, in English, in the chosen language; a
// text it does not know (a validator's own, already translated) as it is.
std::string translatedMistake(const std::string& english);

}  // namespace kalvero::lang
