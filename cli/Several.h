// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace kalvero::cli {

// The command on each port of --port at once, a thread each. Each printer's lines are
// named by its port ("[COM3] ..."); a read puts each printer's files in a folder named
// after its port, a trace goes to TRACE.PORT. At the end a table gives each printer's
// port, number, last result, records changed and time; the exit is 0 when all
// succeeded, 6 when some did not, and the command that repeats the run for just
// those is printed. args are the program's arguments, to build that command from.
int RunOnSeveral(const Options& options, const std::vector<std::string>& args);

// The commands that may run on several printers at once.
bool RunsOnSeveral(const std::string& command);

}  // namespace kalvero::cli
