// SPDX-License-Identifier: MIT
// oru-emulator: a DURAX ORU label printer on a pseudo-terminal.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "emulator/PtyPrinter.h"
#include "Version.h"

namespace {

oru::PtyPrinter* g_printer = nullptr;

extern "C" void onSignal(int /*signal*/) {
    if (g_printer != nullptr) {
        g_printer->stop();
    }
}

const char* const kHelp = R"(Usage: oru-emulator [OPTION]...
Plays a DURAX ORU price-label printer on a pseudo-terminal. Prints the
terminal's path on the first line of standard output, then serves until
SIGINT or SIGTERM (or until a hang-up fault).

Where the host finds it:
  --link PATH            create a symlink PATH to the terminal (removed on exit)
  --com N                shorthand for --link $XDG_CONFIG_HOME/kalvero/ports/comN
                         (default ~/.config/kalvero/ports/comN)

The printer:
  --baud 9600|19200      its speed; it stays silent to a host at another speed
                         (default 9600)
  --printer-version V    the printer's program version 0..15 (default 4)
  --number NN            printer number, two characters (default 01)
  --status AA,BB,CC,DD   the four status bytes, hex (default 10,00,00,00)
  --load FILE            start from the memory saved in FILE
  --save FILE            save the memory to FILE on exit
  --pace                 send and receive at wire speed (10 bits a byte)

Faults:
  --identify-byte HH     answer identification with HH instead of 25 ('%')
  --silent               never answer
  --nak CMD|all          refuse command byte CMD (hex), or every command, with NAK
  --error-status HH      answer status HH instead of 0 to every command with a status
  --not-ack HH           send HH instead of ACK
  --faults-from N        --nak, --error-status and --not-ack start at exchange N
                         (default 1, the first)
  --stop-after N         fall silent after N exchanges
  --hang-up-after N      hang up the line when exchange N+1 begins
  --forget-writes LIST   accept writes to the footers and PLUs in LIST with status 0
                         as usual, but keep their old values; LIST is items
                         footer:N and plu:N joined by commas, e.g.
                         footer:7,footer:9,plu:1234 (the option may be repeated)

  --help                 show this help and exit
  --version              show the emulator's version and exit

Memory file lines: "version 4", "number 07", "baud 9600", "identify 25",
"status 10000000", "footer N LINE FLAGS TEXT" (flags and 40 text bytes in
hex, code page 852), "binding PLU FOOTER", "name PLU HEX" (18 bytes).
)";

std::optional<long> number(std::string_view text, int base) {
    std::string s(text);
    char* end = nullptr;
    const long value = std::strtol(s.c_str(), &end, base);
    if (s.empty() || end == nullptr || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint8_t> hexByte(std::string_view text) {
    const auto value = number(text, 16);
    if (!value || *value < 0 || *value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*value);
}

// One item of a --forget-writes list, "footer:N" or "plu:N"; false for anything else.
bool addForgotten(std::string_view item, oru::Faults& faults) {
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const std::string_view kind = item.substr(0, colon);
    const auto n = number(item.substr(colon + 1), 10);
    if (kind == "footer" && n && *n >= 0 && *n <= oru::kLastFooter) {
        faults.forgetFooters.insert(static_cast<int>(*n));
    } else if (kind == "plu" && n && *n >= oru::kFirstPlu && *n <= oru::kLastPlu) {
        faults.forgetPlus.insert(static_cast<int>(*n));
    } else {
        return false;
    }
    return true;
}

bool addForgottenList(std::string_view list, oru::Faults& faults) {
    for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(',', start);
        if (!addForgotten(list.substr(start, comma - start), faults)) {
            return false;
        }
        if (comma == std::string_view::npos) {
            return true;
        }
        start = comma + 1;
    }
}

std::filesystem::path portsDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path config = (xdg != nullptr && *xdg != '\0')
                                             ? std::filesystem::path(xdg)
                                             : std::filesystem::path(home ? home : ".") / ".config";
    return config / "kalvero" / "ports";
}

int usageError(const std::string& message) {
    std::cerr << "oru-emulator: " << message << "\nTry 'oru-emulator --help'.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    oru::Faults faults;
    oru::PtyOptions options;
    std::optional<std::string> loadFile;
    std::optional<std::string> saveFile;
    std::optional<long> baud;
    std::optional<long> version;
    std::optional<std::string> printerNumber;
    std::optional<std::array<std::uint8_t, 4>> status;
    std::optional<std::uint8_t> identifyByte;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::cout << kHelp;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "oru-emulator " << kalvero::kVersion << "\n";
            return 0;
        }
        const bool flag = arg == "--pace" || arg == "--silent";
        if (!flag && i + 1 >= argc) {
            return usageError("option " + std::string(arg) + " needs a value");
        }
        const std::string_view value = flag ? std::string_view{} : std::string_view(argv[++i]);
        auto bad = [&] {
            return usageError("bad value for " + std::string(arg) + ": " + std::string(value));
        };
        if (arg == "--pace") {
            options.pace = true;
        } else if (arg == "--silent") {
            faults.silent = true;
        } else if (arg == "--link") {
            options.link = std::string(value);
        } else if (arg == "--com") {
            const auto n = number(value, 10);
            if (!n || *n < 1 || *n > 10) {
                return bad();
            }
            options.link = portsDir() / ("com" + std::to_string(*n));
        } else if (arg == "--baud") {
            baud = number(value, 10);
            if (baud != 9600 && baud != 19200) {
                return bad();
            }
        } else if (arg == "--printer-version") {
            version = number(value, 10);
            if (!version || *version < 0 || *version > 15) {
                return bad();
            }
        } else if (arg == "--number") {
            if (value.size() != 2) {
                return bad();
            }
            printerNumber = std::string(value);
        } else if (arg == "--status") {
            std::array<std::uint8_t, 4> bytes{};
            std::size_t start = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                const std::size_t comma = value.find(',', start);
                const auto byte = hexByte(value.substr(start, comma - start));
                if (!byte || (k < 3) == (comma == std::string_view::npos)) {
                    return bad();
                }
                bytes[k] = *byte;
                start = comma + 1;
            }
            status = bytes;
        } else if (arg == "--load") {
            loadFile = std::string(value);
        } else if (arg == "--save") {
            saveFile = std::string(value);
        } else if (arg == "--identify-byte") {
            if (!(identifyByte = hexByte(value))) {
                return bad();
            }
        } else if (arg == "--nak") {
            if (value == "all") {
                faults.nakAll = true;
            } else if (!(faults.nakCommand = hexByte(value))) {
                return bad();
            }
        } else if (arg == "--error-status") {
            if (!(faults.errorStatus = hexByte(value))) {
                return bad();
            }
        } else if (arg == "--not-ack") {
            if (!(faults.notAckByte = hexByte(value))) {
                return bad();
            }
        } else if (arg == "--forget-writes") {
            if (!addForgottenList(value, faults)) {
                return bad();
            }
        } else if (arg == "--faults-from" || arg == "--stop-after" || arg == "--hang-up-after") {
            const auto n = number(value, 10);
            if (!n || *n < 0) {
                return bad();
            }
            (arg == "--faults-from"  ? faults.faultsFrom
             : arg == "--stop-after" ? faults.stopAfter
                                     : faults.hangUpAfter) = *n;
        } else {
            return usageError("unknown option " + std::string(arg));
        }
    }

    std::string error;
    if (loadFile && !memory.load(*loadFile, error)) {
        std::cerr << "oru-emulator: " << error << "\n";
        return 1;
    }
    // Options given on the command line win over the loaded memory.
    if (baud) memory.baudRate = static_cast<std::uint32_t>(*baud);
    if (version) memory.version = static_cast<std::uint8_t>(*version);
    if (printerNumber) memory.number = {(*printerNumber)[0], (*printerNumber)[1]};
    if (status) memory.status = *status;
    if (identifyByte) memory.identifyByte = *identifyByte;

    oru::PtyPrinter printer(memory, faults, options);
    if (!printer.open(error)) {
        std::cerr << "oru-emulator: " << error << "\n";
        return 1;
    }
    g_printer = &printer;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    std::cout << printer.slavePath() << std::endl;
    if (!options.link.empty()) {
        std::cerr << "oru-emulator: " << options.link.string() << " -> " << printer.slavePath()
                  << " at " << memory.baudRate << " baud\n";
    }
    printer.serve();
    g_printer = nullptr;

    if (saveFile && !printer.memory().save(*saveFile, error)) {
        std::cerr << "oru-emulator: " << error << "\n";
        return 1;
    }
    if (printer.hungUp()) {
        std::cerr << "oru-emulator: hung up after " << printer.exchanges() - 1 << " exchanges\n";
        return 3;
    }
    return 0;
}
