// SPDX-License-Identifier: MIT
#include "cli/Undo.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "cli/Change.h"
#include "cli/Failure.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "data/UndoJournal.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

// What the journal says the printer holds of one kind: for each record the values it
// may hold. From the newest whole entry of the kind on, each entry lays its records
// over those before it: what it left where it finished, else what it found, or what it
// was sending. Only whole, the records no entry read are expected too.
template <typename Record>
struct Expected {
    std::map<int, std::vector<Record>> values;
    bool whole = false;
};

template <typename File>
std::optional<File> readKept(File (*read)(const std::string&), const std::string& name) {
    File file = read(name);
    return file.result == 0 ? std::optional(std::move(file)) : std::nullopt;
}

// One entry's records of a kind over what is expected; why not, when they cannot be told.
template <typename Record, typename File, typename Key>
std::optional<std::string> layOver(const Snapshot& entry, bool footerKind,
                                   File (*read)(const std::string&), Key key,
                                   Expected<Record>& into) {
    if (!entry.damaged.empty()) {
        return fill(_("snapshot %1 damaged: %2"), {entry.name(), entry.damaged});
    }
    const ChangeOutcome outcome = entry.outcome(footerKind);
    const bool finished = outcome == ChangeOutcome::Finished;
    const bool sending = !finished && outcome != ChangeOutcome::Untouched;
    const auto kept = [footerKind](RecordKinds kinds) {
        return footerKind ? kinds.footers : kinds.bindings;
    };
    if (finished && !kept(entry.after)) {
        return fill(_("what change %1 left was not kept"), {entry.name()});
    }
    if (sending && !kept(entry.going)) {
        return fill(_("what change %1 was sending when it ended was not kept"), {entry.name()});
    }
    const auto held = readKept(read, entry.file(footerKind, finished ? SnapshotPart::After
                                                                     : SnapshotPart::Before));
    const auto going = sending ? readKept(read, entry.file(footerKind, SnapshotPart::Going))
                               : std::optional(File{});
    if (!held || !going) {
        return fill(_("the files of change %1 cannot be read"), {entry.name()});
    }
    if (!entry.partial) {
        into.values.clear();
        into.whole = true;
    }
    for (const Record& record : held->records) {
        into.values[key(record)] = {record};
    }
    for (const Record& record : going->records) {
        into.values[key(record)].push_back(record);
    }
    return std::nullopt;
}

template <typename Record, typename File, typename Key>
std::optional<std::string> expectKind(const std::vector<Snapshot>& entries, bool footerKind,
                                      File (*read)(const std::string&), Key key,
                                      Expected<Record>& into) {
    const auto touches = [footerKind](const Snapshot& entry) {
        return footerKind ? entry.kinds.footers : entry.kinds.bindings;
    };
    std::size_t from = 0;
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (touches(entries[i]) && !entries[i].partial) {
            from = i;
            break;
        }
    }
    for (std::size_t i = from; i < entries.size(); ++i) {
        if (touches(entries[i])) {
            if (auto why = layOver(entries[i], footerKind, read, key, into)) {
                return why;
            }
        }
    }
    return std::nullopt;
}

// The records the printer holds otherwise than expected; one not read counts only when
// the whole kind is expected.
template <typename Record, typename Key, typename Matches>
long differing(const std::vector<Record>& printer, const Expected<Record>& expected, Key key,
               Matches matches) {
    std::map<int, const Record*> held;
    for (const Record& record : printer) {
        held[key(record)] = &record;
    }
    long differ = 0;
    for (const auto& [number, values] : expected.values) {
        const auto found = held.find(number);
        if (found == held.end()) {
            differ += expected.whole;
        } else {
            differ += !matches(values, *found->second);
        }
    }
    return differ;
}

// A footer goes line by line, so one cut off part-way holds some lines of one value and
// some of another: each line must be that line of one of the values.
bool footerMatches(const std::vector<FooterRecord>& values, const FooterRecord& printer) {
    std::array<bool, 4> matched{};
    for (const FooterRecord& value : values) {
        std::array<bool, 4> differs{};
        bool absent = false;
        for (const FooterDifference& difference : FooterDifferences({value}, {printer})) {
            (difference.line == 0 ? absent : differs[difference.line - 1]) = true;
        }
        for (std::size_t k = 0; k < matched.size() && !absent; ++k) {
            matched[k] = matched[k] || !differs[k];
        }
    }
    return std::all_of(matched.begin(), matched.end(), [](bool line) { return line; });
}

bool bindingMatches(const std::vector<BindingRecord>& values, const BindingRecord& printer) {
    return std::any_of(values.begin(), values.end(),
                       [&printer](const BindingRecord& value) { return value.footer == printer.footer; });
}

int footerKey(const FooterRecord& record) {
    return record.number;
}
int bindingKey(const BindingRecord& record) {
    return record.plu;
}

// Before a plain restore or one of a snapshot sends anything: the printer must still
// hold, of every kind put back, what the journal says; else something else changed it,
// and putting a snapshot back would undo that too.
int guardAgainstChangesBehind(Session& s, const UndoJournal& journal, Change& change) {
    const Snapshot* newest = journal.newest();
    if (newest == nullptr || s.options().force) {
        return kExitOk;
    }
    auto footers = std::make_shared<Expected<FooterRecord>>();
    auto bindings = std::make_shared<Expected<BindingRecord>>();
    std::optional<std::string> why;
    if (change.footers) {
        why = expectKind(journal.entries(), true, ReadFooterFile, footerKey, *footers);
    }
    if (!why && change.bindings) {
        why = expectKind(journal.entries(), false, ReadBindingFile, bindingKey, *bindings);
    }
    if (why) {
        noteFailure(FailureKind::ChangedBehind);
        return s.result(fill(_("whether the printer was changed after change %1 cannot be seen: "
                               "%2; nothing was sent (--force restores even so)"),
                             {newest->name(), *why}),
                        kExitDiffers);
    }
    change.alsoRead = {footers->whole, bindings->whole};
    change.guard = [&s, sequence = newest->name(), footers, bindings](
                       const PrinterFooters& printerFooters,
                       const PrinterBindings& printerBindings) {
        const long differ = differing(printerFooters.records, *footers, footerKey, footerMatches) +
                            differing(printerBindings.records, *bindings, bindingKey, bindingMatches);
        if (differ == 0) {
            return static_cast<int>(kExitOk);
        }
        noteFailure(FailureKind::ChangedBehind);
        return s.result(fill(_("the printer was changed after change %1 by something else: "
                               "%2 records differ from what the journal says it holds; nothing "
                               "was sent (--force restores even so)"),
                             {sequence, std::to_string(differ)}),
                        kExitDiffers);
    };
    return kExitOk;
}

// The records a snapshot holds of one kind, into what the change is to leave; false
// after saying why not.
template <typename Records, typename Read>
bool loadKind(Session& s, const Snapshot* snapshot, bool footerKind, Read read,
              std::optional<Records>& into) {
    if (snapshot == nullptr) {
        return true;
    }
    // A closing entry found what it left.
    auto file = read(snapshot->file(footerKind, snapshot->closes ? SnapshotPart::After
                                                                 : SnapshotPart::Before));
    if (file.result != 0) {
        noteFailure(FailureKind::FileNotWhole);
        s.result(fill(_("%1: not a whole snapshot; nothing was sent"), {snapshot->folder}),
                 kExitFile);
        return false;
    }
    into = std::move(file.records);
    return true;
}

bool load(Session& s, const Snapshot* footers, const Snapshot* bindings, Change& change) {
    change.partial = (footers == nullptr || footers->partial) &&
                     (bindings == nullptr || bindings->partial);
    return loadKind(s, footers, true, ReadFooterFile, change.footers) &&
           loadKind(s, bindings, false, ReadBindingFile, change.bindings);
}

// What a group found of a kind: a small snapshot holds only the records its change
// sent, so each record comes from the first change of the group that held it, up to
// the first whole snapshot, which holds the rest.
template <typename Record, typename Key>
void addLater(std::optional<std::vector<Record>>& found, const std::vector<Record>& later,
              Key key) {
    std::set<int> have;
    for (const Record& record : *found) {
        have.insert(key(record));
    }
    for (const Record& record : later) {
        if (!have.contains(key(record))) {
            found->push_back(record);
        }
    }
}

bool loadGroup(Session& s, const UndoJournal::Undo& undo, Change& change) {
    if (!load(s, undo.footers, undo.bindings, change)) {
        return false;
    }
    bool footersWhole = undo.footers == nullptr || !undo.footers->partial;
    bool bindingsWhole = undo.bindings == nullptr || !undo.bindings->partial;
    for (const Snapshot* member : undo.members) {
        Change later;
        const Snapshot* footers = !footersWhole && member->kinds.footers && member != undo.footers
                                      ? member : nullptr;
        const Snapshot* bindings =
            !bindingsWhole && member->kinds.bindings && member != undo.bindings ? member : nullptr;
        if (!load(s, footers, bindings, later)) {
            return false;
        }
        if (later.footers) {
            addLater(change.footers, *later.footers, [](const FooterRecord& r) { return int{r.number}; });
            footersWhole = !member->partial;
        }
        if (later.bindings) {
            addLater(change.bindings, *later.bindings, [](const BindingRecord& r) { return int{r.plu}; });
            bindingsWhole = !member->partial;
        }
    }
    change.partial = !(undo.footers != nullptr && footersWhole) &&
                     !(undo.bindings != nullptr && bindingsWhole);
    return true;
}

const char* outcomeText(const Snapshot& entry) {
    const auto any = [&entry](ChangeOutcome outcome) {
        return entry.footers == outcome || entry.bindings == outcome;
    };
    return any(ChangeOutcome::Unfinished) ? N_("unfinished")
           : any(ChangeOutcome::Failed)   ? N_("failed")
           : any(ChangeOutcome::Stopped)  ? N_("stopped")
                                          : N_("finished");
}

std::string kindsText(RecordKinds kinds) {
    return kinds.footers && kinds.bindings ? _("footers+bindings")
           : kinds.footers                 ? _("footers")
                                           : _("bindings");
}

}  // namespace

int Restore(Session& s) {
    if (const int rc = s.connectForChange(); rc != kExitOk) {
        return rc;
    }
    stopOnSignals();
    const SnapshotOwner owner = s.owner();
    const UndoJournal journal(s.journal());
    Change change;
    if (const auto& folder = s.options().snapshot) {
        std::string reason;
        const auto snapshot = SnapshotStore::open(*folder, reason);
        if (!snapshot) {
            noteFailure(FailureKind::FileNotWhole);
            return s.result(fill(_("%1: not a whole snapshot (%2); nothing was sent"),
                                 {*folder, reason}),
                            kExitFile);
        }
        if (snapshot->owner.number != owner.number && !s.options().force) {
            return s.result(fill(_("%1 is of printer no. %2, this is no. %3; nothing was sent "
                                   "(--force puts it back even so)"),
                                 {*folder, snapshot->owner.number, owner.number}),
                            kExitFile);
        }
        change.command = "restore --snapshot";
        const Snapshot* held = &*snapshot;
        if (!load(s, held->kinds.footers ? held : nullptr, held->kinds.bindings ? held : nullptr,
                  change)) {
            return kExitFile;
        }
        inform(fill(_("Restoring: %1"), {*folder}));
    } else {
        std::string broken;
        const auto undo = journal.undo(broken);
        // Nothing to undo is no failure: the printer is as the journal left it.
        if (!undo && broken.empty()) {
            return s.result(fill(_("nothing to undo on printer no. %1 on %2"),
                                 {owner.number, s.portName()}),
                            kExitOk);
        }
        if (!undo) {
            noteFailure(FailureKind::FileNotWhole);
            return s.result(fill(_("cannot undo: %1; nothing was sent"), {broken}), kExitFile);
        }
        change.command = "restore";
        change.undoes = undo->group;
        if (!loadGroup(s, *undo, change)) {
            return kExitFile;
        }
        inform(fill(_("Restoring: %1"),
                      {(undo->footers != nullptr ? undo->footers : undo->bindings)->folder}));
    }
    if (const int exit = guardAgainstChangesBehind(s, journal, change); exit != kExitOk) {
        return exit;
    }
    return ApplyChange(s, change);
}

namespace {

// A kind's outcome in JSON, in the manifest's words.
const char* outcomeWord(ChangeOutcome outcome) {
    switch (outcome) {
        case ChangeOutcome::Finished:
            return "finished";
        case ChangeOutcome::Failed:
            return "failed";
        case ChangeOutcome::Stopped:
            return "stopped";
        case ChangeOutcome::Unfinished:
            return "unfinished";
        case ChangeOutcome::Untouched:
            break;
    }
    return "untouched";
}

nlohmann::ordered_json entryJson(const Snapshot& entry) {
    nlohmann::ordered_json json{{"sequence", entry.sequence},
                                {"time", entry.time},
                                {"command", entry.command}};
    json[entry.isUndo() ? "undoes" : "group"] = entry.isUndo() ? entry.undoes : entry.group;
    for (const auto& [kind, held, outcome] :
         {std::tuple{"footers", entry.kinds.footers, entry.footers},
          std::tuple{"bindings", entry.kinds.bindings, entry.bindings}}) {
        if (held) {
            json["outcome"][kind] = outcomeWord(outcome);
        }
    }
    json["small"] = entry.partial;
    json["closes"] = entry.closes;
    json["damaged"] = entry.damaged.empty() ? nlohmann::ordered_json(nullptr)
                                            : nlohmann::ordered_json(entry.damaged);
    json["folder"] = entry.folder;
    return json;
}

}  // namespace

int ListSnapshots(Session& s) {
    nlohmann::ordered_json& printers = s.json()["printers"];
    printers = nlohmann::ordered_json::array();
    if (const auto why = s.store().unreadable()) {
        inform(fill(_("%1: %2; no snapshots are listed"), {s.store().root(), *why}));
    }
    for (const std::vector<Snapshot>& entries : s.store().journals()) {
        const UndoJournal journal(entries);
        // A damaged entry may no longer say whose it is.
        const auto named = std::find_if(entries.begin(), entries.end(),
                                        [](const Snapshot& e) { return !e.owner.number.empty(); });
        const SnapshotOwner owner = named == entries.end() ? SnapshotOwner{} : named->owner;
        nlohmann::ordered_json printer{{"port", owner.port}, {"number", owner.number}};
        say(fill(_("printer no. %1 on %2"), {owner.number, owner.port}));
        for (const Snapshot& entry : journal.entries()) {
            printer["changes"].push_back(entryJson(entry));
            const std::string group =
                entry.isUndo()  ? fill(_("undoes %1"), {std::to_string(entry.undoes)})
                : entry.closes ? fill(_("closes group %1"), {std::to_string(entry.group)})
                               : fill(_("group %1"), {std::to_string(entry.group)});
            const std::string damaged =
                entry.damaged.empty() ? "" : "\t" + fill(_("damaged: %1"), {entry.damaged});
            say("  " + std::to_string(entry.sequence) + "\t" + entry.time + "\t" + entry.command +
                "\t" + kindsText(entry.kinds) + "\t" + _(outcomeText(entry)) + "\t" + group +
                "\t" + entry.folder + damaged);
        }
        std::string broken;
        const auto undo = journal.undo(broken);
        say(undo ? fill(_("  restore undoes group %1"), {std::to_string(undo->group)})
            : broken.empty() ? std::string(_("  nothing to undo"))
                             : fill(_("  restore cannot undo: %1"), {broken}));
        printer["undo_group"] = undo ? nlohmann::ordered_json(undo->group) : nullptr;
        printers.push_back(printer);
    }
    return kExitOk;
}

}  // namespace kalvero::cli
