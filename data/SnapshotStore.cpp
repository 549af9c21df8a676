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
constexpr const char* kFormat = "kalvero-snapshot 1";
constexpr const char* kFooterFile = "stopki.txt";
constexpr const char* kBindingFile = "wiazplu.txt";
constexpr const char* kAfterFolder = "after";
constexpr std::string_view kBuilding = ".partial-";
// A manifest is a few lines; a data file of a printer's memory about 110 KB.
constexpr std::uintmax_t kManifestBytes = 64 * 1024;
constexpr std::uintmax_t kDataFileBytes = 1024 * 1024;

std::uint64_t checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

std::string hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

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
const char* const kKnownFiles[] = {"stopki.txt", "wiazplu.txt", "after/stopki.txt",
                                   "after/wiazplu.txt"};

std::string inFolder(const std::string& folder, const std::string& file) {
    return FileNameText(FilePath(folder) / FilePath(file));
}

// The sequence number at the start of a folder name, and whether a change is still
// being built there, by which process.
struct FolderName {
    long sequence = 0;
    long builder = 0;
};

std::optional<FolderName> parseFolderName(const std::string& name) {
    const std::size_t building = name.find(kBuilding);
    const auto sequence = count(name.substr(0, building));
    if (!sequence || *sequence == 0) {
        return std::nullopt;
    }
    if (building == std::string::npos) {
        return FolderName{*sequence, 0};
    }
    const auto builder = count(name.substr(building + kBuilding.size()));
    return builder ? std::optional(FolderName{*sequence, *builder}) : std::nullopt;
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
        if (ended == ChangeOutcome::Finished) {
            kind = false;
        } else if (ended != ChangeOutcome::Untouched) {
            kind = true;
        }
    }
    return left;
}

std::string Snapshot::file(bool footerKind, bool afterChange) const {
    const std::string name = footerKind ? kFooterFile : kBindingFile;
    return inFolder(folder, afterChange ? std::string(kAfterFolder) + "/" + name : name);
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
    return plain ? name : name.substr(0, 64) + "~" + hex(checksum(text));
}

std::string SnapshotStore::printerFolder(const SnapshotOwner& owner) const {
    // Always with the checksum: a port and a number never meet another pair's folder.
    const std::string key = owner.port + "\n" + owner.number;
    std::string readable = folderName(owner.port + "-" + owner.number);
    readable = readable.substr(0, std::min<std::size_t>(readable.find('~'), 64));
    return inFolder(m_root, readable + "~" + hex(checksum(key)));
}

std::string SnapshotStore::knownRoot() const {
    return FileNameText(FilePath(m_root).parent_path() / "known");
}

std::string SnapshotStore::knownFolder(const SnapshotOwner& owner) const {
    const fs::path snapshots = FilePath(printerFolder(owner));
    return FileNameText(FilePath(knownRoot()) / snapshots.filename());
}

std::optional<Snapshot> SnapshotStore::open(const std::string& folder, std::string& reason) {
    const auto manifest = readSmallFile(FilePath(folder) / kManifest, kManifestBytes);
    if (!manifest) {
        reason = _("no manifest");
        return std::nullopt;
    }
    std::map<std::string, std::string> values;
    std::vector<std::string> files;
    std::istringstream lines(*manifest);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, colon);
        const std::string value = unescaped(line.substr(colon + 2));
        (key == "file" ? files.push_back(value) : void(values[key] = value));
    }
    Snapshot entry;
    entry.folder = folder;
    const auto sequence = count(values["sequence"]);
    if (values["format"] != kFormat || !sequence || *sequence == 0) {
        reason = _("not a snapshot's manifest");
        return std::nullopt;
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
    entry.footers = entry.kinds.footers ? outcomeOf(values["outcome-footers"])
                                        : ChangeOutcome::Untouched;
    entry.bindings = entry.kinds.bindings ? outcomeOf(values["outcome-bindings"])
                                          : ChangeOutcome::Untouched;
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
        if (!bytes || bytes->size() != size || hex(checksum(*bytes)) != sum) {
            reason = fill(_("%1 is not as the manifest says (cut short or changed)"), {name});
            return std::nullopt;
        }
        const bool after = name.starts_with(kAfterFolder);
        const bool footerKind = name.ends_with(kFooterFile);
        RecordKinds& kinds = after ? entry.after : listed;
        (footerKind ? kinds.footers : kinds.bindings) = true;
    }
    if (!entry.kinds.any() || !(entry.kinds - listed == RecordKinds{})) {
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
    if (entry.partial) {
        add("records", "some");
    }
    for (const bool footerKind : {true, false}) {
        const bool held = footerKind ? entry.kinds.footers : entry.kinds.bindings;
        if (const char* word = outcomeWord(entry.outcome(footerKind)); held && word != nullptr) {
            add(footerKind ? "outcome-footers" : "outcome-bindings", word);
        }
    }
    for (const bool afterChange : {false, true}) {
        const RecordKinds kinds = afterChange ? entry.after : entry.kinds;
        for (const bool footerKind : {true, false}) {
            if (!(footerKind ? kinds.footers : kinds.bindings)) {
                continue;
            }
            const std::string name = (afterChange ? std::string(kAfterFolder) + "/" : "") +
                                     (footerKind ? kFooterFile : kBindingFile);
            const auto bytes = readSmallFile(FilePath(entry.file(footerKind, afterChange)),
                                             kDataFileBytes);
            if (!bytes) {
                return FileError{entry.file(footerKind, afterChange), _("cannot be read back")};
            }
            const std::size_t records =
                bytes->size() / (footerKind ? FooterRecord::kLength : BindingRecord::kLength);
            add("file", name + " " + std::to_string(records) + " " +
                            std::to_string(bytes->size()) + " " + hex(checksum(*bytes)));
        }
    }
    const std::string manifest = inFolder(entry.folder, kManifest);
    FileReplace replace(manifest, m_sinks, FileReplace::Links::Replace);
    if (!replace.isOpen() || !replace.content().append(text)) {
        return replace.contentError();
    }
    // Replaced by a rename, without a backup: the folder holds one manifest.
    return replace.keepAs(manifest);
}

std::optional<Snapshot> SnapshotStore::begin(Snapshot entry,
                                             const std::vector<FooterRecord>* footers,
                                             const std::vector<BindingRecord>* bindings,
                                             std::optional<FileError>& error) const {
    const fs::path printer = FilePath(printerFolder(entry.owner));
    std::error_code ec;
    fs::create_directories(printer, ec);
    long last = 0;
    for (const auto& item : fs::directory_iterator(printer, ec)) {
        if (const auto name = parseFolderName(FileNameText(item.path().filename()))) {
            last = std::max(last, name->sequence);
        }
    }
    entry.writer = ThisProcess();
    entry.time = utcNow();
    entry.kinds = {footers != nullptr, bindings != nullptr};
    entry.after = {};
    entry.footers = footers != nullptr ? ChangeOutcome::Unfinished : ChangeOutcome::Untouched;
    entry.bindings = bindings != nullptr ? ChangeOutcome::Unfinished : ChangeOutcome::Untouched;
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
    if (footers != nullptr) {
        error = WriteFooterFile(entry.file(true), *footers, m_sinks);
    }
    if (!error && bindings != nullptr) {
        error = WriteBindingFile(entry.file(false), *bindings, m_sinks);
    }
    if (!error) {
        error = writeManifest(entry);
    }
    char done[32];
    std::snprintf(done, sizeof done, "%06ld", entry.sequence);
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
    std::optional<FileError> error;
    if (footersAfter != nullptr || bindingsAfter != nullptr) {
        std::error_code ec;
        fs::create_directory(FilePath(entry.folder) / kAfterFolder, ec);
    }
    if (footersAfter != nullptr && entry.footers == ChangeOutcome::Finished) {
        error = WriteFooterFile(entry.file(true, true), *footersAfter, m_sinks);
        entry.after.footers = !error;
    }
    if (!error && bindingsAfter != nullptr && entry.bindings == ChangeOutcome::Finished) {
        error = WriteBindingFile(entry.file(false, true), *bindingsAfter, m_sinks);
        entry.after.bindings = !error;
    }
    // The outcome is said even when what the change left could not be kept.
    if (error) {
        entry.after = {};
    }
    const auto manifestError = writeManifest(entry);
    return error ? error : manifestError;
}

void SnapshotStore::remove(const Snapshot& entry) const {
    std::error_code ec;
    fs::remove_all(FilePath(entry.folder), ec);
}

std::vector<Snapshot> SnapshotStore::readPrinter(const std::string& folder,
                                                 const std::optional<SnapshotOwner>& owner) const {
    std::vector<Snapshot> entries;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(FilePath(folder), ec)) {
        const auto name = parseFolderName(FileNameText(item.path().filename()));
        if (!name || !fs::is_directory(item.symlink_status(ec))) {
            continue;  // not ours: a folder of the user's own stays as it is
        }
        const std::string path = FileNameText(item.path());
        if (name->builder != 0) {
            if (!ProcessRunning(name->builder)) {
                fs::remove_all(item.path(), ec);
            }
            continue;
        }
        std::string reason;
        if (auto entry = open(path, reason)) {
            // A copy under another number is not this journal's entry.
            if (entry->sequence == name->sequence && (!owner || entry->owner == *owner)) {
                entries.push_back(std::move(*entry));
            }
            continue;
        }
        // Files that no longer match a manifest whose writer has gone: not a snapshot.
        const std::string text =
            readSmallFile(FilePath(path) / kManifest, kManifestBytes).value_or("");
        constexpr std::string_view kWriter = "\nwriter: ";
        const std::size_t writer = text.find(kWriter);
        const std::size_t digits = writer == std::string::npos ? 0 : writer + kWriter.size();
        const long pid = writer == std::string::npos
                             ? 0
                             : count(text.substr(digits, text.find('\n', digits) - digits))
                                   .value_or(0);
        if (pid != 0 && !ProcessRunning(pid)) {
            fs::remove_all(item.path(), ec);
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Snapshot& a, const Snapshot& b) { return a.sequence < b.sequence; });
    return entries;
}

std::vector<Snapshot> SnapshotStore::journal(const SnapshotOwner& owner) const {
    return readPrinter(printerFolder(owner), owner);
}

std::vector<std::vector<Snapshot>> SnapshotStore::journals() const {
    std::vector<std::vector<Snapshot>> all;
    std::error_code ec;
    for (const auto& printer : fs::directory_iterator(FilePath(m_root), ec)) {
        if (printer.is_directory(ec)) {
            if (auto entries = readPrinter(FileNameText(printer.path()), std::nullopt);
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
