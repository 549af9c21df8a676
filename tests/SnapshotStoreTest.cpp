// SPDX-License-Identifier: MIT
// The journal of a printer's changes: whole snapshots only, and the rules of undo.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "data/KnownRecords.h"
#include "data/SnapshotStore.h"
#include "data/UndoJournal.h"
#include "lang/Language.h"
#include "tests/FailingSinks.h"
#include "tests/Files.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

namespace fs = std::filesystem;

const SnapshotOwner kPrinter{"COM1", "07"};

std::string thisProcess() {
#ifdef _WIN32
    return std::to_string(::_getpid());
#else
    return std::to_string(::getpid());
#endif
}

std::vector<BindingRecord> bindings(std::uint8_t footer) {
    std::vector<BindingRecord> records;
    for (int plu = 1; plu <= 300; ++plu) {
        records.push_back({static_cast<std::uint16_t>(plu), footer});
    }
    return records;
}

class SnapshotStoreTest : public ::testing::Test {
protected:
    std::optional<Snapshot> take(const SnapshotStore& store, const SnapshotOwner& owner,
                                 const std::vector<BindingRecord>& held) {
        Snapshot draft;
        draft.owner = owner;
        draft.command = "write";
        draft.kinds = {false, true};
        std::optional<FileError> error;
        return store.begin(UndoJournal(store.journal(owner)).place(draft), {nullptr, &held}, {},
                           error);
    }
    std::size_t folders() const {
        std::size_t count = 0;
        for (const auto& printer : fs::directory_iterator(root)) {
            count += static_cast<std::size_t>(
                std::distance(fs::directory_iterator(printer), fs::directory_iterator()));
        }
        return count;
    }

    test::TempDir tmp;
    fs::path root = tmp / "snapshots";
    SnapshotStore store{root.string()};
};

// A snapshot is its manifest and the files it names, whole; anything else in the
// store is not one, and what an ended run left is cleared away.
TEST_F(SnapshotStoreTest, OnlyWholeSnapshotsCount) {
    auto kept = take(store, kPrinter, bindings(3));
    ASSERT_TRUE(kept);
    kept->bindings = ChangeOutcome::Failed;
    const auto after = bindings(9);
    EXPECT_FALSE(store.end(*kept, nullptr, &after));
    auto journal = store.journal(kPrinter);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].bindings, ChangeOutcome::Failed);
    EXPECT_FALSE(journal[0].after.bindings) << "what a failed change left is unknown";
    EXPECT_EQ(test::slurp(journal[0].file(false)).size(), 9u + 300 * 11);

    // The same number on another port, and a port whose signs sanitise alike.
    EXPECT_TRUE(store.journal({"COM2", "07"}).empty());
    ASSERT_TRUE(take(store, {"/dev/a/b", "07"}, bindings(1)));
    EXPECT_TRUE(store.journal({"/dev/a_b", "07"}).empty());
    EXPECT_NE(SnapshotStore::folderName("/dev/a/b"), SnapshotStore::folderName("/dev/a_b"));
    EXPECT_EQ(SnapshotStore::folderName("COM3"), "COM3");

    const fs::path printer = fs::path(journal[0].folder).parent_path();
    fs::create_directories(printer / "zz-moja-kopia");
    fs::create_directories(printer / "000009.partial-999999999");  // its writer is gone
    fs::create_directories(printer / ("000010.partial-" + thisProcess()));
    fs::copy(journal[0].folder, printer / "000011", fs::copy_options::recursive);
    fs::resize_file(printer / "000011" / "wiazplu.txt", 100);
    std::string reason;
    EXPECT_FALSE(SnapshotStore::open((printer / "000011").string(), reason));
    EXPECT_NE(reason.find("wiazplu.txt"), std::string::npos) << reason;
    EXPECT_FALSE(SnapshotStore::open((printer / "000010.partial-1").string(), reason));

    std::vector<Snapshot> setAside;
    journal = store.journal(kPrinter, &setAside);
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_TRUE(fs::exists(printer / "zz-moja-kopia"));
    EXPECT_FALSE(fs::exists(printer / "000009.partial-999999999"));
    EXPECT_TRUE(fs::exists(printer / ("000010.partial-" + thisProcess())))
        << "a run still writing it";
    ASSERT_EQ(setAside.size(), 1u);
    EXPECT_EQ(setAside[0].name(), "000011");
    EXPECT_NE(setAside[0].damaged.find("wiazplu.txt"), std::string::npos) << setAside[0].damaged;
    EXPECT_EQ(journal[1].folder, (printer / "000011.damaged").string()) << "set aside, kept";
    EXPECT_EQ(journal[1].damaged, setAside[0].damaged) << "and named again on the next look";
    setAside.clear();
    EXPECT_EQ(store.journal(kPrinter, &setAside)[1].damaged, journal[1].damaged);
    EXPECT_TRUE(setAside.empty());
    EXPECT_EQ(take(store, kPrinter, bindings(4))->sequence, 12) << "never a number reused";
}

// Each manifest names the entry before it as it was: an entry edited by hand, moved to
// another number, or replaced by another journal's is set aside with why, and its
// group is not undone.
TEST_F(SnapshotStoreTest, AnEntryChangedOrMovedIsSetAsideAndNamed) {
    const auto three = [this](const SnapshotStore& in, std::uint8_t base) {
        for (std::uint8_t footer = base; footer < base + 3; ++footer) {
            auto kept = take(in, kPrinter, bindings(footer));
            ASSERT_TRUE(kept);
            kept->bindings = ChangeOutcome::Finished;
            const auto after = bindings(footer + 10);
            ASSERT_FALSE(in.end(*kept, nullptr, &after));
        }
    };
    three(store, 1);
    const fs::path printer = fs::path(store.journal(kPrinter)[0].folder).parent_path();
    std::string broken;
    ASSERT_TRUE(UndoJournal(store.journal(kPrinter)).undo(broken));

    // A group edited by hand: taken for a group of its own that cannot be undone.
    const fs::path manifest = printer / "000003/manifest";
    std::string text = test::slurp(manifest);
    text.replace(text.find("group: 3"), 8, "group: 1");
    test::put(manifest, text);
    std::vector<Snapshot> setAside;
    auto journal = store.journal(kPrinter, &setAside);
    ASSERT_EQ(setAside.size(), 1u);
    EXPECT_EQ(setAside[0].damaged, _("the manifest was changed after it was written"));
    EXPECT_EQ(journal[2].folder, (printer / "000003.damaged").string());
    EXPECT_FALSE(UndoJournal(journal).undo(broken));
    EXPECT_EQ(broken, fill(_("snapshot %1 damaged: %2"), {"000003", setAside[0].damaged}));

    // An entry under another number.
    fs::rename(printer / "000001", printer / "000004");
    journal = store.journal(kPrinter);
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal.back().damaged, fill(_("it holds change %1"), {"000001"}));
    EXPECT_TRUE(fs::exists(printer / "000004.damaged"));

    // Another journal's entry 2, whole in itself, in the place of a journal's own: it and
    // the entries beside it can no longer be told apart from it.
    const SnapshotStore mixed((tmp / "mixed").string());
    const SnapshotStore other((tmp / "other").string());
    three(mixed, 1);
    three(other, 100);
    const fs::path own = fs::path(mixed.journal(kPrinter)[1].folder);
    fs::remove_all(own);
    fs::copy(other.journal(kPrinter)[1].folder, own, fs::copy_options::recursive);
    setAside.clear();
    journal = mixed.journal(kPrinter, &setAside);
    ASSERT_EQ(setAside.size(), 3u);
    EXPECT_EQ(setAside[1].damaged, fill(_("it is not what change %1 found before it"), {"000003"}));
    EXPECT_EQ(setAside[2].damaged,
              fill(_("it does not follow change %1 as the journal holds it"), {"000002"}));
    EXPECT_FALSE(UndoJournal(journal).undo(broken));
}

// A snapshot that cannot be written whole leaves nothing, however far it got.
TEST_F(SnapshotStoreTest, AFullDiskLeavesNoHalfSnapshot) {
    for (const std::int64_t bytes : {0, 10, 3000, 3308}) {
        test::FailingSinks full(bytes);
        const SnapshotStore failing(root.string(), full);
        EXPECT_FALSE(take(failing, kPrinter, bindings(2))) << bytes;
        EXPECT_EQ(folders(), 0u) << bytes;
    }
}

#ifndef _WIN32  // fork
// A run ended between any two steps of keeping a snapshot: no half of it counts, and
// the next run clears it away.
TEST_F(SnapshotStoreTest, ARunEndedWhileKeepingOneLeavesNoneBehind) {
    struct Ending final : Sinks {
        int at = 0;
        mutable int steps = 0;
        void reached(ReplaceStep /*step*/) const override {
            if (++steps == at) {
                ::_exit(0);
            }
        }
    };
    for (int at = 1; at <= 4; ++at) {
        const pid_t child = ::fork();
        if (child == 0) {
            Ending ending;
            ending.at = at;
            take(SnapshotStore(root.string(), ending), kPrinter, bindings(5));
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended at step " << at;
        EXPECT_TRUE(store.journal(kPrinter).empty()) << at;
        EXPECT_EQ(folders(), 0u) << at;
    }
}
#endif

// The undo rules over a journal: entries as the store gives them, without the disk.
struct Entry {
    const char* command;
    ChangeOutcome bindings;
    long undoes = 0;
    bool partial = false;  // a small snapshot (binding set, write --since-read)
};

std::vector<Snapshot> journalOf(const std::vector<Entry>& entries) {
    std::vector<Snapshot> made;
    for (const Entry& entry : entries) {
        Snapshot draft;
        draft.command = entry.command;
        draft.kinds = {false, true};
        draft.undoes = entry.undoes;
        draft.partial = entry.partial;
        draft = UndoJournal(made).place(draft);
        draft.sequence = static_cast<long>(made.size()) + 1;
        draft.group = draft.group == 0 && !draft.isUndo() ? draft.sequence : draft.group;
        draft.bindings = entry.bindings;
        draft.after.bindings = entry.bindings == ChangeOutcome::Finished;
        made.push_back(draft);
    }
    return made;
}

// What a printer is known to hold: what was read, not what was forgotten; a file
// changed by hand since knows nothing; a save that fails part-way leaves nothing
// known, and a run ended at any step of one leaves each file as it was or as it
// became, never half.
TEST_F(SnapshotStoreTest, WhatIsKnownIsWholeAndNeverMoreThanThePrinterTook) {
    const std::string folder = store.knownFolder(kPrinter);
    KnownRecords known(folder);
    known.knowOnly(bindings(1));
    known.know(BindingRecord{5, 9});
    known.forgetBinding(6);
    ASSERT_FALSE(known.save());
    const auto held = [&folder] {
        KnownRecords again(folder);
        again.load();
        const BindingRecord* five = again.binding(5);
        const BindingRecord* six = again.binding(6);
        return std::pair(five != nullptr ? int{five->footer} : -1, six != nullptr ? int{six->footer} : -1);
    };
    EXPECT_EQ(held(), std::pair(9, -1)) << "5 read, 6 forgotten";
    const fs::path file = fs::path(folder) / "wiazplu.txt";
    std::string text = test::slurp(file);
    text[text.find("$0005\t009")+7] = '8';
    test::put(file, text);
    EXPECT_EQ(held(), std::pair(-1, -1)) << "edited since it was kept";
    ASSERT_FALSE(known.save());
    KnownRecords later(folder);
    later.knowOnly(bindings(2));
    for (const std::int64_t bytes : {0, 10, 3000}) {
        test::FailingSinks full(bytes);
        KnownRecords failing(folder, full);
        failing.knowOnly(bindings(2));
        EXPECT_TRUE(failing.save()) << bytes;
        EXPECT_EQ(held(), std::pair(-1, -1)) << bytes;
    }
    ASSERT_FALSE(known.save());
#ifndef _WIN32
    for (int at = 1; at <= 4; ++at) {
        const pid_t child = ::fork();
        if (child == 0) {
            struct Ending final : Sinks {
                int at = 0;
                mutable int steps = 0;
                void reached(ReplaceStep) const override {
                    if (++steps == at) {
                        ::_exit(0);
                    }
                }
            } ending;
            ending.at = at;
            KnownRecords ended(folder, ending);
            ended.knowOnly(bindings(3));
            (void)ended.save();
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const int five = held().first;
        EXPECT_TRUE(five == 9 || five == 3) << at;
    }
#endif
}

TEST(UndoJournalTest, AChangeLeftHalfWayIsUndoneWithWhatFinishedIt) {
    using enum ChangeOutcome;
    const struct {
        std::vector<Entry> entries;
        long undoes;  // the group a plain restore undoes now, 0 for none
        long restoresFrom;  // the change whose snapshot it puts back
    } cases[] = {
        {{{"write", Finished}}, 1, 1},
        // A failed roll-out and the retry that finished it: one group.
        {{{"write", Finished}, {"write", Failed}, {"write", Finished}}, 2, 2},
        // Killed write, killed restore of it: the next restore finishes that undo.
        {{{"write", Unfinished}, {"restore", Unfinished, 1}}, 1, 1},
        // A write made on the half-restored printer joins the group it returns from.
        {{{"write", Finished}, {"write", Unfinished}, {"restore", Failed, 2}, {"write", Finished}},
         2, 2},
        // Two undos in a row, then nothing left.
        {{{"write", Finished}, {"write", Finished}, {"restore", Finished, 2}}, 1, 1},
        {{{"write", Finished}, {"write", Finished}, {"restore", Finished, 2},
          {"restore", Finished, 1}},
         0, 0},
        {{{"write", Stopped}, {"erase", Finished}}, 1, 1},
        {{{"write", Stopped}, {"erase", Finished}, {"write", Finished}}, 3, 3},
    };
    for (const auto& c : cases) {
        const UndoJournal journal(journalOf(c.entries));
        std::string broken;
        const auto undo = journal.undo(broken);
        EXPECT_EQ(undo ? undo->group : 0, c.undoes) << c.entries.size();
        EXPECT_EQ(undo ? undo->bindings->sequence : 0, c.restoresFrom) << c.entries.size();
        EXPECT_TRUE(broken.empty());
    }
}

TEST(UndoJournalTest, PruningKeepsTheNewestGroupsAndWhatAnUndoNeeds) {
    using enum ChangeOutcome;
    std::vector<Entry> entries(25, {"write", Finished});
    const UndoJournal journal(journalOf(entries));
    const auto pruned = journal.prunable(20, 100);
    ASSERT_EQ(pruned.size(), 5u);
    EXPECT_EQ(pruned.back().sequence, 5);
    // 21 of them undone: the group the next restore needs is older than the newest 20.
    for (long group = 25; group >= 5; --group) {
        entries.push_back({"restore", Finished, group});
    }
    const auto older = UndoJournal(journalOf(entries)).prunable(20, 100);
    ASSERT_EQ(older.size(), 4u) << "groups 1, 2, 3 and 5; the newest entry, its undo, stays";
    EXPECT_EQ(older[2].sequence, 3);
    EXPECT_EQ(older[3].sequence, 5) << "group 4 stays for the next restore";

    // Many small changes push out older small ones, never the whole snapshots.
    std::vector<Entry> small(3, {"write", Finished});
    small.insert(small.end(), 8, {"binding set", Finished, 0, true});
    const auto fewer = UndoJournal(journalOf(small)).prunable(2, 5);
    ASSERT_EQ(fewer.size(), 4u);
    EXPECT_EQ(fewer[0].sequence, 1) << "the third newest whole group";
    EXPECT_EQ(fewer[1].sequence, 4) << "then the three oldest small ones";
    EXPECT_EQ(fewer[3].sequence, 6);
    // Never a gap: a small change older than a whole one that goes, goes with it.
    std::vector<Entry> gap{{"binding set", Finished, 0, true}, {"write", Finished}, {"write", Finished}};
    const auto gone = UndoJournal(journalOf(gap)).prunable(1, 5);
    ASSERT_EQ(gone.size(), 2u);
    EXPECT_EQ(gone[0].sequence, 1);

    // A group whose first snapshot is gone is never undone from a later one.
    auto halfGone = journalOf({{"write", Finished}, {"write", Failed}, {"write", Finished}});
    halfGone.erase(halfGone.begin() + 1);
    std::string broken;
    EXPECT_FALSE(UndoJournal(halfGone).undo(broken));
    EXPECT_FALSE(broken.empty());
}

}  // namespace
}  // namespace kalvero
