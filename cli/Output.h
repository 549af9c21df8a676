// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kalvero::cli {

// Output: a result on standard output, a complaint on standard error, each line
// whole whichever printer's thread it comes from. A control byte shows as \xNN.
void say(const std::string& utf8);
void complain(const std::string& utf8);
// What a complaint adds (how to mend it), not a reason of its own.
void complainFurther(const std::string& utf8);
// A complaint written otherwise (the command-line parser's), remembered as said.
void rememberComplaint(const std::string& utf8);
// The reason this thread last complained of (what a failed run's --json repeats).
const std::string& lastComplaint();
// Complains about the command line and gives its exit code.
int usage(const std::string& why);
// What is said besides the results and reasons (the printer found, a snapshot kept):
// on standard error, unless quiet.
void inform(const std::string& utf8);

// How much is said: quiet says nothing on success (data asked for, such as footer
// get's lines, still goes out; reasons of a failure too); verbose adds the progress
// of a transfer when standard error is no terminal, and each port tried.
enum class Verbosity { Quiet, Normal, Verbose };
void setVerbosity(Verbosity verbosity);
Verbosity verbosity();
// With --json standard output holds the one JSON document alone: say writes nothing.
void setResultsAsJson(bool json);

// What say and complain write on this thread starts with this (a printer's port when
// several run at once).
void setOutputPrefix(std::string prefix);
const std::string& outputPrefix();
// Several printers on a terminal: one progress line a printer, kept under what they
// say. The printer's line is set to label.
void showProgress(const std::string& label);

}  // namespace kalvero::cli
