// SPDX-License-Identifier: MIT
#include "cli/Undo.h"

#include <map>
#include <set>
#include <tuple>

#include "cli/Change.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "data/UndoJournal.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

// How many records the printer holds otherwise than a change left them. Of a small
// change only the records read count: the others are not what a small restore sends.
long differingRecords(const Snapshot& left, const PrinterFooters& footers,
                      const PrinterBindings& bindings) {
    long differ = 0;
    if (left.after.footers) {
        std::map<int, FooterRecord> held;
        for (const FooterRecord& record : footers.records) {
            held[record.number] = record;
        }
        for (const FooterRecord& record : ReadFooterFile(left.file(true, true)).records) {
            const auto found = held.find(record.number);
            differ += found == held.end()
                          ? !left.partial
                          : !FooterDifferences({record}, {found->second}).empty();
        }
    }
    if (left.after.bindings) {
        std::map<int, int> held;
        for (const BindingRecord& record : bindings.records) {
            held[record.plu] = record.footer;
        }
        for (const BindingRecord& record : ReadBindingFile(left.file(false, true)).records) {
            const auto found = held.find(record.plu);
            differ += found == held.end() ? !left.partial : found->second != record.footer;
        }
    }
    return differ;
}

// The records a snapshot holds of one kind, into what the change is to leave; false
// after saying why not.
template <typename Records, typename Read>
bool loadKind(Session& s, const Snapshot* snapshot, bool footerKind, Read read,
              std::optional<Records>& into) {
    if (snapshot == nullptr) {
        return true;
    }
    auto file = read(snapshot->file(footerKind));
    if (file.result != 0) {
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
    const UndoJournal journal(s.store().journal(owner));
    Change change;
    if (const auto& folder = s.options().snapshot) {
        std::string reason;
        const auto snapshot = SnapshotStore::open(*folder, reason);
        if (!snapshot) {
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
        if (!undo) {
            return s.result(broken.empty() ? fill(_("nothing to undo on printer no. %1 on %2"),
                                                  {owner.number, s.portName()})
                                           : fill(_("cannot undo: %1; nothing was sent"), {broken}),
                            kExitFile);
        }
        change.command = "restore";
        change.undoes = undo->group;
        if (!loadGroup(s, *undo, change)) {
            return kExitFile;
        }
        inform(fill(_("Restoring: %1"),
                      {(undo->footers != nullptr ? undo->footers : undo->bindings)->folder}));
    }
    // What the newest change left must still be there: else something else changed
    // the printer since, and putting a snapshot back would undo that too.
    if (const Snapshot* newest = journal.newestFinished(); newest && !s.options().force) {
        change.alsoRead = newest->partial ? RecordKinds{} : newest->after;
        change.guard = [&s, newest](const PrinterFooters& footers,
                                    const PrinterBindings& bindings) {
            const RecordKinds done{newest->footers == ChangeOutcome::Finished,
                                   newest->bindings == ChangeOutcome::Finished};
            if ((done - newest->after).any()) {
                return s.result(fill(_("what change %1 left was not kept, so a change made "
                                       "since cannot be seen; nothing was sent (--force "
                                       "restores even so)"),
                                     {std::to_string(newest->sequence)}),
                                kExitDiffers);
            }
            const long differ = differingRecords(*newest, footers, bindings);
            if (differ == 0) {
                return static_cast<int>(kExitOk);
            }
            return s.result(fill(_("the printer was changed after change %1 by something else: "
                                   "%2 records differ from what it left; nothing was sent "
                                   "(--force restores even so)"),
                                 {std::to_string(newest->sequence), std::to_string(differ)}),
                            kExitDiffers);
        };
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
    json["folder"] = entry.folder;
    return json;
}

}  // namespace

int ListSnapshots(Session& s) {
    nlohmann::ordered_json& printers = s.json()["printers"];
    printers = nlohmann::ordered_json::array();
    for (const std::vector<Snapshot>& entries : s.store().journals()) {
        const UndoJournal journal(entries);
        const SnapshotOwner& owner = entries.front().owner;
        nlohmann::ordered_json printer{{"port", owner.port}, {"number", owner.number}};
        say(fill(_("printer no. %1 on %2"), {owner.number, owner.port}));
        for (const Snapshot& entry : journal.entries()) {
            printer["changes"].push_back(entryJson(entry));
            const std::string group =
                entry.isUndo() ? fill(_("undoes %1"), {std::to_string(entry.undoes)})
                               : fill(_("group %1"), {std::to_string(entry.group)});
            say("  " + std::to_string(entry.sequence) + "\t" + entry.time + "\t" + entry.command +
                "\t" + kindsText(entry.kinds) + "\t" + _(outcomeText(entry)) + "\t" + group +
                "\t" + entry.folder);
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
