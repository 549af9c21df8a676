#include "CliOptions.h"

#include <cstdio>

#include "DataFiles.h"

namespace kalvero::cli {

const char* const kUsage =
    R"(Usage: kalvero-cli [--port PORT] [--channel N] COMMAND [ARGS] [OPTIONS]

Commands:
  detect                 find the printer and show its port, speed, version and number
  read                   read footers and/or bindings from the printer into the files
  write                  write footers and/or bindings from the files to the printer
  erase                  erase footers and/or bindings in the printer
  footer get N           show footer N (0..200): its four lines
  footer set N           store footer N from --line options
  binding get PLU        show the footer bound to item PLU (1..9983)
  binding set PLU N      bind item PLU to footer N
  item PLU               show the item's name (printer only)
  status                 show the printer's four status bytes

Options:
  --port PORT            COM1..COM10 (mapped as in Kalvero) or a device path;
                         without it every present port is tried
  --channel N            the printer's channel, 1..4 (default 1)
  --footers [FILE]       the footers, in FILE (default stopki.txt);
                         --footers=FILE works too
  --bindings [FILE]      the bindings, in FILE (default wiazplu.txt);
                         --bindings=FILE works too
  --last-plu N           read bindings up to item N (default 9983)
  --offline              footer/binding get/set work on the files, not the printer
  --create               create a missing data file for an offline set
  --line K:W:E:TEXT      footer set: line K (1..4), width 40 or 20, enabled 1 or 0
                         and its text (at most W characters, no control
                         characters); lines not given are blank, off, 40 wide
  --help                 this help; 'kalvero-cli COMMAND --help' for one command

read, write and erase take both footers and bindings unless --footers or
--bindings names one of them. The word after --footers or --bindings is its
FILE unless it starts with '-' or is a command word. Footers always go first.
Ctrl+C stops between two records; a file being read keeps the whole records
done so far. Before a read empties a file, the file is kept beside it as
FILE.YYYY-MM-DD_HH-MM-SS.bak (the newest 20 such copies stay).

Exit codes: 0 done; 1 the printer or a file answered with an error (its text
is printed); 2 a wrong command line; 3 no printer, or its port cannot be
opened; 4 a data file that is missing or cannot be read or written; 130
stopped by Ctrl+C.
)";

const std::map<std::string, const char*> kCommandHelp = {
    {"detect",
     "Usage: kalvero-cli [--port PORT] [--channel N] detect\n"
     "Tries the port (or every present port) at 9600 baud, then at 19200 after a\n"
     "receive time-out, and prints the port, speed, version and printer number.\n"},
    {"read",
     "Usage: kalvero-cli [--port PORT] read [--footers [FILE]] [--bindings [FILE]] [--last-plu N]\n"
     "Reads footers 0..200 and the bindings of items 1..N into the files.\n"},
    {"write",
     "Usage: kalvero-cli [--port PORT] write [--footers [FILE]] [--bindings [FILE]]\n"
     "Sends every record of the files to the printer, in file order.\n"},
    {"erase",
     "Usage: kalvero-cli [--port PORT] erase [--footers] [--bindings]\n"
     "Blanks footers 0..200 and binds items 1..9983 to footer 0.\n"},
    {"footer",
     "Usage: kalvero-cli footer get N [--offline] [--footers FILE]\n"
     "       kalvero-cli footer set N [--line K:W:E:TEXT]... [--offline] [--footers FILE] "
     "[--create]\n"
     "get prints one line per footer line: K, width (40/20), enabled (1/0), text;\n"
     "nothing unless all four came.\n"},
    {"binding",
     "Usage: kalvero-cli binding get PLU [--offline] [--bindings FILE]\n"
     "       kalvero-cli binding set PLU N [--offline] [--bindings FILE] [--create]\n"},
    {"item",
     "Usage: kalvero-cli [--port PORT] item PLU\nPrints the item's name from the printer.\n"},
    {"status",
     "Usage: kalvero-cli [--port PORT] status\nPrints the printer's four status bytes.\n"},
};

void say(const std::string& utf8) {
    std::printf("%s\n", utf8.c_str());
}
void complain(const std::string& utf8) {
    std::fprintf(stderr, "kalvero-cli: %s\n", utf8.c_str());
}

int usage(const std::string& why) {
    complain(why);
    std::fprintf(stderr, "Try 'kalvero-cli --help'.\n");
    return kExitUsage;
}

int commandUsage(const std::string& command, const std::string& why) {
    complain(why);
    std::fputs(kCommandHelp.at(command), stderr);
    return kExitUsage;
}

std::optional<long> number(const std::string& text) {
    const long value = DecimalField(text);
    return value < 0 ? std::nullopt : std::optional(value);
}

std::optional<std::uint8_t> portNumber(const std::string& port) {
    if (port.find('/') != std::string::npos) {
        return 1;
    }
    const std::string digits =
        port.rfind("COM", 0) == 0 || port.rfind("com", 0) == 0 ? port.substr(3) : port;
    const auto n = number(digits);
    return n && *n >= 1 && *n <= 10 ? std::optional(static_cast<std::uint8_t>(*n)) : std::nullopt;
}

namespace {

// A data file option takes the next word as its file unless that is an option
// or a command word: "read --footers" alone means the default file.
std::optional<std::string> fileAfter(int& i, int argc, char** argv) {
    if (i + 1 >= argc) {
        return std::nullopt;
    }
    const std::string next = argv[i + 1];
    if (next.empty() || next[0] == '-' || kCommandHelp.count(next) != 0 || next == "get" ||
        next == "set") {
        return std::nullopt;
    }
    ++i;
    return next;
}

}  // namespace

std::optional<std::string> parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--offline") {
            options.offline = true;
        } else if (arg == "--create") {
            options.create = true;
        } else if (arg == "--port" || arg == "--channel" || arg == "--last-plu" ||
                   arg == "--line") {
            const auto v = value();
            if (!v) {
                return "option " + arg + " needs a value";
            }
            if (arg == "--port") {
                if (!portNumber(*v)) {
                    return "bad value for --port: " + *v + " (COM1..COM10 or a device path)";
                }
                options.port = *v;
            } else if (arg == "--line") {
                options.lines.push_back(*v);
            } else {
                const auto n = number(*v);
                const bool channel = arg == "--channel";
                if (!n || *n < 1 || *n > (channel ? 4 : 9983)) {
                    return "bad value for " + arg + ": " + *v;
                }
                (channel ? options.channel : options.lastPlu) = static_cast<int>(*n);
            }
        } else if (arg == "--footers" || arg == "--bindings") {
            const bool footers = arg == "--footers";
            (footers ? options.footers : options.bindings) =
                fileAfter(i, argc, argv).value_or(footers ? "stopki.txt" : "wiazplu.txt");
        } else if (arg.rfind("--footers=", 0) == 0) {
            options.footers = arg.substr(10);
        } else if (arg.rfind("--bindings=", 0) == 0) {
            options.bindings = arg.substr(11);
        } else if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
            return "unknown option " + arg;
        } else {
            options.words.push_back(arg);
        }
    }
    return std::nullopt;
}

}  // namespace kalvero::cli
