// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace kalvero {

// The exit code of a command line the windowed program refuses.
inline constexpr int kExitUsage = 2;

// What the windowed program's command line asks: an answer on the terminal and an
// exit (--help, --version, a refusal), or the windows with an optional trace file.
struct ProgramOptions {
    std::optional<int> exitCode;
    std::optional<std::string> traceFile;
};

// Read before any window (or display) is needed, so that these answers and refusals
// work on a bare terminal.
ProgramOptions ReadProgramOptions(int argc, char** argv);

}  // namespace kalvero
