// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/KnownRecords.h"
#include "data/RecordFormat.h"
#include "data/SnapshotStore.h"
#include "link/Comparison.h"

namespace kalvero::cli {

class Session;

// A change of a printer: what it is to hold of each kind afterwards.
struct Change {
    std::string command;  // as the journal names it
    long undoes = 0;      // a plain restore: the group it undoes
    bool erase = false;   // blanks every record; the records are what that leaves
    std::optional<std::vector<FooterRecord>> footers;
    std::optional<std::vector<BindingRecord>> bindings;
    bool all = false;  // every record goes, not only those that differ
    // Only the records given are read and kept, not the whole kinds: a small snapshot
    // (binding set, footer set, write --since-read).
    bool partial = false;
    // Kinds read besides the changed ones, for the guard only.
    RecordKinds alsoRead;
    // Sees what the printer holds before anything is kept or sent; an exit code
    // other than 0 ends the change there.
    std::function<int(const PrinterFooters&, const PrinterBindings&)> guard;
};

// Reads what the printer holds of the kinds, keeps it as a journal entry (unless
// --no-snapshot, or nothing would change in a write), sends what differs, reads it
// back and records how the change ended and what it left. Footers first; bindings
// only when the footers went whole.
int ApplyChange(Session& s, const Change& change);

// write --since-read: sends only the records where the change differs from what the
// printer is known to hold, after reading them: refused (exit 1, nothing sent) when a
// record is not known or the printer holds neither what is known nor the change's
// value; exit 4 when nothing is known of the printer. A small snapshot, as any small
// change.
int ApplySinceRead(Session& s, Change change);

// Keeps what the printer is known to hold; a failure leaves nothing known, and is said.
void KeepKnown(const KnownRecords& known);

// A line about the snapshot taken before a change.
std::string snapshotLine(const std::string& text);

}  // namespace kalvero::cli
