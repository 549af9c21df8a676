// SPDX-License-Identifier: MIT
#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <sstream>

#include "Version.h"
#include "cli/CommandHelp.h"
#include "cli/ConsoleText.h"
#include "cli/Session.h"
#include "data/FileNames.h"
#include "data/FilePath.h"
#include "data/RecordFormat.h"
#include "lang/Language.h"
#include "link/NetPort.h"

namespace kalvero::cli {

// What reaches the terminal is text: a control byte (an ESC from a printer could retitle
// or clear it) shows as \xNN. A TAB separates the columns of an answer.
namespace {

thread_local std::string t_prefix;
thread_local std::vector<std::string>* t_lines = nullptr;
std::mutex g_output;

// The progress lines of several printers at the bottom of the terminal, a printer a
// line in the order they first showed progress; what the printers say goes above.
struct ProgressBoard {
    std::vector<std::pair<std::string, std::string>> rows;  // prefix, label
    std::size_t drawn = 0;                                  // lines on the screen now

    void erase() {
        if (drawn > 0) {
            writeText(stderr, "\033[" + std::to_string(drawn) + "A\r\033[J");
            drawn = 0;
        }
    }
    void draw() {
        for (const auto& [prefix, label] : rows) {
            writeText(stderr, "\r\033[K" + prefix + label + "\n");
        }
        drawn = rows.size();
        std::fflush(stderr);
    }
};
ProgressBoard g_board;

// One line whole, whichever printer's thread it comes from.
void writeLine(std::FILE* stream, const std::string& line) {
    const std::lock_guard lock(g_output);
    if (t_lines != nullptr) {
        t_lines->push_back(line);
    }
    g_board.erase();
    writeText(stream, t_prefix + line + "\n");
    std::fflush(stream);
    if (g_board.drawn == 0 && !g_board.rows.empty()) {
        g_board.draw();
    }
}

}  // namespace

void setOutputPrefix(std::string prefix, std::vector<std::string>* lines) {
    t_prefix = std::move(prefix);
    t_lines = lines;
}

const std::string& outputPrefix() {
    return t_prefix;
}

void showProgress(const std::string& label) {
    const std::lock_guard lock(g_output);
    auto row = std::find_if(g_board.rows.begin(), g_board.rows.end(),
                            [](const auto& r) { return r.first == t_prefix; });
    if (row == g_board.rows.end()) {
        g_board.rows.emplace_back(t_prefix, label);
    } else {
        row->second = label;
    }
    g_board.erase();
    g_board.draw();
}

void say(const std::string& utf8) {
    std::string shown;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            static const char* hex = "0123456789ABCDEF";
            shown += std::string("\\x") + hex[byte >> 4] + hex[byte & 15];
        } else {
            shown += c;
        }
    }
    writeLine(stdout, shown);
}
void complain(const std::string& utf8) {
    writeLine(stderr, "kalvero-cli: " + utf8);
}

int usage(const std::string& why) {
    complain(why);
    writeText(stderr, std::string(_("Try 'kalvero-cli --help'.")) + "\n");
    return kExitUsage;
}

std::optional<long> number(const std::string& text) {
    const long value = DecimalField(text);
    return value < 0 ? std::nullopt : std::optional(value);
}

std::optional<std::uint8_t> portNumber(const std::string& port) {
    if (ParseNetPort(port)) {
        return 1;  // a printer on the network is the one port there is
    }
#ifndef _WIN32  // a device path is a Linux port's other name
    if (port.find('/') != std::string::npos) {
        return 1;
    }
#endif
    const std::string digits =
        port.rfind("COM", 0) == 0 || port.rfind("com", 0) == 0 ? port.substr(3) : port;
    const auto n = number(digits);
    return n && *n >= 1 && *n <= 10 ? std::optional(static_cast<std::uint8_t>(*n)) : std::nullopt;
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
opened; 4 a data file that is missing or cannot be read or written (or a CSV
row that cannot be stored); 5 the printer and the files differ (diff, write
--verify); 6 some of several printers failed; 130 stopped by Ctrl+C.)");

// Digits only, read in base 10 as the data files' numbers are: CLI11 alone would
// read "010" as octal and take signs and blanks.
const CLI::Validator kDecimal(
    [](std::string& text) {
        const auto n = number(text);
        if (!n) {
            return fill(_("Value %1 is not a decimal number"), {text});
        }
        text = std::to_string(*n);
        return std::string();
    },
    "");

#ifdef _WIN32
const char* const kPortWords = N_("Value %1 is not COM1..COM10 or a network URL");
const char* const kPortHelp = N_(
    "COM1..COM10, as Windows names them, or a printer\non the network: "
    "rfc2217://HOST:PORT or tcp://HOST:PORT;\n");
#else
const char* const kPortWords = N_("Value %1 is not COM1..COM10, a device path or a network URL");
const char* const kPortHelp = N_(
    "COM1..COM10 (mapped as in Kalvero), a device path,\nor a printer on the network: "
    "rfc2217://HOST:PORT or tcp://HOST:PORT;\n");
#endif
const char* const kSeveralPorts =
    N_("without it every present port is tried; several, as a list\n"
       "(COM1,COM3) or the option repeated, run on each printer at once");

const CLI::Validator kPort(
    [](const std::string& port) {
        return portNumber(port) ? std::string() : fill(_(kPortWords), {port});
    },
    "");

// A number of the printer's records or settings, minimum..maximum.
CLI::Option* decimal(CLI::Option* option, long minimum, long maximum) {
    return option->transform(kDecimal)->check(CLI::Validator(
        [minimum, maximum](const std::string& text) {
            const auto n = number(text);
            return n && *n >= minimum && *n <= maximum
                       ? std::string()
                       : fill(_("Value %1 is not in %2..%3"),
                              {text, std::to_string(minimum), std::to_string(maximum)});
        },
        ""));
}

bool isCommandWord(const CLI::App& app, const std::string& word) {
    const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
    return std::any_of(commands.begin(), commands.end(), [&word](const CLI::App* command) {
        return command->check_name(word) || isCommandWord(*command, word);
    });
}

// The word after a data file option is its file unless it starts with '-' or is a
// command word; CLI11 alone would take "-", "-5" and a command word given twice.
CLI::Validator fileName(const CLI::App& app) {
    return CLI::Validator(
        [&app](const std::string& file) {
            const CLI::App* root = &app;
            while (root->get_parent() != nullptr) {
                root = root->get_parent();
            }
            return file.empty() || file[0] == '-' || isCommandWord(*root, file)
                       ? fill(_("FILE may not be empty, start with '-' or be a command word: %1"),
                              {file})
                       : std::string();
        },
        "");
}

CLI::Option* addFileOption(CLI::App& app, const std::string& name, std::optional<std::string>& file,
                           const char* what, const std::string& fallback) {
    return app.add_option(name, file, fill(_(what), {fallback, name}))
        ->expected(0, 1)
        ->default_str(fallback)
        ->check(fileName(app))
        ->option_text(std::string("[") + _("FILE") + "]");
}
CLI::Option* addFooters(CLI::App& app, Options& o) {
    return addFileOption(app, "--footers", o.footers,
                         N_("the footers, in FILE (default %1);\n%2=FILE works too"), "stopki.txt");
}
CLI::Option* addBindings(CLI::App& app, Options& o) {
    return addFileOption(app, "--bindings", o.bindings,
                         N_("the bindings, in FILE (default %1);\n%2=FILE works too"), "wiazplu.txt");
}
CLI::Option* addLastPlu(CLI::App& app, Options& o) {
    return decimal(
               app.add_option("--last-plu", o.lastPlu, _("read bindings up to item N (default 9983)")),
               1, 9983)
        ->option_text("N");
}
CLI::Option* addOffline(CLI::App& app, Options& o) {
    return app.add_flag("--offline", o.offline,
                        _("footer/binding get/set work on the files, not the printer"));
}
CLI::Option* addCreate(CLI::App& app, Options& o) {
    return app.add_flag("--create", o.create, _("create a missing data file for an offline set"));
}
// Given before and after the command words, the lines add up in their order.
CLI::Option* addLine(CLI::App& app, Options& o) {
    return app
        .add_option_function<std::vector<std::string>>(
            "--line",
            [&o](const std::vector<std::string>& lines) {
                o.lines.insert(o.lines.end(), lines.begin(), lines.end());
            },
            _("footer set: line K (1..4), width 40 or 20, enabled 1 or 0\n"
              "and its text (at most W characters, no control\n"
              "characters); lines not given are blank, off, 40 wide"))
        ->allow_extra_args(false)
        ->option_text(_("K:W:E:TEXT"));
}
CLI::Option* addFooterNumber(CLI::App& app, Options& o) {
    return decimal(app.add_option("N", o.footer, _("the footer, 0..200")), 0, 200)
        ->required()
        ->type_name("");
}
CLI::Option* addPlu(CLI::App& app, Options& o) {
    return decimal(app.add_option("PLU", o.plu, _("the item, 1..9983")), 1, 9983)
        ->required()
        ->type_name("");
}

// The main command takes the commands' options as well, so that they may come before
// the command words.
void addMainOptions(CLI::App& app, Options& o) {
    app.add_option("--port", o.ports,
                   std::string(_(kPortHelp)) + _(kSeveralPorts))
        ->check(kPort)
        ->delimiter(',')
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->option_text("PORT");
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

// A command word: when it is given, its command is the run's.
CLI::App* addCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     Options& o, Command command) {
    CLI::App* app = parent.add_subcommand(name, description);
    app->callback([&o, name, command = std::move(command)] {
        o.command = command;
        o.commandName = name;
    });
    return app;
}

void addTransfers(CLI::App& app, Options& o) {
    addCommand(app, "detect", _("find the printer and show its port, speed, version and number"), o,
               [](Session& s) { return s.detect(); })
        ->footer(
            _("Tries the port (or every present port) at 9600 baud, then at 19200 after a\n"
            "receive time-out, and prints the port, speed, version and printer number."));
    CLI::App* read =
        addCommand(app, "read", _("read footers and/or bindings from the printer into the files"), o,
                   [](Session& s) { return s.transfer("read"); });
    read->footer(_("Reads footers 0..200 and the bindings of items 1..N into the files."));
    CLI::App* write =
        addCommand(app, "write", _("write footers and/or bindings from the files to the printer"), o,
                   [](Session& s) { return s.transfer("write"); });
    write->footer(
        _("Reads what the printer holds of those kinds into a snapshot first, then sends\n"
        "only the records of the files that differ from it, in file order, and reads\n"
        "them back; --all sends every record, --no-snapshot every record without a\n"
        "snapshot. `kalvero-cli restore` puts a snapshot back."));
    CLI::App* erase = addCommand(app, "erase", _("erase footers and/or bindings in the printer"), o,
                                 [](Session& s) { return s.transfer("erase"); });
    erase->footer(
        _("Reads what the printer holds of those kinds into a snapshot first, then blanks\n"
        "footers 0..200 and binds items 1..9983 to footer 0."));
    for (CLI::App* transfer : {read, write, erase}) {
        addFooters(*transfer, o);
        addBindings(*transfer, o);
    }
    addLastPlu(*read, o);
    write->add_flag("--verify", o.verify,
                    _("read back what was written and compare; exit 5 on a difference"));
    write->add_flag("--all", o.all, _("send every record, not only what differs"));
    for (CLI::App* change : {write, erase}) {
        change->add_flag("--no-snapshot", o.noSnapshot,
                         _("change the printer without a snapshot of it first"));
    }
    CLI::App* restore =
        addCommand(app, "restore", _("put the newest snapshot of the printer on the port back"), o,
                   [](Session& s) { return s.restore(); });
    restore->add_option("--snapshot", o.snapshot, _("this snapshot folder instead of the newest"))
        ->option_text(_("DIR"));
    restore->footer(
        _("Finds the printer, takes a snapshot of it, then writes what differs from the\n"
        "chosen snapshot back and reads it back. Snapshots are kept in\n"
        "$XDG_DATA_HOME/kalvero/snapshots/PORT-NUMBER/TIME/ (~/.local/share/...)."));
    addCommand(app, "snapshots", _("list the snapshots: printer, time, kinds, size, folder"), o,
               [](Session& s) { return s.listSnapshots(); });
}

void addSupportTools(CLI::App& app, Options& o) {
    CLI::App* diff = addCommand(app, "diff", _("show what differs between the printer and the files"),
                                o, [](Session& s) { return s.diff(); });
    diff->footer(
        _("Reads the printer into memory (the files are not touched) and prints each\n"
        "difference; exit 0 when they agree, 5 when they differ."));
    addFooters(*diff, o);
    addBindings(*diff, o);
    addLastPlu(*diff, o);
    CLI::App* exportCsv = addCommand(app, "export", _("the data files into a CSV file (offline)"), o,
                                     [](Session& s) { return s.exportCsv(); });
    CLI::App* importCsv = addCommand(app, "import", _("the data files from a CSV file (offline)"), o,
                                     [](Session& s) { return s.importCsv(); });
    importCsv->footer(
        _("Every row is checked first; a row that cannot be stored is named with its\n"
        "reason and nothing is written. The previous data files are kept as backups."));
    for (CLI::App* command : {exportCsv, importCsv}) {
        command->add_option("--csv", o.csv, _("the CSV file: UTF-8, semicolons"))
            ->required()
            ->option_text(_("FILE"));
        addFooters(*command, o);
        addBindings(*command, o);
    }
}

void addFooterCommands(CLI::App& app, Options& o) {
    CLI::App* footer = app.add_subcommand(
        "footer",
        _("get N: show footer N (0..200): its four lines;\nset N: store it from --line options"));
    footer->require_subcommand(1);
    // Between the two words too, so that it sees "get" or "set" as a command, not its file.
    addFooters(*footer, o);
    CLI::App* get = addCommand(*footer, "get", _("show footer N"), o, [&o](Session& s) {
        return s.getFooter(static_cast<std::uint8_t>(o.footer));
    });
    get->footer(
        _("Prints one line per footer line: K, width (40/20), enabled (1/0), text;\n"
        "nothing unless all four came."));
    CLI::App* set =
        addCommand(*footer, "set", _("store footer N from --line options"), o,
                   [&o](Session& s) { return s.setFooter(static_cast<std::uint8_t>(o.footer)); });
    for (CLI::App* command : {get, set}) {
        addFooterNumber(*command, o);
        addOffline(*command, o);
        addFooters(*command, o);
    }
    addLine(*set, o);
    addCreate(*set, o);
}

void addBindingCommands(CLI::App& app, Options& o) {
    CLI::App* binding = app.add_subcommand("binding",
                                           _("get PLU: show the footer bound to item PLU "
                                           "(1..9983);\nset PLU N: bind the item to footer N"));
    binding->require_subcommand(1);
    addBindings(*binding, o);  // as for footer
    CLI::App* get =
        addCommand(*binding, "get", _("show the footer bound to item PLU"), o,
                   [&o](Session& s) { return s.getBinding(static_cast<std::uint16_t>(o.plu)); });
    CLI::App* set = addCommand(*binding, "set", _("bind item PLU to footer N"), o, [&o](Session& s) {
        return s.setBinding(static_cast<std::uint16_t>(o.plu), static_cast<std::uint8_t>(o.footer));
    });
    addPlu(*get, o);
    addPlu(*set, o);
    addFooterNumber(*set, o);
    for (CLI::App* command : {get, set}) {
        addOffline(*command, o);
        addBindings(*command, o);
    }
    addCreate(*set, o);
}

void addPrinterQueries(CLI::App& app, Options& o) {
    CLI::App* item =
        addCommand(app, "item", _("show the name of item PLU (printer only)"), o,
                   [&o](Session& s) { return s.item(static_cast<std::uint16_t>(o.plu)); });
    addPlu(*item, o);
    addCommand(app, "status", _("show the printer's four status bytes"), o,
               [](Session& s) { return s.status(); });
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
    CLI::App app(_("The footers and bindings of a DURAX ORU label printer."), "kalvero-cli");
    app.formatter(std::make_shared<CommandHelp>());
    app.failure_message(commandLineMistake);
    app.option_defaults()->take_last()->group(_("Options"));
    app.set_help_flag("-h,--help", _("show this help and exit"));
    app.fallthrough();
    app.group(_("Commands"));  // taken over by the command words: their heading in the help
    addMainOptions(app, options);
    addTransfers(app, options);
    addFooterCommands(app, options);
    addBindingCommands(app, options);
    addPrinterQueries(app, options);
    addSupportTools(app, options);
    groupHelpFlags(app);
    // Not required of CLI11, which would then only ask for one where it can name an
    // unknown word; a second command word stays a mistake.
    app.require_subcommand(0, 1);
    app.footer(_(kFooter));
    app.set_version_flag("--version", std::string("kalvero-cli ") + kVersion,
                         _("show the program's version and exit"));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Through writeText, so that a Windows console shows the Polish letters.
        std::ostringstream out;
        std::ostringstream err;
        const int exit = app.exit(e, out, err);
        writeText(stdout, out.str());
        writeText(stderr, err.str());
        return exit == 0 ? kExitOk : kExitUsage;
    }
    if (options.ports.size() == 1) {
        options.port = options.ports.front();
    }
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
