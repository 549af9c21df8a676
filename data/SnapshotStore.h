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
    // Holds only the records the change sent, not the whole kinds: a small snapshot.
    bool partial = false;

    bool isUndo() const { return undoes != 0; }
    ChangeOutcome outcome(bool footerKind) const { return footerKind ? footers : bindings; }
    // Every kind it changed finished.
    bool finished() const;
    // The kinds left dirty once it ended.
    RecordKinds dirtyAfter() const;
    // The data file of a kind: before the change, or what the change left.
    std::string file(bool footerKind, bool afterChange = false) const;
};

// Snapshots kept on the disk, one folder a change, in a folder a printer:
//   ROOT/PORT-NUMBER~HASH/000012/{manifest,stopki.txt,wiazplu.txt,after/...}
// ROOT is $XDG_DATA_HOME/kalvero/snapshots (%LOCALAPPDATA%\Kalvero\snapshots). The
// manifest (key: value lines) is written last, and again when the change ends; it
// names every file with its size and checksum. A folder without a manifest that
// matches its files is not a snapshot. A change is built as 000012.partial-PID.
class SnapshotStore {
public:
    explicit SnapshotStore(std::string root, const Sinks& sinks = Sinks::files());
    static SnapshotStore fromEnvironment();

    const std::string& root() const { return m_root; }

    // The whole snapshots of a printer, by sequence number. Folders that runs which
    // ended left unfinished, or whose files no longer match, are removed on the way.
    std::vector<Snapshot> journal(const SnapshotOwner& owner) const;
    // Every printer's journal.
    std::vector<std::vector<Snapshot>> journals() const;
    // A snapshot folder, read and checked; nothing, with the reason, when it is not
    // a whole snapshot.
    static std::optional<Snapshot> open(const std::string& folder, std::string& reason);

    // Keeps what the printer holds before a change: entry's owner, command, group,
    // undoes, kinds, groupKinds and dirty as the caller placed it; the store gives
    // the sequence number, time, writer and folder. Nothing, with the error, when it
    // could not be kept whole (then nothing of it stays).
    std::optional<Snapshot> begin(Snapshot entry, const std::vector<FooterRecord>* footers,
                                  const std::vector<BindingRecord>* bindings,
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
    std::string printerFolder(const SnapshotOwner& owner) const;
    std::optional<FileError> writeManifest(const Snapshot& entry) const;
    std::vector<Snapshot> readPrinter(const std::string& folder,
                                      const std::optional<SnapshotOwner>& owner) const;

    std::string m_root;
    const Sinks& m_sinks;
};

}  // namespace kalvero
