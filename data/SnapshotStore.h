// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/FileSink.h"
#include "data/RecordFormat.h"

namespace kalvero {

// The two kinds of record a printer holds.
struct RecordKinds {
    bool footers = false;
    bool bindings = false;

    bool any() const { return footers || bindings; }
    RecordKinds operator|(RecordKinds other) const {
        return {footers || other.footers, bindings || other.bindings};
    }
    RecordKinds operator-(RecordKinds other) const {
        return {footers && !other.footers, bindings && !other.bindings};
    }
    bool operator==(const RecordKinds&) const = default;
};

// How a change ended for one kind. A change whose run was killed never says:
// Unfinished. A kind it did not reach is Untouched.
enum class ChangeOutcome { Unfinished, Finished, Failed, Stopped, Untouched };

// Which printer: its port in one canonical form (COM3, an absolute device path, a
// URL with its scheme in lower case) and the number it answers with.
struct SnapshotOwner {
    std::string port;
    std::string number;

    bool operator==(const SnapshotOwner&) const = default;
};

// Which of a change's records a file holds: what the printer held before it, what it
// left, or what it was sending (so that a change that did not finish can be told from
// one made behind its back).
enum class SnapshotPart { Before, After, Going };

// Records of either kind, or none.
struct SnapshotRecords {
    const std::vector<FooterRecord>* footers = nullptr;
    const std::vector<BindingRecord>* bindings = nullptr;
};

// One change of a printer, as its journal keeps it: what the printer held of the
// changed kinds before it, and, once it ended, how and what it left.
struct Snapshot {
    std::string folder;
    SnapshotOwner owner;
    long sequence = 0;  // per printer, from 1
    std::string command;
    std::string time;  // UTC, ISO 8601
    long writer = 0;   // the process that took it
    long group = 0;    // a change: the sequence number of its group's first change
    long undoes = 0;   // a plain restore: the group it undoes
    RecordKinds kinds;       // held from before the change
    RecordKinds groupKinds;  // changed by its group up to and with it
    RecordKinds dirty;       // the kinds left dirty by the changes before it
    ChangeOutcome footers = ChangeOutcome::Untouched;
    ChangeOutcome bindings = ChangeOutcome::Untouched;
    RecordKinds after;  // the kinds of which what it left is kept
    RecordKinds going;  // the kinds of which what it was sending is kept
    // Holds only the records the change sent, not the whole kinds: a small snapshot.
    bool partial = false;
    // A whole change that found the printer already holding what it wanted: it
    // finishes its kinds, and so closes the group they were dirty in, but is no change
    // of its own. What it found is kept as what it left.
    bool closes = false;
    // The newest entry when it was taken, by its sequence number and manifest checksum:
    // a journal whose entries were swapped or edited since no longer agrees.
    long previous = 0;
    std::string previousCheck;
    std::string check;  // of its own manifest
    // Why it cannot be trusted (a file cut or changed, a manifest edited or moved):
    // such an entry is set aside and named, and its group cannot be undone.
    std::string damaged;

    bool isUndo() const { return undoes != 0; }
    ChangeOutcome outcome(bool footerKind) const { return footerKind ? footers : bindings; }
    // Every kind it changed finished.
    bool finished() const;
    // The kinds left dirty once it ended.
    RecordKinds dirtyAfter() const;
    // The data file of a kind: before the change, what it left or what it was sending.
    std::string file(bool footerKind, SnapshotPart part = SnapshotPart::Before) const;
    // Its sequence number as its folder is named.
    std::string name() const;
};

// Snapshots kept on the disk, one folder a change, in a folder a printer:
//   ROOT/PORT-NUMBER~HASH/000012/{manifest,stopki.txt,wiazplu.txt,going/...,after/...}
// ROOT is $XDG_DATA_HOME/kalvero/snapshots (%LOCALAPPDATA%\Kalvero\snapshots). The
// manifest (key: value lines) is written last, and again when the change ends; it
// names every file with its size and checksum, and the entry before it, and ends with
// its own checksum. A change is built as 000012.partial-PID and becomes 000012 whole;
// one that no longer matches its manifest is set aside as 000012.damaged.
class SnapshotStore {
public:
    explicit SnapshotStore(std::string root, const Sinks& sinks = Sinks::files());
    static SnapshotStore fromEnvironment();

    const std::string& root() const { return m_root; }

    // The snapshots of a printer, by sequence number. Folders that runs which ended left
    // unfinished are removed on the way; a snapshot whose files or manifest no longer
    // match is set aside (renamed NNNNNN.damaged, added to setAside when given) and
    // stays in the journal with why.
    std::vector<Snapshot> journal(const SnapshotOwner& owner,
                                  std::vector<Snapshot>* setAside = nullptr) const;
    // Every printer's journal.
    std::vector<std::vector<Snapshot>> journals() const;
    // Why the store's folder cannot be read (a file or a FIFO in its place, no
    // permission); nothing when it can, or is not there yet.
    std::optional<std::string> unreadable() const;
    // A snapshot folder, read and checked; nothing, with the reason, when it is not
    // a whole snapshot.
    static std::optional<Snapshot> open(const std::string& folder, std::string& reason);

    // Keeps what the printer holds before a change, and what the change is to send:
    // entry's owner, command, group, undoes, groupKinds, dirty and previous as the
    // caller placed it; the store gives the sequence number, time, writer and folder.
    // Nothing, with the error, when it could not be kept whole (then nothing of it
    // stays).
    std::optional<Snapshot> begin(Snapshot entry, SnapshotRecords before, SnapshotRecords going,
                                  std::optional<FileError>& error) const;
    // Keeps a closing entry: the kinds found, finished, with what was found as what
    // was left.
    std::optional<Snapshot> close(Snapshot entry, SnapshotRecords found,
                                  std::optional<FileError>& error) const;
    // How the change ended, and what it left of the kinds that finished.
    std::optional<FileError> end(Snapshot& entry, const std::vector<FooterRecord>* footersAfter,
                                 const std::vector<BindingRecord>* bindingsAfter) const;
    void remove(const Snapshot& entry) const;
    // Where what the printer is known to hold is kept: beside the snapshots, in a
    // folder named as its snapshots' folder.
    std::string knownFolder(const SnapshotOwner& owner) const;
    // The folder of every printer's known folder.
    std::string knownRoot() const;

    // A folder name for any text, readable and never the same for two texts: the text
    // itself when it is letters, digits, ".", "_" and "-" only, else those with "_"
    // for the other signs, "~" and a checksum of the text.
    static std::string folderName(const std::string& text);

private:
    std::optional<Snapshot> keep(Snapshot entry, SnapshotPart part, SnapshotRecords records,
                                 SnapshotRecords going, std::optional<FileError>& error) const;
    std::string printerFolder(const SnapshotOwner& owner) const;
    // Renames a snapshot that cannot be trusted to NNNNNN.damaged, with why beside it.
    Snapshot setAsideDamaged(const std::string& folder, long sequence,
                             const std::string& reason) const;
    std::optional<FileError> writeManifest(const Snapshot& entry) const;
    std::vector<Snapshot> readPrinter(const std::string& folder,
                                      const std::optional<SnapshotOwner>& owner,
                                      std::vector<Snapshot>* setAside) const;

    std::string m_root;
    const Sinks& m_sinks;
};

}  // namespace kalvero
