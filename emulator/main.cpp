// SPDX-License-Identifier: MIT
// oru-emulator: a DURAX ORU label printer on a pseudo-terminal.

#include <CLI/CLI.hpp>
#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Version.h"
#include "emulator/PtyPrinter.h"
#include "lang/Language.h"
#include "lang/Mistakes.h"

using kalvero::_;
using kalvero::fill;
using kalvero::N_;
namespace lang = kalvero::lang;

namespace {

oru::PtyPrinter* g_printer = nullptr;

extern "C" void onSignal(int /*signal*/) {
    if (g_printer != nullptr) {
        g_printer->stop();
    }
}

const char* const kAbout = N_(R"(Plays a DURAX ORU price-label printer on a pseudo-terminal. Prints the
terminal's path on the first line of standard output, then serves until
SIGINT or SIGTERM (or until a hang-up fault).)");

const char* const kMemoryFile = N_(
    R"(Memory file lines: "version 4", "number 07", "baud 9600", "identify 25",
"status 10000000", "footer N LINE FLAGS TEXT" (flags and 40 text bytes in
hex, code page 852), "binding PLU FOOTER", "name PLU HEX" (18 bytes).)");

constexpr long kNoLimit = std::numeric_limits<long>::max();

// A whole number minimum..maximum, as strtol reads it in base `base`.
std::optional<long> number(std::string_view text, int base, long minimum, long maximum) {
    std::string s(text);
    char* end = nullptr;
    const long value = std::strtol(s.c_str(), &end, base);
    if (s.empty() || end == nullptr || *end != '\0' || value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint8_t> hexByte(std::string_view text) {
    const auto value = number(text, 16, 0, 255);
    return value ? std::optional(static_cast<std::uint8_t>(*value)) : std::nullopt;
}

// "AA,BB,CC,DD": exactly four hex bytes.
std::optional<std::array<std::uint8_t, 4>> statusBytes(std::string_view text) {
    std::array<std::uint8_t, 4> bytes{};
    std::size_t start = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t comma = text.find(',', start);
        const auto byte = hexByte(text.substr(start, comma - start));
        if (!byte || (k < 3) == (comma == std::string_view::npos)) {
            return std::nullopt;
        }
        bytes[k] = *byte;
        start = comma + 1;
    }
    return bytes;
}

// One item of a --forget-writes list, "footer:N" or "plu:N"; false for anything else.
bool addForgotten(std::string_view item, oru::Faults& faults) {
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const std::string_view kind = item.substr(0, colon);
    const auto n = number(item.substr(colon + 1), 10, 0, kNoLimit);
    if (kind == "footer" && n && *n <= oru::kLastFooter) {
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

// --load F --save F keeps one memory from run to run: the first run, before F exists,
// starts from the factory's. A missing file to load alone is still refused, as a typo.
bool startsBlank(const std::filesystem::path& load, const std::optional<std::string>& save) {
    std::error_code ec;
    if (!save || std::filesystem::exists(std::filesystem::symlink_status(load, ec))) {
        return false;
    }
    const auto whole = [](const std::filesystem::path& file) {
        std::error_code ignored;
        return std::filesystem::weakly_canonical(std::filesystem::absolute(file), ignored);
    };
    return whole(load) == whole(*save);
}

// The usage line first, then the description, as help2man reads GNU programs' help;
// one blank line between the groups of options.
class Help final : public CLI::Formatter {
public:
    Help() { column_width(25); }

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode /*mode*/) const override {
        std::string help = fill(_("Usage: %1 [OPTION]..."), {name}) + "\n" + make_description(app);
        for (const std::string& group : app->get_groups()) {
            help += make_group(group, false, app->get_options([&group](const CLI::Option* option) {
                return option->get_group() == group;
            }));
        }
        return help + "\n" + make_footer(app);
    }
};

// What the command line asks for. The printer's settings wait for the memory file to
// be loaded, as they win over it.
struct CommandLine {
    oru::Faults faults;
    oru::PtyOptions options;
    std::optional<std::string> loadFile;
    std::optional<std::string> saveFile;
    std::optional<long> baud;
    std::optional<long> version;
    std::optional<std::string> printerNumber;
    std::optional<std::array<std::uint8_t, 4>> status;
    std::optional<std::uint8_t> identifyByte;
};

// An option with a value, which `take` stores or refuses. Each option acts where it
// stands: a later one wins over an earlier one, --forget-writes adds up, and a bad
// value ends the run unless --help or --version came before it.
CLI::Option* addValue(CLI::App& app, const std::string& name, const std::string& value,
                      const std::string& help, std::function<bool(const std::string&)> take) {
    return app
        .add_option_function<std::string>(
            name,
            [name, take = std::move(take)](const std::string& text) {
                if (!take(text)) {
                    throw CLI::ValidationError(fill(_("bad value for %1: %2"), {name, text}));
                }
            },
            help)
        ->type_name(value)
        ->trigger_on_parse();
}

std::function<bool(const std::string&)> store(std::optional<std::string>& target) {
    return [&target](const std::string& text) {
        target = text;
        return true;
    };
}

std::function<bool(const std::string&)> storeHexByte(std::optional<std::uint8_t>& target) {
    return [&target](const std::string& text) { return (target = hexByte(text)).has_value(); };
}

std::function<bool(const std::string&)> storeCount(long& target) {
    return [&target](const std::string& text) {
        const auto n = number(text, 10, 0, kNoLimit);
        if (n) {
            target = *n;
        }
        return n.has_value();
    };
}

void addHostOptions(CLI::App& app, CommandLine& c) {
    app.option_defaults()->group(_("Where the host finds it"));
    addValue(app, "--link", _("PATH"), _("create a symlink PATH to the terminal (removed on exit)"),
             [&c](const std::string& path) {
                 c.options.link = path;
                 return true;
             });
    addValue(app, "--com", "N",
             _("shorthand for --link\n$XDG_CONFIG_HOME/kalvero/ports/comN\n"
             "(default ~/.config/kalvero/ports/comN)"),
             [&c](const std::string& text) {
                 const auto n = number(text, 10, 1, 10);
                 if (n) {
                     c.options.link = portsDir() / ("com" + std::to_string(*n));
                 }
                 return n.has_value();
             });
}

void addPrinterOptions(CLI::App& app, CommandLine& c) {
    app.option_defaults()->group(_("The printer"));
    addValue(app, "--baud", "9600|19200",
             _("its speed; it stays silent to a host at another speed\n(default 9600)"),
             [&c](const std::string& text) {
                 c.baud = number(text, 10, 9600, 19200);
                 return c.baud == 9600 || c.baud == 19200;
             });
    addValue(app, "--printer-version", "V", _("the printer's program version 0..15 (default 4)"),
             [&c](const std::string& text) {
                 return (c.version = number(text, 10, 0, 15)).has_value();
             });
    addValue(app, "--number", "NN", _("printer number, two characters (default 01)"),
             [&c](const std::string& text) {
                 c.printerNumber = text;
                 return text.size() == 2;
             });
    addValue(app, "--status", "AA,BB,CC,DD", _("the four status bytes, hex (default 10,00,00,00)"),
             [&c](const std::string& text) { return (c.status = statusBytes(text)).has_value(); });
    addValue(app, "--load", _("FILE"),
             _("start from the memory saved in FILE (from the factory's\n"
               "when FILE is missing and --save names it too)"),
             store(c.loadFile));
    addValue(app, "--save", _("FILE"), _("save the memory to FILE on exit"), store(c.saveFile));
    app.add_flag("--pace", c.options.pace, _("send and receive at wire speed (10 bits a byte)"));
}

void addFaultOptions(CLI::App& app, CommandLine& c) {
    app.option_defaults()->group(_("Faults"));
    addValue(app, "--identify-byte", "HH", _("answer identification with HH instead of 25 ('%')"),
             storeHexByte(c.identifyByte));
    app.add_flag("--silent", c.faults.silent, _("never answer"));
    addValue(app, "--nak", "CMD|all", _("refuse command byte CMD (hex), or every command,\nwith NAK"),
             [&c](const std::string& text) {
                 if (text == "all") {
                     c.faults.nakAll = true;
                     return true;
                 }
                 return (c.faults.nakCommand = hexByte(text)).has_value();
             });
    addValue(app, "--error-status", "HH",
             _("answer status HH instead of 0 to every command\nwith a status"),
             storeHexByte(c.faults.errorStatus));
    addValue(app, "--not-ack", "HH", _("send HH instead of ACK"), storeHexByte(c.faults.notAckByte));
    addValue(app, "--faults-from", "N",
             _("--nak, --error-status and --not-ack start at exchange N\n(default 1, the first)"),
             storeCount(c.faults.faultsFrom));
    addValue(app, "--stop-after", "N", _("fall silent after N exchanges"),
             storeCount(c.faults.stopAfter));
    addValue(app, "--hang-up-after", "N", _("hang up the line when exchange N+1 begins"),
             storeCount(c.faults.hangUpAfter));
    addValue(app, "--forget-writes", _("LIST"),
             _("accept writes to the footers and PLUs in LIST with\n"
             "status 0 as usual, but keep their old values; LIST is\n"
             "items footer:N and plu:N joined by commas, e.g.\n"
             "footer:7,footer:9,plu:1234 (the option may be repeated)"),
             [&c](const std::string& text) { return addForgottenList(text, c.faults); });
}

// The exit code when the command line alone settles the run: 0 after --help or
// --version, 2 for a wrong command line.
std::optional<int> parse(int argc, char** argv, CommandLine& c) {
    CLI::App app(_(kAbout), "oru-emulator");
    app.formatter(std::make_shared<Help>());
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return "oru-emulator: " + lang::translatedMistake(e.what()) + "\n" +
               _("Try 'oru-emulator --help'.") + "\n";
    });
    app.footer(_(kMemoryFile));
    addHostOptions(app, c);
    addPrinterOptions(app, c);
    addFaultOptions(app, c);
    app.option_defaults()->group(_("Information"));
    // Replaced by a flag of its own, so that it answers where it stands as the others do.
    app.set_help_flag();
    app.add_flag_callback(
           "-h,--help", [] { throw CLI::CallForHelp(); }, _("show this help and exit"))
        ->trigger_on_parse();
    app.set_version_flag("--version", std::string("oru-emulator ") + kalvero::kVersion,
                         _("show the emulator's version and exit"))
        ->trigger_on_parse();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    kalvero::lang::useUserLanguage();
    CommandLine c;
    if (const auto code = parse(argc, argv, c)) {
        return *code;
    }

    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    std::string error;
    if (c.loadFile && !startsBlank(*c.loadFile, c.saveFile) && !memory.load(*c.loadFile, error)) {
        std::cerr << "oru-emulator: " << error << "\n";
        return 1;
    }
    if (c.baud) memory.baudRate = static_cast<std::uint32_t>(*c.baud);
    if (c.version) memory.version = static_cast<std::uint8_t>(*c.version);
    if (c.printerNumber) memory.number = {(*c.printerNumber)[0], (*c.printerNumber)[1]};
    if (c.status) memory.status = *c.status;
    if (c.identifyByte) memory.identifyByte = *c.identifyByte;

    oru::PtyPrinter printer(memory, c.faults, c.options);
    if (!printer.open(error)) {
        std::cerr << "oru-emulator: " << error << "\n";
        return 1;
    }
    g_printer = &printer;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    std::cout << printer.slavePath() << std::endl;
    if (!c.options.link.empty()) {
        std::cerr << "oru-emulator: "
                  << fill(_("%1 -> %2 at %3 baud"), {c.options.link.string(), printer.slavePath(),
                                                      std::to_string(memory.baudRate)})
                  << "\n";
    }
    printer.serve();
    g_printer = nullptr;

    if (c.saveFile && !printer.memory().save(*c.saveFile, error)) {
        std::cerr << "oru-emulator: " << error << "\n";
        return 1;
    }
    if (printer.hungUp()) {
        std::cerr << "oru-emulator: "
                  << fill(_("hung up after exchange %1"), {std::to_string(printer.exchanges() - 1)})
                  << "\n";
        return 3;
    }
    return 0;
}
