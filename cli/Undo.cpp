// SPDX-License-Identifier: MIT
#include "cli/Undo.h"

#include <algorithm>
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

// The records of one kind that the printer holds otherwise than expected. Of a
// record that a change which did not finish was sending, the value sent is expected
// too. A record not read counts only when the whole kind was.
template <typename Record, typename Key, typename Same>
long differing(const std::vector<Record>& printer, const std::vector<Record>& expected,
               const std::vector<Record>& going, bool whole, Key key, Same same) {
    std::map<int, Record> held;
    for (const Record& record : printer) {
        held[key(record)] = record;
    }
    std::map<int, Record> sending;
    for (const Record& record : going) {
        sending[key(record)] = record;
    }
    long differ = 0;
    for (const Record& record : expected) {
        const auto found = held.find(key(record));
        if (found == held.end()) {
            differ += whole;
            continue;
        }
        const auto sent = sending.find(key(record));
        differ += !same(record, found->second) &&
                  (sent == sending.end() || !same(sent->second, found->second));
    }
    return differ;
}

// What the journal says the printer holds of a kind after its newest entry: what it
// left when that kind finished; else what it found, and what it was sending. Nothing,
// after saying why, when that was not kept.
struct Expected {
    SnapshotPart part;
    bool withGoing;
};
std::optional<Expected> expectedOf(Session& s, const Snapshot& newest, bool footerKind) {
    const ChangeOutcome outcome = newest.outcome(footerKind);
    const auto kept = [footerKind](RecordKinds kinds) {
        return footerKind ? kinds.footers : kinds.bindings;
    };
    if (outcome == ChangeOutcome::Finished) {
        if (kept(newest.after)) {
            return Expected{SnapshotPart::After, false};
        }
        s.result(fill(_("what change %1 left was not kept, so a change made since cannot be "
                        "seen; nothing was sent (--force restores even so)"),
                      {std::to_string(newest.sequence)}),
                 kExitDiffers);
        return std::nullopt;
    }
    if (outcome == ChangeOutcome::Untouched) {
        return Expected{SnapshotPart::Before, false};
    }
    if (kept(newest.going)) {
        return Expected{SnapshotPart::Before, true};
    }
    s.result(fill(_("what change %1 was sending when it ended was not kept, so a change made "
                    "since cannot be seen; nothing was sent (--force restores even so)"),
                  {std::to_string(newest.sequence)}),
             kExitDiffers);
    return std::nullopt;
}

// How many records of the kinds the printer holds otherwise than the journal's newest
// entry says it may; -1 after saying why that cannot be told.
long changedBehind(Session& s, const Snapshot& newest, RecordKinds kinds,
                   const PrinterFooters& footers, const PrinterBindings& bindings) {
    if (!newest.damaged.empty()) {
        s.result(fill(_("whether the printer was changed after change %1 cannot be seen: "
                        "snapshot %2 damaged: %3; nothing was sent (--force restores even so)"),
                      {std::to_string(newest.sequence), newest.name(), newest.damaged}),
                 kExitDiffers);
        return -1;
    }
    long differ = 0;
    for (const bool footerKind : {true, false}) {
        if (!(footerKind ? kinds.footers : kinds.bindings)) {
            continue;
        }
        const auto expected = expectedOf(s, newest, footerKind);
        if (!expected) {
            return -1;
        }
        const bool whole = !newest.partial;
        if (footerKind) {
            const auto going = expected->withGoing
                                   ? ReadFooterFile(newest.file(true, SnapshotPart::Going)).records
                                   : std::vector<FooterRecord>{};
            differ += differing(footers.records,
                                ReadFooterFile(newest.file(true, expected->part)).records, going,
                                whole, [](const FooterRecord& r) { return int{r.number}; },
                                [](const FooterRecord& a, const FooterRecord& b) {
                                    return FooterDifferences({a}, {b}).empty();
                                });
        } else {
            const auto going =
                expected->withGoing ? ReadBindingFile(newest.file(false, SnapshotPart::Going)).records
                                    : std::vector<BindingRecord>{};
            differ += differing(bindings.records,
                                ReadBindingFile(newest.file(false, expected->part)).records, going,
                                whole, [](const BindingRecord& r) { return int{r.plu}; },
                                [](const BindingRecord& a, const BindingRecord& b) {
                                    return a.footer == b.footer;
                                });
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
    // A closing entry found what it left.
    auto file = read(snapshot->file(footerKind, snapshot->closes ? SnapshotPart::After
                                                                 : SnapshotPart::Before));
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
    const UndoJournal journal(s.journal());
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
    // What the journal says the printer holds must still be there: else something else
    // changed it since, and putting a snapshot back would undo that too.
    const RecordKinds kinds{change.footers.has_value(), change.bindings.has_value()};
    if (const Snapshot* newest = journal.newest(); newest && !s.options().force) {
        const RecordKinds compared{kinds.footers && newest->kinds.footers,
                                   kinds.bindings && newest->kinds.bindings};
        change.alsoRead = newest->partial ? RecordKinds{} : compared;
        change.guard = [&s, newest, compared](const PrinterFooters& footers,
                                              const PrinterBindings& bindings) {
            const long differ = changedBehind(s, *newest, compared, footers, bindings);
            if (differ == 0) {
                return static_cast<int>(kExitOk);
            }
            if (differ > 0) {
                s.result(fill(_("the printer was changed after change %1 by something else: "
                                "%2 records differ from what the journal says it holds; nothing "
                                "was sent (--force restores even so)"),
                              {std::to_string(newest->sequence), std::to_string(differ)}),
                         kExitDiffers);
            }
            return static_cast<int>(kExitDiffers);
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
