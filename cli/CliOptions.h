// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kalvero::cli {

class Session;

// What the command words ask of the printer or the files; gives the exit code.
using Command = std::function<int(Session&)>;

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an operation's result code was not 0
constexpr int kExitUsage = 2;
constexpr int kExitNoPrinter = 3;  // none found, refused, or its port would not open
constexpr int kExitFile = 4;       // a data file is missing or could not be read or written
constexpr int kExitDiffers = 5;    // the printer and the files differ (diff, write --verify)
constexpr int kExitStopped = 130;  // Ctrl+C

// The command line, parsed.
struct Options {
    std::optional<std::string> port;  // the one port of this run
    std::vector<std::string> ports;   // --port as given: a list runs on each at once
    int channel = 1;
    std::optional<int> baud;  // the only speed to try; else the remembered one first
    std::optional<std::string> footers;
    std::optional<std::string> bindings;
    int lastPlu = 9983;
    bool offline = false;
    bool create = false;
    std::vector<std::string> lines;
    bool verify = false;
    bool noSnapshot = false;              // write, erase: no snapshot first
    bool all = false;                     // write: every record, not only what differs
    std::optional<std::string> snapshot;  // restore: this snapshot, not the newest
    std::string csv;
    std::optional<std::string> trace;
    int footer = 0;  // the N of footer get/set and binding set
    int plu = 0;     // the PLU of binding get/set and item
    Command command;
    std::string commandName;
};

constexpr int kExitSomeFailed = 6;  // on several printers, not all succeeded

// What say and complain write on this thread starts with this (a printer's port when
// several run at once), and every line is kept in lines when it is given.
void setOutputPrefix(std::string prefix, std::vector<std::string>* lines);
const std::string& outputPrefix();
// Several printers on a terminal: one progress line a printer, kept under what they
// say. The printer's line is set to label.
void showProgress(const std::string& label);

// Parses the command line; an exit code when the run ends with it (help, a mistake).
std::optional<int> parse(int argc, char** argv, Options& options);
// One file, one role: the footer and the binding file, the CSV file and the trace
// must be different files. Why not, before anything is written.
std::optional<std::string> roleConflict(const Options& options);

// Output: a result on standard output, a complaint on standard error.
void say(const std::string& utf8);
void complain(const std::string& utf8);
// Complains about the command line and gives its exit code.
int usage(const std::string& why);
// Decimal digits only; nothing for anything else.
std::optional<long> number(const std::string& text);
// The n of COMn (1..10; "COM3", "com3" or "3"); 1 for a device path, the only
// port of its map; nothing for anything else.
std::optional<std::uint8_t> portNumber(const std::string& port);

}  // namespace kalvero::cli
