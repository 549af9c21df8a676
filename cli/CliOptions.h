// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitCode.h"
#include "data/RecordFormat.h"
#include "link/PortName.h"

namespace kalvero::cli {

class Session;

// What the command words ask of the printer or the files; gives the exit code.
using Command = std::function<int(Session&)>;

// The command line, parsed.
// What a command word is, beside what it does, given where the word is made.
struct CommandTraits {
    bool json = false;     // --json gives its results as one document
    bool several = false;  // it may run on several printers at once (--port A,B)
};

struct Options {
    std::optional<PortName> port;  // the one port of this run
    std::vector<PortName> ports;   // --port as given: a list runs on each at once
    std::vector<std::string> portValues;  // each --port's value, before it is parsed
    int channel = 1;
    bool quiet = false;    // nothing said on success
    bool verbose = false;  // progress on a pipe too, each port tried
    bool json = false;     // the results as one JSON document on standard output
    std::optional<int> baud;  // the only speed to try; else the remembered one first
    std::optional<std::string> footers;
    std::optional<std::string> bindings;
    int lastPlu = kLastPlu;
    bool offline = false;
    bool create = false;
    std::vector<std::string> lines;
    bool verify = false;
    bool noSnapshot = false;              // write, erase: no snapshot first
    bool all = false;                     // write: every record, not only what differs
    bool sinceRead = false;               // write: only what differs from what is known
    std::optional<std::string> snapshot;  // restore: this snapshot, not the undo
    bool force = false;                   // restore: even so
    std::string csv;
    bool cp1250 = false;  // export: the CSV in Windows-1250
    std::optional<std::string> trace;
    int footer = 0;  // the N of footer get/set and binding set
    int plu = 0;     // the PLU of binding get/set and item
    Command command;
    std::string commandName;
    CommandTraits traits;  // the chosen command's
};

// Parses the command line; an exit code when the run ends with it (help, a mistake).
std::optional<int> parse(int argc, char** argv, Options& options);
// One file, one role: the footer and the binding file, the CSV file and the trace
// must be different files. Why not, before anything is written.
std::optional<std::string> roleConflict(const Options& options);

// Decimal digits only; nothing for anything else.
std::optional<long> number(const std::string& text);

}  // namespace kalvero::cli
