// SPDX-License-Identifier: MIT
#include "data/UndoJournal.h"

#include <algorithm>
#include <set>

#include "lang/Language.h"

namespace kalvero {

UndoJournal::UndoJournal(std::vector<Snapshot> entries) : m_entries(std::move(entries)) {
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Snapshot& a, const Snapshot& b) { return a.sequence < b.sequence; });
}

Snapshot UndoJournal::place(Snapshot entry) const {
    entry.dirty = {};
    entry.group = 0;
    entry.groupKinds = entry.kinds;
    entry.previous = 0;
    entry.previousCheck.clear();
    if (m_entries.empty()) {
        return entry;
    }
    const Snapshot& newest = m_entries.back();
    entry.previous = newest.sequence;
    entry.previousCheck = newest.check;
    entry.dirty = newest.dirtyAfter();
    if (entry.isUndo() || !entry.dirty.any()) {
        return entry;
    }
    // A change on a printer left half-way belongs with what left it so; after an
    // undo that did not finish, with the group that undo was returning from.
    entry.group = newest.isUndo() ? newest.undoes : newest.group;
    for (const Snapshot* member : members(entry.group)) {
        entry.groupKinds = entry.groupKinds | member->groupKinds;
    }
    return entry;
}

std::vector<const Snapshot*> UndoJournal::members(long group) const {
    std::vector<const Snapshot*> found;
    for (const Snapshot& entry : m_entries) {
        if (!entry.isUndo() && !entry.closes && entry.group == group) {
            found.push_back(&entry);
        }
    }
    return found;
}

std::vector<long> UndoJournal::groups() const {
    std::set<long, std::greater<>> found;
    for (const Snapshot& entry : m_entries) {
        if (!entry.isUndo() && !entry.closes) {
            found.insert(entry.group);
        }
    }
    return {found.begin(), found.end()};
}

bool UndoJournal::undone(long group) const {
    const auto all = members(group);
    const long last = all.empty() ? 0 : all.back()->sequence;
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const Snapshot& entry) {
        return entry.undoes == group && entry.sequence > last && entry.finished();
    });
}

std::optional<UndoJournal::Undo> UndoJournal::undo(std::string& broken) const {
    for (const long group : groups()) {
        if (undone(group)) {
            continue;
        }
        const auto all = members(group);
        for (const Snapshot* member : all) {
            if (!member->damaged.empty()) {
                broken = fill(_("snapshot %1 damaged: %2"), {member->name(), member->damaged});
                return std::nullopt;
            }
        }
        if (all.front()->sequence != group) {
            broken = fill(_("the snapshot of change %1 is missing or not whole"),
                          {std::to_string(group)});
            return std::nullopt;
        }
        Undo undo{group, nullptr, nullptr, all};
        RecordKinds seen;
        for (const Snapshot* member : all) {
            // A kind its group gained by a change whose snapshot is gone cannot be undone.
            if ((member->groupKinds - (seen | member->kinds)).any()) {
                broken = fill(_("a snapshot of the changes after change %1 is missing or not whole"),
                              {std::to_string(group)});
                return std::nullopt;
            }
            if (member->kinds.footers && undo.footers == nullptr) {
                undo.footers = member;
            }
            if (member->kinds.bindings && undo.bindings == nullptr) {
                undo.bindings = member;
            }
            seen = seen | member->kinds;
        }
        return undo;
    }
    return std::nullopt;
}

const Snapshot* UndoJournal::newest() const {
    return m_entries.empty() ? nullptr : &m_entries.back();
}

std::vector<Snapshot> UndoJournal::prunable(std::size_t keep, std::size_t keepSmall) const {
    std::set<long> kept;
    std::size_t whole = 0;
    std::size_t small = 0;
    // A restore may step over a change that went without being undone only to a group
    // that puts back whole every kind that change touched: a small snapshot beyond it
    // would leave the printer in a state it never had.
    RecordKinds skipped;
    for (const long group : groups()) {
        const auto all = members(group);
        RecordKinds wholeKinds;
        RecordKinds touched;
        for (const Snapshot* member : all) {
            touched = touched | member->kinds;
            if (!member->partial) {
                wholeKinds = wholeKinds | member->kinds;
            }
        }
        const bool isSmall = !wholeKinds.any();
        if (!(skipped - wholeKinds).any() && (isSmall ? small++ < keepSmall : whole++ < keep)) {
            kept.insert(group);
        } else if (!undone(group)) {
            skipped = skipped | touched;
        }
    }
    std::string broken;
    if (const auto next = undo(broken)) {
        kept.insert(next->group);
    }
    std::vector<Snapshot> removed;
    for (const Snapshot& entry : m_entries) {
        const long group = entry.isUndo() ? entry.undoes : entry.group;
        // The newest entry says what the printer was left as: it always stays.
        if (!kept.contains(group) && &entry != &m_entries.back()) {
            removed.push_back(entry);
        }
    }
    return removed;
}

}  // namespace kalvero
