#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kalvero::cli {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an operation's result code was not 0
constexpr int kExitUsage = 2;
constexpr int kExitNoPrinter = 3;  // none found, refused, or its port would not open
constexpr int kExitFile = 4;       // a data file is missing or could not be read or written
constexpr int kExitStopped = 130;  // Ctrl+C

extern const char* const kUsage;
extern const std::map<std::string, const char*> kCommandHelp;

// The command line, parsed.
struct Options {
    std::optional<std::string> port;
    int channel = 1;
    std::vector<std::string> words;  // the command and its arguments
    std::optional<std::string> footers;
    std::optional<std::string> bindings;
    int lastPlu = 9983;
    bool offline = false;
    bool create = false;
    bool help = false;
    std::vector<std::string> lines;
};

// Parses the command line; on a mistake gives the message for it.
std::optional<std::string> parse(int argc, char** argv, Options& options);

// Output: a result on standard output, a complaint on standard error.
void say(const std::string& utf8);
void complain(const std::string& utf8);
// Complains about the command line and gives its exit code.
int usage(const std::string& why);
// The same for a known command, with that command's usage.
int commandUsage(const std::string& command, const std::string& why);
// Decimal digits only; nothing for anything else.
std::optional<long> number(const std::string& text);
// The n of COMn (1..10; "COM3", "com3" or "3"); 1 for a device path, the only
// port of its map; nothing for anything else.
std::optional<std::uint8_t> portNumber(const std::string& port);

}  // namespace kalvero::cli
