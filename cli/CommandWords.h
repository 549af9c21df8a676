// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>

#include "cli/CliOptions.h"

namespace kalvero::cli {

// The command words and their own options, each calling its command family.
void addCommandWords(CLI::App& app, Options& o);

}  // namespace kalvero::cli
