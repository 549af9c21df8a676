// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

namespace kalvero::cli {

// The four lines of a footer to store: width20, enabled and the text in Windows-1250.
using FooterLines = std::array<std::tuple<std::uint8_t, std::uint8_t, std::string>, 4>;

// Takes one --line K:WIDTH:ENABLED:TEXT into its line; why it is wrong, or nothing.
std::optional<std::string> parseLine(const std::string& lineOption, FooterLines& lines);

}  // namespace kalvero::cli
