// SPDX-License-Identifier: MIT
#include "cli/Change.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <ranges>

#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/SupportTools.h"
#include "data/Cp1250.h"
#include "data/KnownRecords.h"
#include "data/UndoJournal.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

// Each printer keeps this many groups of changes with whole snapshots, and of changes
// with small ones, besides one a restore still needs.
constexpr std::size_t kKeptGroups = 20;
constexpr std::size_t kKeptSmallGroups = 200;

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

// Only the records of the numbers that wanted holds.
template <typename Record, typename Key>
std::vector<Record> only(const std::vector<Record>& records, const std::vector<Record>& wanted,
                         Key key) {
    const auto numbers = byNumber(wanted, key);
    std::vector<Record> kept;
    std::copy_if(records.begin(), records.end(), std::back_inserter(kept),
                 [&](const Record& record) { return numbers.contains(key(record)); });
    return kept;
}

// What the printer holds of the kinds the change reads, into memory: whole, or for a
// small change only its records; what is read is known from then on. An exit code
// other than 0 after saying why it could not be read.
int readPrinter(Session& s, const Change& change, KnownRecords& known, PrinterFooters& footers,
                PrinterBindings& bindings) {
    const RecordKinds kinds =
        RecordKinds{change.footers.has_value(), change.bindings.has_value()} | change.alsoRead;
    const RecordKinds whole = change.partial ? change.alsoRead : kinds;
    PrinterReader reader(s.commands(), s.state(), s.progress());
    const auto failed = [&s](const char* what, ResultCode rc) {
        // A signal that came while an answer was awaited stops the run, whatever the
        // exchange it cut short answered.
        s.progress().PumpMessages();
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
        footers = whole.footers ? reader.ReadFooters() : reader.ReadBackFooters(*change.footers);
        if (footers.result != 0 || s.state().AbortRequested != 0) {
            return failed(N_("reading the footers"), footers.result);
        }
        whole.footers ? known.knowOnly(footers.records) : known.know(footers.records);
    }
    if (kinds.bindings) {
        bindings = whole.bindings ? reader.ReadBindings(static_cast<std::uint16_t>(kLastPlu))
                                  : reader.ReadBackBindings(*change.bindings);
        if (bindings.result != 0 || s.state().AbortRequested != 0) {
            return failed(N_("reading the bindings"), bindings.result);
        }
        whole.bindings ? known.knowOnly(bindings.records) : known.know(bindings.records);
    }
    return kExitOk;
}

// What is known must never claim more than the printer holds: kept before anything
// is sent (the records to send unknown until acknowledged), and nothing is sent when
// it cannot be; kept again after, when a failure leaves nothing known.
int keepKnownBeforeSending(Session& s, const KnownRecords& known) {
    if (const auto error = known.save()) {
        return s.result(fill(_("what the printer holds cannot be kept: %1: %2; nothing was "
                               "changed"),
                             {error->name, error->reason}),
                        kExitFile);
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
            s.report(change.erase ? "erase_footers" : "write_footers",
                     change.erase ? "Kasowanie stopek" : "Zapis stopek", rc,
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
            s.report(change.erase ? "erase_bindings" : "write_bindings",
                     change.erase ? "Kasowanie wiązań"_cp1250 : "Zapis wiązań"_cp1250, rc,
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
    KnownRecords known(s.store().knownFolder(s.owner()));
    known.load();
    known.forget(sent.footers);
    known.forget(sent.bindings);
    if (const int exit = keepKnownBeforeSending(s, known); exit != kExitOk) {
        return exit;
    }
    send(s, every, sent);
    int exit = sent.footerExit != kExitOk ? sent.footerExit : sent.bindingExit;
    // What was sent stays unknown unless it is read back.
    ReadBack back;
    if (exit == kExitOk && !change.erase && s.options().verify) {
        exit = VerifyRecords(s, change.footers ? &sent.footers : nullptr,
                             change.bindings ? &sent.bindings : nullptr, &back);
    }
    known.know(back.footers);
    known.know(back.bindings);
    KeepKnown(known);
    return exit;
}

// The names of the records, at most a screenful of them.
std::string listed(const std::vector<std::string>& names) {
    constexpr std::size_t kMostNamed = 20;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kMostNamed; ++i) {
        text += (i > 0 ? ", " : "") + names[i];
    }
    return names.size() > kMostNamed
               ? fill(_("%1 and %2 more"), {text, std::to_string(names.size() - kMostNamed)})
               : text;
}

std::string footerName(int number) {
    return fill(_("footer %1"), {std::to_string(number)});
}
std::string bindingName(int plu) {
    return "PLU " + std::to_string(plu);
}

// The records of wanted that differ from what is known; those not known are named.
template <typename Record, typename Key, typename Known, typename Same, typename Name>
std::vector<Record> sinceKnown(const std::vector<Record>& wanted, Key key, Known known, Same same,
                               Name name, std::vector<std::string>& unknown) {
    std::vector<Record> differ;
    for (const Record& record : byNumber(wanted, key) | std::views::values) {
        const Record* held = known(key(record));
        if (held == nullptr) {
            unknown.push_back(name(key(record)));
        } else if (!same(record, *held)) {
            differ.push_back(record);
        }
    }
    return differ;
}

// The records the printer holds that are neither what is known nor what is wanted:
// changed by something else since.
template <typename Record, typename Key, typename Known, typename Same, typename Name>
void changedElsewhere(const std::vector<Record>& wanted, const std::vector<Record>& held, Key key,
                      Known known, Same same, Name name, std::vector<std::string>& changed) {
    const auto want = byNumber(wanted, key);
    for (const Record& printer : held) {
        const Record* was = known(key(printer));
        const auto file = want.find(key(printer));
        if (file != want.end() && !same(file->second, printer) &&
            (was == nullptr || !same(*was, printer))) {
            changed.push_back(name(key(printer)));
        }
    }
}

}  // namespace

int ApplySinceRead(Session& s, Change change) {
    auto known = std::make_shared<KnownRecords>(s.store().knownFolder(s.owner()));
    known->load();
    if (known->empty()) {
        return s.result(fill(_("nothing is known of what printer no. %1 holds: read it first, or "
                               "write without --since-read; nothing was sent"),
                             {s.owner().number}),
                        kExitFile);
    }
    const auto knownFooter = [known](int n) { return known->footer(n); };
    const auto knownBinding = [known](int plu) { return known->binding(plu); };
    std::vector<std::string> unknown;
    if (change.footers) {
        change.footers = sinceKnown(*change.footers, footerNumber, knownFooter, sameFooter,
                                    footerName, unknown);
    }
    if (change.bindings) {
        change.bindings = sinceKnown(*change.bindings, bindingPlu, knownBinding, sameBinding,
                                     bindingName, unknown);
    }
    if (!unknown.empty()) {
        return s.result(fill(_("what the printer holds is not known of %1; nothing was sent "
                               "(write without --since-read sends everything)"),
                             {listed(unknown)}),
                        kExitFailed);
    }
    change.partial = true;
    const auto wantedFooters = change.footers;
    const auto wantedBindings = change.bindings;
    change.guard = [&s, knownFooter, knownBinding, wantedFooters, wantedBindings](
                       const PrinterFooters& footers, const PrinterBindings& bindings) {
        std::vector<std::string> changed;
        if (wantedFooters) {
            changedElsewhere(*wantedFooters, footers.records, footerNumber, knownFooter,
                             sameFooter, footerName, changed);
        }
        if (wantedBindings) {
            changedElsewhere(*wantedBindings, bindings.records, bindingPlu, knownBinding,
                             sameBinding, bindingName, changed);
        }
        if (changed.empty()) {
            return static_cast<int>(kExitOk);
        }
        return s.result(fill(_("changed on the printer by something else since it was read: "
                               "%1; nothing was sent"),
                             {listed(changed)}),
                        kExitFailed);
    };
    return ApplyChange(s, change);
}

int ApplyChange(Session& s, const Change& change) {
    if (s.options().noSnapshot && change.undoes == 0 && change.command != "restore --snapshot") {
        return sendWithoutSnapshot(s, change);
    }
    const RecordKinds kinds{change.footers.has_value(), change.bindings.has_value()};
    PrinterFooters heldFooters;
    PrinterBindings heldBindings;
    KnownRecords known(s.store().knownFolder(s.owner()));
    known.load();
    if (const int exit = readPrinter(s, change, known, heldFooters, heldBindings);
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
    const std::vector<FooterRecord>& footersGoing =
        change.erase ? change.footers.value_or(std::vector<FooterRecord>{}) : sent.footers;
    const std::vector<BindingRecord>& bindingsGoing =
        change.erase ? change.bindings.value_or(std::vector<BindingRecord>{}) : sent.bindings;
    if (!nothing) {
        known.forget(footersGoing);
        known.forget(bindingsGoing);
        if (const int exit = keepKnownBeforeSending(s, known); exit != kExitOk) {
            return exit;
        }
    }
    Snapshot draft;
    draft.owner = s.owner();
    draft.command = change.command;
    draft.undoes = change.undoes;
    draft.kinds = kinds;
    draft.partial = change.partial;
    draft = UndoJournal(s.journal()).place(draft);
    // A whole write that finds the printer as it wants finishes its kinds all the same:
    // the group they were left dirty in is closed, though nothing is sent.
    if (nothing && change.undoes == 0 && !change.partial && !change.erase &&
        ((draft.dirty.footers && kinds.footers) || (draft.dirty.bindings && kinds.bindings))) {
        std::optional<FileError> error;
        if (!s.store().close(draft, {kinds.footers ? &heldFooters.records : nullptr,
                                     kinds.bindings ? &heldBindings.records : nullptr},
                             error)) {
            s.result(snapshotLine(fill(_("that the printer holds what the files do could not be "
                                         "kept: %1: %2"),
                                       {error->name, error->reason})),
                     kExitFile);
            return kExitFile;
        }
    }
    std::optional<Snapshot> entry;
    if (!nothing || change.undoes != 0) {
        // A small snapshot holds the change's records alone, however much was read.
        if (change.partial) {
            heldFooters.records = only(heldFooters.records, change.footers.value_or(
                                                                std::vector<FooterRecord>{}),
                                       footerNumber);
            heldBindings.records = only(heldBindings.records, change.bindings.value_or(
                                                                  std::vector<BindingRecord>{}),
                                        bindingPlu);
        }
        std::optional<FileError> error;
        entry = s.store().begin(draft,
                                {kinds.footers ? &heldFooters.records : nullptr,
                                 kinds.bindings ? &heldBindings.records : nullptr},
                                {kinds.footers ? &footersGoing : nullptr,
                                 kinds.bindings ? &bindingsGoing : nullptr},
                                error);
        if (!entry) {
            return s.result(
                snapshotLine(fill(_("%1: %2; nothing was changed"), {error->name, error->reason})),
                kExitFile);
        }
        inform(snapshotLine(entry->folder));
        s.json()["snapshot"] = entry->folder;
    }
    send(s, change, sent);
    // What was sent is known only as far as it is read back.
    int exit = sent.footerExit != kExitOk ? sent.footerExit : sent.bindingExit;
    ReadBack back;
    if (exit == kExitOk && !change.erase) {
        exit = VerifyRecords(s, change.footers ? &sent.footers : nullptr,
                             change.bindings ? &sent.bindings : nullptr, &back);
    }
    known.know(back.footers);
    known.know(back.bindings);
    KeepKnown(known);
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
    for (const Snapshot& old : UndoJournal(s.journal()).prunable(kKeptGroups, kKeptSmallGroups)) {
        s.store().remove(old);
    }
    return exit;
}

void KeepKnown(const KnownRecords& known) {
    if (const auto error = known.save()) {
        inform(fill(_("what the printer holds is not kept: %1: %2"), {error->name, error->reason}));
    }
}

std::string snapshotLine(const std::string& text) {
    return _("Snapshot: ") + text;
}

}  // namespace kalvero::cli
