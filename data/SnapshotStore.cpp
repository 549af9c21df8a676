// SPDX-License-Identifier: MIT
#include "data/SnapshotStore.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <sstream>
#include <tuple>

#include "data/FilePath.h"
#include "data/FileReplace.h"
#include "data/OwnFiles.h"
#include "data/Processes.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kalvero {

namespace fs = std::filesystem;

namespace {

constexpr const char* kManifest = "manifest";
constexpr const char* kFormat = "kalvero-snapshot 2";
// Manifests before the checksum of their own: read, never written.
constexpr const char* kFormatUnchecked = "kalvero-snapshot 1";
constexpr std::string_view kCheck = "check: ";
constexpr std::string_view kDamaged = ".damaged";
constexpr const char* kDamagedReason = "damaged";
constexpr const char* kFooterFile = "stopki.txt";
constexpr const char* kBindingFile = "wiazplu.txt";
constexpr const char* kAfterFolder = "after";
constexpr const char* kGoingFolder = "going";
constexpr std::string_view kBuilding = ".partial-";
// A manifest is a few lines; a data file of a printer's memory about 110 KB.
constexpr std::uintmax_t kManifestBytes = 64 * 1024;
constexpr std::uintmax_t kDataFileBytes = 1024 * 1024;

// A regular file's bytes, when it is one and no larger than most.
std::optional<std::string> readSmallFile(const fs::path& path, std::uintmax_t most) {
    std::string why;
    return ReadOwnFile(FileNameText(path), most, why);
}

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// A value on one line: a line end or another control byte, and "%", as %XX.
std::string escaped(const std::string& value) {
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(const std::string& value) {
    const auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size() && digit(value[i + 1]) >= 0 && digit(value[i + 2]) >= 0) {
            out += static_cast<char>(digit(value[i + 1]) * 16 + digit(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string kindWords(RecordKinds kinds) {
    std::string words = kinds.footers ? "footers" : "";
    if (kinds.bindings) {
        words += words.empty() ? "bindings" : " bindings";
    }
    return words.empty() ? "-" : words;
}

RecordKinds kindsOf(const std::string& words) {
    return {words.find("footers") != std::string::npos,
            words.find("bindings") != std::string::npos};
}

constexpr std::pair<ChangeOutcome, const char*> kOutcomeWords[] = {
    {ChangeOutcome::Finished, "finished"},
    {ChangeOutcome::Failed, "failed"},
    {ChangeOutcome::Stopped, "stopped"},
    {ChangeOutcome::Untouched, "untouched"},
};

const char* outcomeWord(ChangeOutcome outcome) {
    for (const auto& [value, word] : kOutcomeWords) {
        if (value == outcome) {
            return word;
        }
    }
    return nullptr;  // unfinished is never written: it is what a killed run leaves
}

ChangeOutcome outcomeOf(const std::string& word) {
    for (const auto& [value, text] : kOutcomeWords) {
        if (word == text) {
            return value;
        }
    }
    return ChangeOutcome::Unfinished;
}

// Decimal digits, few enough for a long on every system (32 bits on Windows).
std::optional<long> count(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stol(text);
}

// The files a manifest may name, each checked: nothing else of the folder is read.
const char* const kKnownFiles[] = {"stopki.txt",       "wiazplu.txt",      "after/stopki.txt",
                                   "after/wiazplu.txt", "going/stopki.txt", "going/wiazplu.txt"};

const char* partFolder(SnapshotPart part) {
    return part == SnapshotPart::After ? kAfterFolder
           : part == SnapshotPart::Going ? kGoingFolder
                                         : nullptr;
}

std::string partFile(bool footerKind, SnapshotPart part) {
    const std::string name = footerKind ? kFooterFile : kBindingFile;
    const char* folder = partFolder(part);
    return folder == nullptr ? name : std::string(folder) + "/" + name;
}

std::string inFolder(const std::string& folder, const std::string& file) {
    return FileNameText(FilePath(folder) / FilePath(file));
}

// The sequence number at the start of a folder name, and whether a change is still
// being built there, by which process, or it was set aside as damaged.
struct FolderName {
    long sequence = 0;
    long builder = 0;
    bool damaged = false;
};

std::optional<FolderName> parseFolderName(const std::string& name) {
    if (name.ends_with(kDamaged)) {
        const auto sequence = count(name.substr(0, name.size() - kDamaged.size()));
        return sequence && *sequence != 0 ? std::optional(FolderName{*sequence, 0, true})
                                          : std::nullopt;
    }
    const std::size_t building = name.find(kBuilding);
    const auto sequence = count(name.substr(0, building));
    if (!sequence || *sequence == 0) {
        return std::nullopt;
    }
    if (building == std::string::npos) {
        return FolderName{*sequence, 0, false};
    }
    const auto builder = count(name.substr(building + kBuilding.size()));
    return builder ? std::optional(FolderName{*sequence, *builder, false}) : std::nullopt;
}

void syncFolder([[maybe_unused]] const fs::path& folder) {
#ifndef _WIN32
    if (const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

}  // namespace

bool Snapshot::finished() const {
    const bool footersDone = footers == ChangeOutcome::Finished || footers == ChangeOutcome::Untouched;
    const bool bindingsDone =
        bindings == ChangeOutcome::Finished || bindings == ChangeOutcome::Untouched;
    return footersDone && bindingsDone &&
           (footers == ChangeOutcome::Finished || bindings == ChangeOutcome::Finished);
}

RecordKinds Snapshot::dirtyAfter() const {
    RecordKinds left = dirty;
    for (const bool footerKind : {true, false}) {
        const ChangeOutcome ended = outcome(footerKind);
        bool& kind = footerKind ? left.footers : left.bindings;
        // A change of some records is not whole: it leaves its kind as it found it. An
        // undo that finished has put its group's kinds back as the group found them.
        if (ended == ChangeOutcome::Finished) {
            kind = kind && partial && !isUndo();
        } else if (ended != ChangeOutcome::Untouched) {
            kind = true;
        }
    }
    return left;
}

std::string Snapshot::file(bool footerKind, SnapshotPart part) const {
    return inFolder(folder, partFile(footerKind, part));
}

std::string Snapshot::name() const {
    char text[32];
    std::snprintf(text, sizeof text, "%06ld", sequence);
    return text;
}

SnapshotStore::SnapshotStore(std::string root, const Sinks& sinks)
    : m_root(std::move(root)), m_sinks(sinks) {}

SnapshotStore SnapshotStore::fromEnvironment() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    return SnapshotStore(std::string(local != nullptr ? local : ".") + "\\Kalvero\\snapshots");
#else
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = data != nullptr && *data != '\0'
                                 ? std::string(data)
                                 : std::string(home != nullptr ? home : ".") + "/.local/share";
    return SnapshotStore(base + "/kalvero/snapshots");
#endif
}

std::string SnapshotStore::folderName(const std::string& text) {
    std::string name = text;
    bool plain = !name.empty() && name != "." && name != "..";
    for (char& c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.' && c != '_' && c != '-') {
            c = '_';
            plain = false;
        }
    }
    return plain ? name : name.substr(0, 64) + "~" + Checksum(text);
}

std::string SnapshotStore::printerFolder(const SnapshotOwner& owner) const {
    // Always with the checksum: a port and a number never meet another pair's folder.
    const std::string key = owner.port + "\n" + owner.number;
    std::string readable = folderName(owner.port + "-" + owner.number);
    readable = readable.substr(0, std::min<std::size_t>(readable.find('~'), 64));
    return inFolder(m_root, readable + "~" + Checksum(key));
}

std::string SnapshotStore::knownRoot() const {
    return FileNameText(FilePath(m_root).parent_path() / "known");
}

std::string SnapshotStore::knownFolder(const SnapshotOwner& owner) const {
    const fs::path snapshots = FilePath(printerFolder(owner));
    return FileNameText(FilePath(knownRoot()) / snapshots.filename());
}

namespace {

// A manifest's values into entry and the files it names; false, with the reason,
// when it is no snapshot's manifest or was changed since it was written.
bool parseManifest(const std::string& text, Snapshot& entry, std::vector<std::string>& files,
                   std::string& reason) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, colon);
        const std::string value = unescaped(line.substr(colon + 2));
        (key == "file" ? files.push_back(value) : void(values[key] = value));
    }
    const auto sequence = count(values["sequence"]);
    const bool checked = values["format"] == kFormat;
    // A manifest of the first format knew nothing of checksums: one that names them was
    // changed since.
    const bool unchecked = values["format"] == kFormatUnchecked && !values.contains("check") &&
                           !values.contains("previous");
    if ((!checked && !unchecked) || !sequence || *sequence == 0) {
        reason = _("not a snapshot's manifest");
        return false;
    }
    entry.sequence = *sequence;
    entry.owner = {values["port"], values["printer"]};
    entry.command = values["command"];
    entry.time = values["time"];
    entry.writer = count(values["writer"]).value_or(0);
    entry.group = count(values["group"]).value_or(0);
    entry.undoes = count(values["undoes"]).value_or(0);
    entry.kinds = kindsOf(values["kinds"]);
    entry.groupKinds = kindsOf(values["group-kinds"]);
    entry.dirty = kindsOf(values["dirty"]);
    entry.partial = values["records"] == "some";
    entry.closes = values["closes"] == "yes";
    entry.footers = entry.kinds.footers ? outcomeOf(values["outcome-footers"])
                                        : ChangeOutcome::Untouched;
    entry.bindings = entry.kinds.bindings ? outcomeOf(values["outcome-bindings"])
                                          : ChangeOutcome::Untouched;
    std::istringstream previous(values["previous"]);
    previous >> entry.previous >> entry.previousCheck;
    if (checked) {
        // The checksum is the last line and covers every line before it.
        const std::size_t at = text.rfind("\n" + std::string(kCheck));
        entry.check = values["check"];
        const bool last = at != std::string::npos &&
                          text.size() == at + 1 + kCheck.size() + entry.check.size() + 1;
        if (!last || Checksum(text.substr(0, at + 1)) != entry.check) {
            reason = _("the manifest was changed after it was written");
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Snapshot> SnapshotStore::open(const std::string& folder, std::string& reason) {
    const auto manifest = readSmallFile(FilePath(folder) / kManifest, kManifestBytes);
    if (!manifest) {
        reason = _("no manifest");
        return std::nullopt;
    }
    Snapshot entry;
    entry.folder = folder;
    std::vector<std::string> files;
    if (!parseManifest(*manifest, entry, files, reason)) {
        return std::nullopt;
    }
    RecordKinds listed;
    for (const std::string& file : files) {
        std::istringstream fields(file);
        std::string name;
        std::string records;
        std::uintmax_t size = 0;
        std::string sum;
        fields >> name >> records >> size >> sum;
        if (std::find(std::begin(kKnownFiles), std::end(kKnownFiles), name) ==
            std::end(kKnownFiles)) {
            reason = fill(_("the manifest names an unknown file: %1"), {name});
            return std::nullopt;
        }
        const auto bytes = readSmallFile(FilePath(folder) / FilePath(name), kDataFileBytes);
        if (!bytes || bytes->size() != size || Checksum(*bytes) != sum) {
            reason = fill(_("%1 is not as the manifest says (cut short or changed)"), {name});
            return std::nullopt;
        }
        const bool footerKind = name.ends_with(kFooterFile);
        RecordKinds& kinds = name.starts_with(kAfterFolder)   ? entry.after
                             : name.starts_with(kGoingFolder) ? entry.going
                                                              : listed;
        (footerKind ? kinds.footers : kinds.bindings) = true;
    }
    // A closing entry keeps what it found as what it left, and nothing else.
    const RecordKinds held = entry.closes ? entry.after : listed;
    if (!entry.kinds.any() || (entry.kinds - held).any()) {
        reason = _("a file of the snapshot is missing");
        return std::nullopt;
    }
    return entry;
}

std::optional<FileError> SnapshotStore::writeManifest(const Snapshot& entry) const {
    std::string text = std::string("format: ") + kFormat + "\n";
    const auto add = [&text](const char* key, const std::string& value) {
        text += std::string(key) + ": " + escaped(value) + "\n";
    };
    add("port", entry.owner.port);
    add("printer", entry.owner.number);
    add("sequence", std::to_string(entry.sequence));
    add("command", entry.command);
    add("time", entry.time);
    add("writer", std::to_string(entry.writer));
    add(entry.isUndo() ? "undoes" : "group",
        std::to_string(entry.isUndo() ? entry.undoes : entry.group));
    add("kinds", kindWords(entry.kinds));
    add("group-kinds", kindWords(entry.groupKinds));
    add("dirty", kindWords(entry.dirty));
    if (entry.previous != 0) {
        add("previous", std::to_string(entry.previous) + " " + entry.previousCheck);
    }
    if (entry.partial) {
        add("records", "some");
    }
    if (entry.closes) {
        add("closes", "yes");
    }
    for (const bool footerKind : {true, false}) {
        const bool held = footerKind ? entry.kinds.footers : entry.kinds.bindings;
        if (const char* word = outcomeWord(entry.outcome(footerKind)); held && word != nullptr) {
            add(footerKind ? "outcome-footers" : "outcome-bindings", word);
        }
    }
    for (const auto& [part, kinds] :
         {std::pair{SnapshotPart::Before, entry.closes ? RecordKinds{} : entry.kinds},
          std::pair{SnapshotPart::Going, entry.going}, std::pair{SnapshotPart::After, entry.after}}) {
        for (const bool footerKind : {true, false}) {
            if (!(footerKind ? kinds.footers : kinds.bindings)) {
                continue;
            }
            const auto bytes = readSmallFile(FilePath(entry.file(footerKind, part)), kDataFileBytes);
            if (!bytes) {
                return FileError{entry.file(footerKind, part), _("cannot be read back")};
            }
            const std::size_t records =
                bytes->size() / (footerKind ? FooterRecord::kLength : BindingRecord::kLength);
            add("file", partFile(footerKind, part) + " " + std::to_string(records) + " " +
                            std::to_string(bytes->size()) + " " + Checksum(*bytes));
        }
    }
    text += std::string(kCheck) + Checksum(text) + "\n";
    const std::string manifest = inFolder(entry.folder, kManifest);
    FileReplace replace(manifest, m_sinks, FileReplace::Links::Replace);
    if (!replace.isOpen() || !replace.content().append(text)) {
        return replace.contentError();
    }
    // Replaced by a rename, without a backup: the folder holds one manifest.
    return replace.keepAs(manifest);
}

namespace {

std::optional<FileError> writeRecords(const Snapshot& entry, SnapshotPart part,
                                      SnapshotRecords records, const Sinks& sinks) {
    if (records.footers == nullptr && records.bindings == nullptr) {
        return std::nullopt;
    }
    if (const char* folder = partFolder(part)) {
        std::error_code ec;
        fs::create_directory(FilePath(entry.folder) / folder, ec);
    }
    std::optional<FileError> error;
    if (records.footers != nullptr) {
        error = WriteFooterFile(entry.file(true, part), *records.footers, sinks);
    }
    if (!error && records.bindings != nullptr) {
        error = WriteBindingFile(entry.file(false, part), *records.bindings, sinks);
    }
    return error;
}

RecordKinds kindsOf(SnapshotRecords records) {
    return {records.footers != nullptr, records.bindings != nullptr};
}

}  // namespace

std::optional<Snapshot> SnapshotStore::begin(Snapshot entry, SnapshotRecords before,
                                             SnapshotRecords going,
                                             std::optional<FileError>& error) const {
    entry.closes = false;
    entry.kinds = kindsOf(before);
    entry.footers = before.footers != nullptr ? ChangeOutcome::Unfinished : ChangeOutcome::Untouched;
    entry.bindings =
        before.bindings != nullptr ? ChangeOutcome::Unfinished : ChangeOutcome::Untouched;
    return keep(entry, SnapshotPart::Before, before, going, error);
}

std::optional<Snapshot> SnapshotStore::close(Snapshot entry, SnapshotRecords found,
                                             std::optional<FileError>& error) const {
    entry.closes = true;
    entry.partial = false;
    entry.kinds = kindsOf(found);
    entry.footers = found.footers != nullptr ? ChangeOutcome::Finished : ChangeOutcome::Untouched;
    entry.bindings = found.bindings != nullptr ? ChangeOutcome::Finished : ChangeOutcome::Untouched;
    return keep(entry, SnapshotPart::After, found, {}, error);
}

std::optional<Snapshot> SnapshotStore::keep(Snapshot entry, SnapshotPart part,
                                            SnapshotRecords records, SnapshotRecords going,
                                            std::optional<FileError>& error) const {
    const fs::path printer = FilePath(printerFolder(entry.owner));
    std::error_code ec;
    // The folder's own reason (a read-only or full disk, a file in the way), not the
    // missing folder's that would follow.
    if (!fs::create_directories(printer, ec) && ec) {
        error = FileError{FileNameText(printer), ec.message()};
        return std::nullopt;
    }
    long last = 0;
    for (const auto& item : fs::directory_iterator(printer, ec)) {
        if (const auto name = parseFolderName(FileNameText(item.path().filename()))) {
            last = std::max(last, name->sequence);
        }
    }
    entry.writer = ThisProcess();
    entry.time = utcNow();
    entry.after = part == SnapshotPart::After ? entry.kinds : RecordKinds{};
    entry.going = kindsOf(going);
    fs::path building;
    // A number of its own: of two runs that took the same one at once, the one whose
    // folder sorts first keeps it, the other goes on to the next.
    for (int tries = 0; tries < 100 && building.empty(); ++tries) {
        entry.sequence = last + 1 + tries;
        char name[64];
        std::snprintf(name, sizeof name, "%06ld%s%ld", entry.sequence, kBuilding.data(),
                      entry.writer);
        if (!fs::create_directory(printer / name, ec) || ec) {
            continue;
        }
        bool taken = false;
        for (const auto& item : fs::directory_iterator(printer, ec)) {
            const std::string other = FileNameText(item.path().filename());
            const auto parsed = parseFolderName(other);
            taken = taken || (parsed && parsed->sequence == entry.sequence &&
                              (parsed->builder == 0 || other < name));
        }
        if (taken) {
            fs::remove(printer / name, ec);
        } else {
            building = printer / name;
        }
    }
    if (building.empty()) {
        error = FileError{FileNameText(printer), ec ? ec.message() : _("no free sequence number")};
        return std::nullopt;
    }
    if (entry.group == 0 && !entry.isUndo()) {
        entry.group = entry.sequence;  // the first change of a group of its own
    }
    entry.folder = FileNameText(building);
    error = writeRecords(entry, part, records, m_sinks);
    if (!error) {
        error = writeRecords(entry, SnapshotPart::Going, going, m_sinks);
    }
    if (!error) {
        error = writeManifest(entry);
    }
    const std::string done = entry.name();
    if (!error) {
        fs::rename(building, printer / done, ec);
        if (ec) {
            error = FileError{FileNameText(printer / done), ec.message()};
        }
    }
    if (error) {
        fs::remove_all(building, ec);
        return std::nullopt;
    }
    syncFolder(printer);
    entry.folder = FileNameText(printer / done);
    return entry;
}

std::optional<FileError> SnapshotStore::end(Snapshot& entry,
                                            const std::vector<FooterRecord>* footersAfter,
                                            const std::vector<BindingRecord>* bindingsAfter) const {
    const SnapshotRecords left{
        entry.footers == ChangeOutcome::Finished ? footersAfter : nullptr,
        entry.bindings == ChangeOutcome::Finished ? bindingsAfter : nullptr};
    std::optional<FileError> error = writeRecords(entry, SnapshotPart::After, left, m_sinks);
    // The outcome is said even when what the change left could not be kept.
    entry.after = error ? RecordKinds{} : kindsOf(left);
    const auto manifestError = writeManifest(entry);
    return error ? error : manifestError;
}

void SnapshotStore::remove(const Snapshot& entry) const {
    // Out of the journal in one step first: a run ended part-way through the removal
    // leaves a folder of a run gone, cleared by the next, never a damaged snapshot.
    const fs::path folder = FilePath(entry.folder);
    const fs::path leaving =
        folder.parent_path() /
        FilePath(entry.name() + std::string(kBuilding) + std::to_string(ThisProcess()));
    std::error_code ec;
    fs::rename(folder, leaving, ec);
    fs::remove_all(ec ? folder : leaving, ec);
}

namespace {

// What the journal can still tell of a snapshot that cannot be trusted: its manifest's
// values when they can be read, else a change of both kinds that never ended, so that
// no later change is taken for the start of a group of its own.
Snapshot damagedEntry(const fs::path& folder, long sequence, std::string reason) {
    Snapshot entry;
    std::vector<std::string> files;
    std::string unused;
    const auto manifest = readSmallFile(folder / kManifest, kManifestBytes);
    if (!manifest || !parseManifest(*manifest, entry, files, unused) ||
        entry.sequence != sequence) {
        entry = Snapshot{};
        entry.sequence = sequence;
        entry.group = sequence;
        entry.kinds = entry.groupKinds = {true, true};
        entry.footers = entry.bindings = ChangeOutcome::Unfinished;
    }
    entry.folder = FileNameText(folder);
    entry.damaged = reason.empty() ? _("set aside earlier") : std::move(reason);
    return entry;
}

}  // namespace

std::vector<Snapshot> SnapshotStore::readPrinter(const std::string& folder,
                                                 const std::optional<SnapshotOwner>& owner,
                                                 std::vector<Snapshot>* setAside) const {
    std::vector<Snapshot> entries;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(FilePath(folder), ec)) {
        const auto name = parseFolderName(FileNameText(item.path().filename()));
        if (!name || !fs::is_directory(item.symlink_status(ec))) {
            continue;  // not ours: a folder of the user's own stays as it is
        }
        if (name->builder != 0) {
            if (!ProcessRunning(name->builder)) {
                fs::remove_all(item.path(), ec);
            }
            continue;
        }
        if (name->damaged) {
            std::string why;
            entries.push_back(damagedEntry(
                item.path(), name->sequence,
                ReadOwnFile(FileNameText(item.path() / kDamagedReason), 4096, why).value_or("")));
            continue;
        }
        std::string reason;
        if (auto entry = open(FileNameText(item.path()), reason)) {
            if (entry->sequence != name->sequence) {
                reason = fill(_("it holds change %1"), {entry->name()});
            } else if (owner && !(entry->owner == *owner)) {
                reason = fill(_("it is of printer no. %1 on %2"),
                              {entry->owner.number, entry->owner.port});
            } else {
                entries.push_back(std::move(*entry));
                continue;
            }
        }
        // A numbered folder was whole when it was renamed so, and its manifest is only
        // ever replaced whole: one that no longer matches was damaged since.
        entries.push_back(setAsideDamaged(FileNameText(item.path()), name->sequence, reason));
        if (setAside != nullptr) {
            setAside->push_back(entries.back());
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Snapshot& a, const Snapshot& b) { return a.sequence < b.sequence; });
    // Each entry names the one before it as it was then: where they no longer agree, one
    // of the two was changed or put there since, and neither can be trusted.
    std::vector<std::string> broken(entries.size());
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const Snapshot& before = entries[i - 1];
        const Snapshot& next = entries[i];
        if (next.damaged.empty() && before.damaged.empty() && !next.previousCheck.empty() &&
            next.previous == before.sequence && next.previousCheck != before.check) {
            broken[i - 1] = fill(_("it is not what change %1 found before it"), {next.name()});
            broken[i] = fill(_("it does not follow change %1 as the journal holds it"),
                             {before.name()});
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!broken[i].empty()) {
            entries[i] = setAsideDamaged(entries[i].folder, entries[i].sequence, broken[i]);
            if (setAside != nullptr) {
                setAside->push_back(entries[i]);
            }
        }
    }
    return entries;
}

Snapshot SnapshotStore::setAsideDamaged(const std::string& name, long sequence,
                                        const std::string& reason) const {
    const fs::path folder = FilePath(name);
    std::error_code ec;
    const fs::path aside =
        folder.parent_path() / FilePath(FileNameText(folder.filename()) + std::string(kDamaged));
    fs::rename(folder, aside, ec);
    const fs::path kept = ec ? folder : aside;
    if (!ec) {
        FileReplace note(FileNameText(kept / kDamagedReason), m_sinks, FileReplace::Links::Replace);
        if (note.isOpen() && note.content().append(reason)) {
            (void)note.keepAs(FileNameText(kept / kDamagedReason));
        }
    }
    return damagedEntry(kept, sequence, reason);
}

std::vector<Snapshot> SnapshotStore::journal(const SnapshotOwner& owner,
                                             std::vector<Snapshot>* setAside) const {
    return readPrinter(printerFolder(owner), owner, setAside);
}

std::optional<std::string> SnapshotStore::unreadable() const {
    std::error_code ec;
    const auto status = fs::status(FilePath(m_root), ec);
    if (!fs::exists(status)) {
        return std::nullopt;
    }
    if (!fs::is_directory(status)) {
        return std::string(_("not a folder"));
    }
    fs::directory_iterator(FilePath(m_root), ec);
    return ec ? std::optional(ec.message()) : std::nullopt;
}

std::vector<std::vector<Snapshot>> SnapshotStore::journals() const {
    std::vector<std::vector<Snapshot>> all;
    std::error_code ec;
    for (const auto& printer : fs::directory_iterator(FilePath(m_root), ec)) {
        if (printer.is_directory(ec)) {
            if (auto entries = readPrinter(FileNameText(printer.path()), std::nullopt, nullptr);
                !entries.empty()) {
                all.push_back(std::move(entries));
            }
        }
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return std::tie(a.front().owner.port, a.front().owner.number) <
               std::tie(b.front().owner.port, b.front().owner.number);
    });
    return all;
}

}  // namespace kalvero
