// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/SnapshotStore.h"

namespace kalvero {

// The rules of undo over one printer's journal (its snapshots by sequence number).
// A kind becomes dirty when a change of it does not finish, and clean again when a
// whole change of it finishes (a change of some records leaves it as it was). A
// change made while a kind is dirty joins the group of the change that made it so;
// any other change starts a group of its own. A whole write that found nothing to
// send closes the group as a finished one would, but is no change of its own. A plain
// restore undoes the newest group not yet undone, returning each kind to what the
// group's first change of it found; a restore that did not finish leaves that group
// to the next one. A group with a damaged snapshot cannot be undone.
class UndoJournal {
public:
    explicit UndoJournal(std::vector<Snapshot> entries);

    const std::vector<Snapshot>& entries() const { return m_entries; }

    // Group, group kinds, dirty kinds and previous entry of a new change (or undo,
    // given undoes, or closing entry) of kinds, to fill in before the store keeps it.
    Snapshot place(Snapshot entry) const;

    // What a plain restore undoes: the group, and for each kind the snapshot that
    // holds what the group's first change of it found.
    struct Undo {
        long group = 0;
        const Snapshot* footers = nullptr;
        const Snapshot* bindings = nullptr;
        // Every change of the group, oldest first: a small snapshot holds only the
        // records its change sent, so what the group found of the others is in the
        // changes after it.
        std::vector<const Snapshot*> members;
    };
    // Nothing when every group is undone; broken says why a group cannot be (a
    // snapshot of it is missing or not whole).
    std::optional<Undo> undo(std::string& broken) const;
    bool undone(long group) const;

    // The newest entry: a printer that no longer holds what it left, or for a change
    // that did not finish, what it found or was sending, was changed by something else.
    const Snapshot* newest() const;

    // The entries to remove so that the newest keep groups of whole snapshots and the
    // newest keepSmall groups of small ones stay, and every group a plain restore may
    // still need: many small changes never push out the whole snapshots.
    std::vector<Snapshot> prunable(std::size_t keep, std::size_t keepSmall) const;

private:
    std::vector<const Snapshot*> members(long group) const;
    // Groups by their first change, newest first.
    std::vector<long> groups() const;

    std::vector<Snapshot> m_entries;
};

}  // namespace kalvero
