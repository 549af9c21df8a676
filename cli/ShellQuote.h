// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalvero::cli {

// A command line as the system's shell takes it back word for word: POSIX sh on
// Linux, cmd.exe on Windows. Nothing when a word cannot be written safely there (a
// control character; on Windows also '"', '%' and '!', which cmd.exe acts on even
// within quotes).
std::optional<std::string> ShellCommand(const std::vector<std::string>& words);

}  // namespace kalvero::cli
