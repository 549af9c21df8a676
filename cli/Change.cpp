// SPDX-License-Identifier: MIT
#include "cli/Change.h"

#include <map>

#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/SupportTools.h"
#include "data/Cp1250.h"
#include "data/UndoJournal.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

// Each printer keeps this many groups of changes, besides one a restore still needs.
constexpr std::size_t kKeptGroups = 20;

const std::string kStopped = " przerwany przez użytkownika"_cp1250;
const std::string kErasureStopped = " przerwane przez użytkownika"_cp1250;

template <typename Record, typename Key>
std::map<int, Record> byNumber(const std::vector<Record>& records, Key key) {
    std::map<int, Record> found;
    for (const Record& record : records) {
        found[key(record)] = record;
    }
    return found;
}

int footerNumber(const FooterRecord& record) {
    return record.number;
}
int bindingPlu(const BindingRecord& record) {
    return record.plu;
}

// The records of the change that the printer does not hold yet, in their order; a
// number given again meets the one before it, as in a write of everything.
template <typename Record, typename Key, typename Same>
std::vector<Record> toSend(const std::vector<Record>& wanted, const std::vector<Record>& held,
                           bool all, Key key, Same same) {
    if (all) {
        return wanted;
    }
    auto now = byNumber(held, key);
    std::vector<Record> send;
    for (const Record& record : wanted) {
        const auto found = now.find(key(record));
        if (found == now.end() || !same(record, found->second)) {
            send.push_back(record);
            now[key(record)] = record;
        }
    }
    return send;
}

bool sameFooter(const FooterRecord& file, const FooterRecord& printer) {
    return FooterDifferences({file}, {printer}).empty();
}
bool sameBinding(const BindingRecord& file, const BindingRecord& printer) {
    return file.footer == printer.footer;
}

// What the printer holds after the change: what it held, with what it gave back for
// the records sent.
template <typename Record, typename Key>
std::vector<Record> leftAfter(const std::vector<Record>& held, const std::vector<Record>& back,
                              Key key) {
    auto now = byNumber(held, key);
    for (const Record& record : back) {
        now[key(record)] = record;
    }
    std::vector<Record> records;
    for (const auto& [number, record] : now) {
        records.push_back(record);
    }
    return records;
}

ChangeOutcome outcomeOf(int exit) {
    switch (exit) {
        case kExitOk:
            return ChangeOutcome::Finished;
        case kExitStopped:
            return ChangeOutcome::Stopped;
        default:
            return ChangeOutcome::Failed;
    }
}

// What the printer holds of the kinds, read into memory; an exit code other than 0
// after saying why it could not be read whole.
int readPrinter(Session& s, RecordKinds kinds, PrinterFooters& footers,
                PrinterBindings& bindings) {
    PrinterReader reader(s.commands(), s.state(), s.progress());
    const auto failed = [&s](const char* what, ResultCode rc) {
        if (s.state().AbortRequested != 0) {
            return s.result(
                snapshotLine(fill(_("%1 stopped by the user; nothing was changed"), {_(what)})),
                kExitStopped);
        }
        return s.result(
            snapshotLine(fill(_("%1: %2; nothing was changed"), {_(what), s.resultText(rc)})),
            kExitFailed);
    };
    if (kinds.footers) {
        footers = reader.ReadFooters();
        if (footers.result != 0 || s.state().AbortRequested != 0) {
            return failed(N_("reading the footers"), footers.result);
        }
    }
    if (kinds.bindings) {
        bindings = reader.ReadBindings(static_cast<std::uint16_t>(kLastPlu));
        if (bindings.result != 0 || s.state().AbortRequested != 0) {
            return failed(N_("reading the bindings"), bindings.result);
        }
    }
    return kExitOk;
}

// The records sent, each kind through its transfer, with its result said.
struct Sent {
    std::vector<FooterRecord> footers;
    std::vector<BindingRecord> bindings;
    int footerExit = kExitOk;
    int bindingExit = kExitOk;
    bool footersTried = false;
    bool bindingsTried = false;
};

void send(Session& s, const Change& change, Sent& sent) {
    BulkTransfers& transfers = s.transfers();
    const bool selective = !change.all && !change.erase;
    const auto done = [&](std::size_t count, std::size_t of, bool footerKind) {
        if (change.erase) {
            return std::string(": OK");
        }
        if (selective) {
            return fill(_(": OK, changed %1 of %2"), {std::to_string(count), std::to_string(of)});
        }
        return footerKind ? ": OK, zapisano " + std::to_string(count) : std::string(": OK");
    };
    if (change.footers) {
        sent.footersTried = true;
        std::uint16_t count = 0;
        const ResultCode rc = change.erase ? transfers.EraseAllFooters()
                                           : transfers.WriteFooters(sent.footers, count);
        count = change.erase ? transfers.erased() : count;
        s.outcome().changed += count;
        sent.footerExit =
            s.report(change.erase ? "Kasowanie stopek" : "Zapis stopek", rc,
                     change.erase ? kErasureStopped : kStopped,
                     done(count, change.footers->size(), true));
        s.json()["operations"].back()["changed"] = count;
    }
    // A printer whose footers did not go whole gets no bindings.
    if (change.bindings && sent.footerExit == kExitOk) {
        sent.bindingsTried = true;
        std::uint16_t count = 0;
        const ResultCode rc = change.erase ? transfers.EraseAllBindings()
                                           : transfers.WriteBindings(sent.bindings, count);
        count = change.erase ? transfers.erased() : count;
        s.outcome().changed += count;
        sent.bindingExit =
            s.report(change.erase ? "Kasowanie wiązań"_cp1250 : "Zapis wiązań"_cp1250, rc,
                     change.erase ? kErasureStopped : kStopped,
                     done(count, change.bindings->size(), false));
        s.json()["operations"].back()["changed"] = count;
    }
}

int sendWithoutSnapshot(Session& s, const Change& change) {
    Sent sent;
    sent.footers = change.footers.value_or(std::vector<FooterRecord>{});
    sent.bindings = change.bindings.value_or(std::vector<BindingRecord>{});
    Change every = change;
    every.all = true;
    send(s, every, sent);
    const int exit = sent.footerExit != kExitOk ? sent.footerExit : sent.bindingExit;
    if (exit != kExitOk || change.erase || !s.options().verify) {
        return exit;
    }
    return VerifyRecords(s, change.footers ? &sent.footers : nullptr,
                         change.bindings ? &sent.bindings : nullptr);
}

}  // namespace

int ApplyChange(Session& s, const Change& change) {
    if (s.options().noSnapshot && change.undoes == 0 && change.command != "restore --snapshot") {
        return sendWithoutSnapshot(s, change);
    }
    const RecordKinds kinds{change.footers.has_value(), change.bindings.has_value()};
    PrinterFooters heldFooters;
    PrinterBindings heldBindings;
    if (const int exit = readPrinter(s, kinds | change.alsoRead, heldFooters, heldBindings);
        exit != kExitOk) {
        return exit;
    }
    if (change.guard) {
        if (const int exit = change.guard(heldFooters, heldBindings); exit != kExitOk) {
            return exit;
        }
    }
    Sent sent;
    if (!change.erase) {
        sent.footers = toSend(change.footers.value_or(std::vector<FooterRecord>{}),
                              heldFooters.records, change.all, footerNumber, sameFooter);
        sent.bindings = toSend(change.bindings.value_or(std::vector<BindingRecord>{}),
                               heldBindings.records, change.all, bindingPlu, sameBinding);
    }
    // A write that changes nothing keeps nothing: there is nothing to undo.
    const bool nothing = !change.erase && sent.footers.empty() && sent.bindings.empty();
    std::optional<Snapshot> entry;
    if (!nothing || change.undoes != 0) {
        Snapshot draft;
        draft.owner = s.owner();
        draft.command = change.command;
        draft.undoes = change.undoes;
        draft.kinds = kinds;
        draft = UndoJournal(s.store().journal(draft.owner)).place(draft);
        std::optional<FileError> error;
        entry = s.store().begin(draft, kinds.footers ? &heldFooters.records : nullptr,
                                kinds.bindings ? &heldBindings.records : nullptr, error);
        if (!entry) {
            return s.result(
                snapshotLine(fill(_("%1: %2; nothing was changed"), {error->name, error->reason})),
                kExitFile);
        }
        inform(snapshotLine(entry->folder));
        s.json()["snapshot"] = entry->folder;
    }
    send(s, change, sent);
    int exit = sent.footerExit != kExitOk ? sent.footerExit : sent.bindingExit;
    ReadBack back;
    if (exit == kExitOk && !change.erase) {
        exit = VerifyRecords(s, change.footers ? &sent.footers : nullptr,
                             change.bindings ? &sent.bindings : nullptr, &back);
    }
    if (!entry) {
        return exit;
    }
    // A kind is left as the change wanted only when it went whole and read back alike.
    const auto ended = [&](bool tried, int sentExit, bool read, bool differ) {
        if (!tried) {
            return ChangeOutcome::Untouched;
        }
        if (sentExit != kExitOk) {
            return outcomeOf(sentExit);
        }
        if (change.erase || (read && !differ)) {
            return ChangeOutcome::Finished;
        }
        // Sent, but not vouched for: a read-back that differed, failed or was stopped.
        return !read && exit == kExitStopped ? ChangeOutcome::Stopped : ChangeOutcome::Failed;
    };
    entry->footers = ended(sent.footersTried, sent.footerExit, back.footersRead, back.footersDiffer);
    entry->bindings =
        ended(sent.bindingsTried, sent.bindingExit, back.bindingsRead, back.bindingsDiffer);
    const std::vector<FooterRecord> footersAfter =
        change.erase ? change.footers.value_or(std::vector<FooterRecord>{})
                     : leftAfter(heldFooters.records, back.footers, footerNumber);
    const std::vector<BindingRecord> bindingsAfter =
        change.erase ? change.bindings.value_or(std::vector<BindingRecord>{})
                     : leftAfter(heldBindings.records, back.bindings, bindingPlu);
    if (const auto error = s.store().end(*entry, kinds.footers ? &footersAfter : nullptr,
                                         kinds.bindings ? &bindingsAfter : nullptr)) {
        // The change went, but its undo would not know how: that is no success.
        s.result(snapshotLine(fill(_("how the change ended could not be kept: %1: %2"),
                                   {error->name, error->reason})),
                 kExitFile);
        exit = exit == kExitOk ? kExitFile : exit;
    }
    for (const Snapshot& old : UndoJournal(s.store().journal(entry->owner)).prunable(kKeptGroups)) {
        s.store().remove(old);
    }
    return exit;
}

std::string snapshotLine(const std::string& text) {
    return _("Snapshot: ") + text;
}

}  // namespace kalvero::cli
