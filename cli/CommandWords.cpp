// SPDX-License-Identifier: MIT
#include "cli/CommandWords.h"

#include "cli/CommandOptions.h"
#include "cli/RecordCommands.h"
#include "cli/SupportTools.h"
#include "cli/Transfers.h"
#include "cli/Undo.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

#ifdef _WIN32
const char* const kSnapshotFolder = "%LOCALAPPDATA%\\Kalvero\\snapshots";
#else
const char* const kSnapshotFolder = "$XDG_DATA_HOME/kalvero/snapshots/ (~/.local/share/...)";
#endif

void addTransfers(CLI::App& app, Options& o) {
    CLI::App* detect = addCommand(
        app, "detect", _("find the printer and show its port, speed, version and number"), o,
        [](Session& s) { return Detect(s); }, CommandTraits{.json = true, .several = true});
    detect->footer(
        _("Tries the port (or every present port) at 9600 baud, then at 19200 after a\n"
          "receive time-out, and prints the port, speed, version and printer number;\n"
          "--all goes on past the first printer and lists every one that answers."));
    detect->add_flag("--all", o.all, _("list every port where a printer answers"));
    CLI::App* read =
        addCommand(app, "read", _("read footers and/or bindings from the printer into the files"), o,
                   [](Session& s) { return Read(s); }, CommandTraits{.json = true, .several = true});
    read->footer(_("Reads footers 0..200 and the bindings of items 1..N into the files."));
    CLI::App* write =
        addCommand(app, "write", _("write footers and/or bindings from the files to the printer"), o,
                   [](Session& s) { return Write(s); }, CommandTraits{.json = true, .several = true});
    write->footer(
        _("Reads what the printer holds of those kinds into a snapshot first, then sends\n"
        "only the records of the files that differ from it, in file order, and reads\n"
        "them back; --all sends every record, --no-snapshot every record without a\n"
        "snapshot. `kalvero-cli restore` puts a snapshot back.\n\n"
        "--since-read reads, keeps and sends only the records where the files differ from "
        "what the printer is known to hold after its last read or change by kalvero-cli: "
        "seconds instead of minutes for a few changes. Only what was read is known: a record "
        "sent but not read back (a change that did not finish, --no-snapshot) is not, and "
        "like one changed on the printer by something else since, is named and nothing "
        "is sent (exit 1); a full write is then the way."));
    CLI::App* erase = addCommand(app, "erase", _("erase footers and/or bindings in the printer"), o,
                                 [](Session& s) { return Erase(s); }, CommandTraits{.json = true, .several = true});
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
    write->add_flag(
        "--since-read", o.sinceRead,
        _("send only the records where the files differ from what the printer was last "
          "read or written as, after reading just those; refused when the printer holds "
          "something else there"));
    for (CLI::App* change : {write, erase}) {
        change->add_flag("--no-snapshot", o.noSnapshot,
                         _("change the printer without a snapshot of it first"));
    }
    CLI::App* restore =
        addCommand(app, "restore", _("undo the newest change of the printer on the port"), o,
                   [](Session& s) { return Restore(s); }, CommandTraits{.json = true, .several = true});
    restore->add_option("--snapshot", o.snapshot, _("put this snapshot folder back instead"))
        ->option_text(_("DIR"));
    restore->add_flag("--force",
                      o.force, _("even when the printer was changed since, or the snapshot\n"
                                 "is of a printer with another number"));
    restore->footer(
        _("Every write, erase and restore --snapshot keeps what the printer held first.\n"
          "A change that did not finish, and the changes made until its kind was written\n"
          "whole again, are one group: restore returns the printer to before the newest\n"
          "group not yet undone, and a second restore to before the group before it. A\n"
          "restore that did not finish is finished by the next. When something else\n"
          "changed the printer after the newest change, restore names how many records\n"
          "differ and sends nothing (exit 5) unless --force.") +
        std::string(" ") +
        fill(_("Snapshots are kept in %1: 20 groups a printer, and 200 of small changes "
               "(binding set, footer set, write --since-read)."),
             {kSnapshotFolder}));
    addCommand(app, "snapshots",
               _("list each printer's changes: number, time, command, kinds,\n"
                 "outcome, and the group restore undoes next"),
               o,
               [](Session& s) { return ListSnapshots(s); }, CommandTraits{.json = true});
}

void addSupportTools(CLI::App& app, Options& o) {
    CLI::App* diff = addCommand(app, "diff", _("show what differs between the printer and the files"),
                                o, [](Session& s) { return Diff(s); }, CommandTraits{.json = true, .several = true});
    diff->footer(
        _("Reads the printer into memory (the files are not touched) and prints each\n"
        "difference; exit 0 when they agree, 5 when they differ."));
    addFooters(*diff, o);
    addBindings(*diff, o);
    addLastPlu(*diff, o);
    CLI::App* exportCsv = addCommand(app, "export", _("the data files into a CSV file (offline)"), o,
                                     [](Session& s) { return ExportCsv(s); });
    CLI::App* importCsv = addCommand(app, "import", _("the data files from a CSV file (offline)"), o,
                                     [](Session& s) { return ImportCsv(s); });
    exportCsv->add_option_function<std::string>(
                 "--csv-encoding", [&o](const std::string& name) { o.cp1250 = name == "cp1250"; },
                 _("utf-8 (with a BOM, the default) or cp1250, which a Polish Excel opens "
                   "directly"))
        ->check(CLI::IsMember({"utf-8", "cp1250"}))
        ->option_text(_("ENCODING"));
    exportCsv->footer(
        _("A text that a spreadsheet would take for a formula, a number, a date, a time "
          "or a percent (=, @, a digit, +, -, (, $, €, ¤, \".\" or \",\" first, after any "
          "leading blanks) gets a leading apostrophe; import takes it off again and says "
          "from how many texts."));
    importCsv->footer(
        _("Every row is checked first; a row that cannot be stored is named with its "
          "reason and nothing is written. The previous data files are kept as backups. "
          "A file that is not UTF-8 is read as Windows-1250; fields are split at the "
          "first semicolon, comma or tab of the first row."));
    for (CLI::App* command : {exportCsv, importCsv}) {
        command->add_option("--csv", o.csv, _("the CSV file; - is standard output or input"))
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
        return GetFooter(s, static_cast<std::uint8_t>(o.footer));
    });
    get->footer(
        _("Prints one line per footer line: K, width (40/20), enabled (1/0), text;\n"
        "nothing unless all four came."));
    CLI::App* set =
        addCommand(*footer, "set", _("store footer N from --line options"), o,
                   [&o](Session& s) { return SetFooter(s, static_cast<std::uint8_t>(o.footer)); });
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
                   [&o](Session& s) { return GetBinding(s, static_cast<std::uint16_t>(o.plu)); });
    CLI::App* set = addCommand(*binding, "set", _("bind item PLU to footer N"), o, [&o](Session& s) {
        return SetBinding(s, static_cast<std::uint16_t>(o.plu), static_cast<std::uint8_t>(o.footer));
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
                   [&o](Session& s) { return Item(s, static_cast<std::uint16_t>(o.plu)); });
    addPlu(*item, o);
    addCommand(app, "status", _("show the printer's four status bytes"), o,
               [](Session& s) { return Status(s); }, CommandTraits{.json = true, .several = true});
}

}  // namespace

void addCommandWords(CLI::App& app, Options& o) {
    addTransfers(app, o);
    addFooterCommands(app, o);
    addBindingCommands(app, o);
    addPrinterQueries(app, o);
    addSupportTools(app, o);
}

}  // namespace kalvero::cli
