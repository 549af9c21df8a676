// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kalvero::cli {

// Output: a result on standard output, a complaint on standard error, each line
// whole whichever printer's thread it comes from. A control byte shows as \xNN.
void say(const std::string& utf8);
void complain(const std::string& utf8);
// Complains about the command line and gives its exit code.
int usage(const std::string& why);

// What say and complain write on this thread starts with this (a printer's port when
// several run at once).
void setOutputPrefix(std::string prefix);
const std::string& outputPrefix();
// Several printers on a terminal: one progress line a printer, kept under what they
// say. The printer's line is set to label.
void showProgress(const std::string& label);

}  // namespace kalvero::cli
