// SPDX-License-Identifier: MIT
#include "data/KnownRecords.h"

#include <filesystem>

#include "data/FilePath.h"
#include "data/FileReplace.h"
#include "data/OwnFiles.h"
#include "data/WholeFiles.h"

namespace kalvero {

namespace {

namespace fs = std::filesystem;

constexpr const char* kFooterFile = "stopki.txt";
constexpr const char* kBindingFile = "wiazplu.txt";
constexpr std::uintmax_t kMostBytes = 1024 * 1024;
constexpr std::size_t kChecksumLength = 16;

std::string inFolder(const std::string& folder, const char* file) {
    return FileNameText(FilePath(folder) / FilePath(file));
}

template <typename Record>
std::optional<FileError> writeKnown(const std::string& name, const std::map<int, Record>& records,
                                    const Sinks& sinks) {
    std::string body;
    for (const auto& [number, record] : records) {
        body += record.format();
    }
    const std::string text = "#" + Checksum(body) + "\r\n#\r\n#\r\n" + body;
    FileReplace replace(name, sinks, FileReplace::Links::Replace);
    if (!replace.isOpen() || !replace.content().append(text)) {
        return replace.contentError();
    }
    // Knowledge, not the user's data: replaced by a rename, without backups.
    return replace.keepAs(name);
}

template <typename Record, typename File, typename Key>
void readKnown(const std::string& name, File (*parse)(const std::string&), Key key,
               std::map<int, Record>& into) {
    into.clear();
    std::string why;
    const auto text = ReadOwnFile(name, kMostBytes, why);
    if (!text) {
        return;
    }
    // Records changed or cut since they were kept are no knowledge.
    std::size_t body = 0;
    for (int line = 0; line < 3 && body != std::string::npos; ++line) {
        body = text->find('\n', body);
        body = body == std::string::npos ? body : body + 1;
    }
    if (body == std::string::npos ||
        text->compare(0, 1 + kChecksumLength, "#" + Checksum(text->substr(body))) != 0) {
        return;
    }
    const File file = parse(*text);
    if (file.result != 0) {
        return;
    }
    for (const Record& record : file.records) {
        into[key(record)] = record;
    }
}

}  // namespace

KnownRecords::KnownRecords(std::string folder, const Sinks& sinks)
    : m_folder(std::move(folder)), m_sinks(sinks) {}

void KnownRecords::load() {
    readKnown<FooterRecord>(inFolder(m_folder, kFooterFile), ReadFooterText,
                            [](const FooterRecord& r) { return int{r.number}; }, m_footers);
    readKnown<BindingRecord>(inFolder(m_folder, kBindingFile), ReadBindingText,
                             [](const BindingRecord& r) { return int{r.plu}; }, m_bindings);
}

std::optional<FileError> KnownRecords::save() const {
    std::error_code ec;
    if (!fs::create_directories(FilePath(m_folder), ec) && ec) {
        return FileError{m_folder, ec.message()};
    }
    auto error = writeKnown(inFolder(m_folder, kFooterFile), m_footers, m_sinks);
    if (auto second = writeKnown(inFolder(m_folder, kBindingFile), m_bindings, m_sinks)) {
        error = error ? error : second;
    }
    if (error) {
        // Knowledge that could not be kept whole is no knowledge: nothing is known.
        for (const char* file : {kFooterFile, kBindingFile}) {
            fs::remove(FilePath(inFolder(m_folder, file)), ec);
        }
    }
    return error;
}

const FooterRecord* KnownRecords::footer(int number) const {
    const auto found = m_footers.find(number);
    return found == m_footers.end() ? nullptr : &found->second;
}

const BindingRecord* KnownRecords::binding(int plu) const {
    const auto found = m_bindings.find(plu);
    return found == m_bindings.end() ? nullptr : &found->second;
}

void KnownRecords::knowOnly(const std::vector<FooterRecord>& records) {
    m_footers.clear();
    for (const FooterRecord& record : records) {
        know(record);
    }
}

void KnownRecords::knowOnly(const std::vector<BindingRecord>& records) {
    m_bindings.clear();
    for (const BindingRecord& record : records) {
        know(record);
    }
}

}  // namespace kalvero
