// SPDX-License-Identifier: MIT
#include "data/ImportTransaction.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <utility>

#include "data/FilePath.h"
#include "data/FileReplace.h"
#include "data/OwnFiles.h"
#include "data/Processes.h"
#include "lang/Language.h"

namespace kalvero {

namespace fs = std::filesystem;

namespace {

// The header that a bulk read writes.
constexpr std::string_view kDataHeader = "#\r\n#\r\n#\r\n";

// The journal of an import: its state, then the data files it is replacing, one name
// a line. It is written before the new files ("przygotowanie": a run ended now leaves
// the data files as they were) and again once they are whole ("gotowe": a run ended
// now is finished by the next), each time whole, by a rename.
constexpr std::string_view kPreparing = "przygotowanie";
constexpr std::string_view kWriter = "proces ";
constexpr std::uintmax_t kJournalBytes = 64 * 1024;
constexpr std::string_view kReady = "gotowe";

std::string journalName(const FileNames& names) {
    return names.FooterFileName + ".import";
}

std::optional<FileError> writeJournal(const FileNames& names, std::string_view state,
                                      const std::vector<std::string>& files, const Sinks& sinks) {
    FileReplace journal(journalName(names), sinks, FileReplace::Links::Replace);
    // Its writer too, so that no other run takes over an import still going.
    std::string text =
        std::string(state) + "\n" + std::string(kWriter) + std::to_string(ThisProcess()) + "\n";
    for (const std::string& name : files) {
        text += name + "\n";
    }
    if (!journal.isOpen() || !journal.content().append(text)) {
        return journal.contentError();
    }
    return journal.keepAs(journalName(names));
}

std::optional<FileError> writeWhole(FileReplace& file, std::string_view first,
                                    const std::vector<std::string>& records) {
    bool whole = file.isOpen() && file.content().append(first);
    for (auto record = records.begin(); whole && record != records.end(); ++record) {
        whole = file.content().append(*record);
    }
    return whole ? file.prepare() : file.contentError();
}

}  // namespace

std::optional<FileError> StoreImport(const std::vector<std::string>& footers,
                                     const std::vector<std::string>& bindings,
                                     const FileNames& names, const Sinks& sinks) {
    std::vector<std::pair<std::string, const std::vector<std::string>*>> files;
    if (!footers.empty()) {
        files.emplace_back(names.FooterFileName, &footers);
    }
    if (!bindings.empty()) {
        files.emplace_back(names.BindingFileName, &bindings);
    }
    std::vector<std::string> replaced;
    for (const auto& file : files) {
        replaced.push_back(file.first);
    }
    std::optional<FileError> error = writeJournal(names, kPreparing, replaced, sinks);
    // Both new files whole on the disk first; any failure leaves both data files as
    // they were.
    for (auto file = files.begin(); !error && file != files.end(); ++file) {
        FileReplace replace(file->first, sinks);
        error = writeWhole(replace, kDataHeader, *file->second);
    }
    if (!error) {
        error = writeJournal(names, kReady, replaced, sinks);
    }
    std::error_code ec;
    if (error) {
        for (const std::string& name : replaced) {
            FileReplace::drop(name);
        }
        fs::remove(FilePath(journalName(names)), ec);
        return error;
    }
    for (auto name = replaced.begin(); !error && name != replaced.end(); ++name) {
        error = FileReplace::finish(*name, sinks);
    }
    if (error) {
        return error;  // the journal stays: the next run finishes the import
    }
    fs::remove(FilePath(journalName(names)), ec);
    return std::nullopt;
}

std::optional<ImportRecovery> RecoverImport(const FileNames& names, const Sinks& sinks) {
    const std::string journal = journalName(names);
    std::string why;
    const std::optional<std::string> text = ReadOwnFile(journal, kJournalBytes, why);
    if (!text) {
        if (why.empty()) {
            FileReplace::drop(journal);  // a journal not yet whole: nothing was started
            return std::nullopt;
        }
        return ImportRecovery{fill(_("an interrupted import cannot be told apart: %1: %2"),
                                   {journal, why}),
                              true};
    }
    std::istringstream in(*text);
    std::string state;
    std::getline(in, state);
    std::vector<std::string> replaced;
    long writer = 0;
    for (std::string line; std::getline(in, line);) {
        const std::string digits = line.substr(std::min(line.size(), kWriter.size()));
        if (line.starts_with(kWriter) && !digits.empty() && digits.size() <= 9 &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            writer = std::stol(digits);
        } else if (line == names.FooterFileName || line == names.BindingFileName) {
            // Only the data files of this run: the journal names nothing else.
            replaced.push_back(line);
        }
    }
    if (writer != ThisProcess() && ProcessRunning(writer)) {
        return ImportRecovery{fill(_("an import into these files is still running (process %1)"),
                                   {std::to_string(writer)}),
                              true};
    }
    FileReplace::drop(journal);
    std::string done;
    for (const std::string& name : replaced) {
        if (state != kReady) {
            FileReplace::drop(name);
        } else if (const auto error = FileReplace::finish(name, sinks)) {
            return ImportRecovery{fill(_("an interrupted import was not finished: %1: %2"),
                                       {error->name, error->reason}),
                                  true};
        }
        done += " " + name;
    }
    std::error_code ec;
    fs::remove(FilePath(journal), ec);
    return ImportRecovery{(state == kReady ? _("an interrupted import was finished:")
                                           : _("an interrupted import was undone:")) +
                              done,
                          false};
}

}  // namespace kalvero
