// SPDX-License-Identifier: MIT
#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string_view>
#include <vector>

#include "Version.h"
#include "cli/CommandHelp.h"
#include "cli/CommandOptions.h"
#include "cli/CommandWords.h"
#include "cli/ConsoleText.h"
#include "cli/Output.h"
#include "data/FileNames.h"
#include "data/FilePath.h"
#include "data/RecordFormat.h"
#include "lang/Language.h"

namespace kalvero::cli {

std::optional<long> number(const std::string& text) {
    const long value = DecimalField(text);
    return value < 0 ? std::nullopt : std::optional(value);
}

namespace {

const char* const kFooter = N_(
    R"(read, write and erase take both footers and bindings unless --footers or
--bindings names one of them. The word after --footers or --bindings is its
FILE unless it starts with '-' or is a command word. Footers always go first.
Ctrl+C stops between two records; a file being read keeps the whole records
done so far. Before a read empties a file, the file is kept beside it as
FILE.YYYY-MM-DD_HH-MM-SS.bak (the newest 20 such copies stay). The command
options may also come before the command words; 'kalvero-cli COMMAND --help'
shows one command.

Exit codes: 0 done; 1 the printer or a file answered with an error (its text
is printed); 2 a wrong command line; 3 no printer, or its port cannot be
opened; 4 a data file or snapshot that is missing, not whole, or cannot be
read or written (or a CSV row that cannot be stored); 5 the printer and the
files differ (diff, write --verify), or something else changed the printer
since the change restore would undo; 6 some of several printers failed; 130
stopped by Ctrl+C; 143 stopped by SIGTERM.)");

#ifdef _WIN32
const char* const kPortWords = N_("Value %1 is not COM1..COM255 or a network URL");
const char* const kPortHelp = N_(
    "COM1..COM255 (also \\\\.\\COM11), as Windows names them, or a printer on the "
    "network: rfc2217://HOST:PORT or tcp://HOST:PORT;\n");
#else
const char* const kPortWords = N_("Value %1 is not COM1..COM10, a device path or a network URL");
const char* const kPortHelp = N_(
    "COM1..COM10 (mapped as in Kalvero), a device path,\nor a printer on the network: "
    "rfc2217://HOST:PORT or tcp://HOST:PORT;\n");
#endif
const char* const kSeveralPorts =
    N_("without it every present port is tried; several, as a list\n"
       "(COM1,COM3) or the option repeated, run on each printer at once");

const char* const kUrlWords =
    N_("Value %1 is not a network URL: rfc2217://HOST:PORT or tcp://HOST:PORT, PORT 1..65535");

// One port, parsed; a mistake names what was expected.
std::optional<std::string> takePort(Options& o, const std::string& text) {
    PortName::Mistake mistake{};
    const auto port = PortName::parse(text, mistake);
    if (!port) {
        return "--port: " + fill(_(mistake == PortName::Mistake::BadUrl ? kUrlWords : kPortWords),
                                 {PrintableText(text)});
    }
    o.ports.push_back(*port);
    return std::nullopt;
}

// Each value of --port is a list of ports, except that a device path is one port when
// --port is repeated or the path exists whole, so that a name holding a comma can be
// given.
std::optional<std::string> takePorts(Options& o) {
    const bool repeated = o.portValues.size() > 1;
    for (const std::string& value : o.portValues) {
        const bool path = value.find('/') != std::string::npos && value.find("://") == std::string::npos;
        std::error_code ec;
        if (path && (repeated || std::filesystem::exists(FilePath(value), ec))) {
            if (auto mistake = takePort(o, value)) {
                return mistake;
            }
            continue;
        }
        for (std::size_t start = 0;;) {
            const std::size_t comma = value.find(',', start);
            if (auto mistake = takePort(o, value.substr(start, comma - start))) {
                return mistake;
            }
            if (comma == std::string::npos) {
                break;
            }
            start = comma + 1;
        }
    }
    return std::nullopt;
}

// The main command takes the commands' options as well, so that they may come before
// the command words.
void addMainOptions(CLI::App& app, Options& o) {
    // One value each time, so that a port after a blank is not taken as another.
    app.add_option_function<std::string>(
           "--port",
           [&o](const std::string& value) { o.portValues.push_back(value); },
           std::string(_(kPortHelp)) + _(kSeveralPorts))
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->trigger_on_parse()
        ->allow_extra_args(false)
        ->option_text("PORT");
    app.add_flag("-q,--quiet", o.quiet,
                     _("say nothing on success (what was asked for and the\n"
                       "reasons of a failure still)"));
    app.add_flag("-v,--verbose", o.verbose,
                 _("also the progress when standard error is no terminal,\n"
                   "and each port tried"));
    app.add_flag("--json", o.json,
                 _("the results as one JSON document on standard output (detect, status, "
                   "diff, snapshots, read, write, erase, restore)"));
    decimal(app.add_option("--channel", o.channel, _("the printer's channel, 1..4 (default 1)")), 1, 4)
        ->option_text("N");
    app.add_option("--baud", o.baud,
                   _("the printer's speed, 9600 or 19200; without it the speed at\n"
                     "which the port last answered is tried first, then the other"))
        ->transform(kDecimal)
        ->check(CLI::Validator(
            [](const std::string& text) {
                return text == "9600" || text == "19200"
                           ? std::string()
                           : fill(_("Value %1 is not 9600 or 19200"), {text});
            },
            ""))
        ->option_text("BAUD");
    app.add_option("--trace", o.trace, _("append every exchange with the printer to FILE"))
        ->option_text(_("FILE"));
    for (const auto add : {addFooters, addBindings, addLastPlu, addOffline, addCreate, addLine}) {
        add(app, o)->group(_("Command options"));
    }
}

// The options only some command words take are taken before the words too, unseen in
// the main help: each goes to the first command word on the line that has it, as if
// given after it, in time for that command's own checks (--csv required). The ones no
// command word claims are given back by unclaimedOptions.
using EarlyOptions = std::vector<std::pair<std::string, CLI::Option*>>;
EarlyOptions takeCommandOptionsFirst(CLI::App& app) {
    EarlyOptions early;
    std::function<void(CLI::App&)> collect = [&](CLI::App& command) {
        for (CLI::App* sub : command.get_subcommands([](const CLI::App*) { return true; })) {
            for (const CLI::Option* own : sub->get_options()) {
                const std::string name = own->get_name();
                if (!own->nonpositional() || own == sub->get_help_ptr() ||
                    app.get_option_no_throw(name) != nullptr) {
                    continue;
                }
                CLI::Option* first = own->get_type_size_max() == 0
                                         ? app.add_flag(name)
                                         : app.add_option(name)
                                               ->expected(own->get_expected_min(),
                                                          own->get_expected_max())
                                               ->allow_extra_args(false);
                // Named here: CLI11 gives a hidden option no name.
                early.emplace_back(name, first->group(""));
            }
            collect(*sub);
        }
    };
    collect(app);
    std::function<void(CLI::App&)> handOver = [&](CLI::App& command) {
        for (CLI::App* sub : command.get_subcommands([](const CLI::App*) { return true; })) {
            sub->preparse_callback([sub, early](std::size_t) {
                for (const auto& [name, first] : early) {
                    CLI::Option* own = sub->get_option_no_throw(name);
                    if (own != nullptr && first->count() > 0) {
                        for (const std::string& value : first->results()) {
                            // A flag without a value: given, as CLI11 writes it.
                            own->add_result(value.empty() ? std::string("true") : value);
                        }
                        first->clear();
                    }
                }
            });
            handOver(*sub);
        }
    };
    handOver(app);
    return early;
}

// Given before a command word that does not take them, or after one through to the
// main command.
std::vector<std::string> unclaimedOptions(const EarlyOptions& early) {
    std::vector<std::string> names;
    for (const auto& [name, first] : early) {
        if (first->count() > 0) {
            names.push_back(name);
        }
    }
    return names;
}

// A command's help flag is made before the command takes its options' group name.
void groupHelpFlags(CLI::App& app) {
    for (CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        command->get_help_ptr()->group(_("Options"));
        groupHelpFlags(*command);
    }
}

}  // namespace

std::optional<int> parse(int argc, char** argv, Options& options) {
#ifdef _WIN32
    // "/?" asks for help, as Windows programs take it.
    std::vector<char*> args(argv, argv + argc);
    static char help[] = "--help";
    for (char*& arg : args) {
        if (std::string_view(arg) == "/?") {
            arg = help;
        }
    }
    argv = args.data();
#endif
    CLI::App app(_("The footers and bindings of a DURAX ORU label printer."), "kalvero-cli");
    app.formatter(std::make_shared<CommandHelp>());
    app.failure_message(commandLineMistake);
    app.option_defaults()->take_last()->group(_("Options"));
    app.set_help_flag("-h,--help", _("show this help and exit"));
    app.fallthrough();
    app.group(_("Commands"));  // taken over by the command words: their heading in the help
    addMainOptions(app, options);
    addCommandWords(app, options);
    const EarlyOptions early = takeCommandOptionsFirst(app);
    groupHelpFlags(app);
    // Not required of CLI11, which would then only ask for one where it can name an
    // unknown word; a second command word stays a mistake.
    app.require_subcommand(0, 1);
    app.footer(_(kFooter));
    app.set_version_flag("--version",
                         std::string("kalvero-cli ") + kVersion + "\n" +
                             "Copyright (C) 2026 The Kalvero developers\n" +
                             _("License MIT: <https://opensource.org/licenses/MIT>.\n"
                               "This is free software: you are free to change and redistribute "
                               "it.\nThere is NO WARRANTY, to the extent permitted by law."),
                         _("show the program's version and exit"));
    try {
        app.parse(argc, argv);
        if (const auto names = unclaimedOptions(early); !names.empty()) {
            throw CLI::ExtrasError(names);
        }
    } catch (const CLI::ParseError& e) {
        // Through writeText, so that a Windows console shows the Polish letters.
        std::ostringstream out;
        std::ostringstream err;
        const int exit = app.exit(e, out, err);
        writeText(stdout, out.str());
        writeText(stderr, err.str());
        rememberComplaint(commandLineReason(&app, e));
        return exit == 0 ? kExitOk : kExitUsage;
    }
    if (const auto mistake = takePorts(options)) {
        return usage(*mistake);
    }
    if (options.ports.size() == 1) {
        options.port = options.ports.front();
    }
    if (options.sinceRead && (options.all || options.noSnapshot)) {
        return usage(_("--since-read sends what differs, with a snapshot: not with --all or "
                       "--no-snapshot"));
    }
    if (options.json && options.command && !options.traits.json) {
        return usage(fill(_("--json: %1 gives no JSON"), {options.commandName}));
    }
    setResultsAsJson(options.json);
    setVerbosity(options.quiet     ? Verbosity::Quiet
                 : options.verbose ? Verbosity::Verbose
                                   : Verbosity::Normal);
    return options.command ? std::nullopt : std::optional(usage(_("no command")));
}


std::optional<std::string> roleConflict(const Options& options) {
    const FileNames defaults;
    const std::string footers = options.footers.value_or(defaults.FooterFileName);
    const std::string bindings = options.bindings.value_or(defaults.BindingFileName);
    if (SameFile(footers, bindings)) {
        return fill(_("the footer file and the binding file are the same file: %1, %2"),
                    {footers, bindings});
    }
    for (const auto& [other, role] :
         {std::pair{options.csv, N_("the CSV file may not be a data file: %1")},
          std::pair{options.trace.value_or(""), N_("the trace file may not be a data file: %1")}}) {
        for (const std::string& data : {footers, bindings}) {
            if (!other.empty() && SameFile(other, data)) {
                return fill(_(role), {other});
            }
        }
    }
    return std::nullopt;
}

}  // namespace kalvero::cli
