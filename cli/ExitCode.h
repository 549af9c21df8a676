// SPDX-License-Identifier: MIT
#pragma once

namespace kalvero::cli {

// What kalvero-cli exits with.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,     // an operation's result code was not 0
    kExitUsage = 2,      // a wrong command line
    kExitNoPrinter = 3,  // none found, refused, or its port would not open
    kExitFile = 4,       // a data file or snapshot missing, not whole, unreadable or unwritable
    kExitDiffers = 5,    // the printer differs from the files, or from what a change left
    kExitSomeFailed = 6,  // on several printers, not all succeeded
    kExitStopped = 130,   // Ctrl+C
    kExitTerminated = 143,  // SIGTERM
};

}  // namespace kalvero::cli
