// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace kalvero::cli {

// The command on each port of --port at once, a thread each. Each printer's lines are
// named by its port ("[COM3] ..."); a read puts each printer's files in a folder named
// after its port, a trace goes to TRACE.PORT. At the end a table gives each printer's
// port, number, records changed, time and last result, from what each run returned;
// the exit is 0 when all succeeded, 6 when some did not (with the command that
// repeats the run for just those), 130 after Ctrl+C. args are the program's
// arguments, to build that command from.
int RunOnSeveral(const Options& options, const std::vector<std::string>& args);

// Why the ports may not run at once: two of them reach one printer.
std::optional<std::string> SamePrinterTwice(const std::vector<PortName>& ports);

}  // namespace kalvero::cli
