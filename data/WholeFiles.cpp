// SPDX-License-Identifier: MIT
#include "data/WholeFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/FilePath.h"
#include "data/FileReplace.h"

namespace kalvero {

namespace {

constexpr const char* kLineEnd = "\r\n";

bool atEnd(std::istream& in) {
    return in.peek() == std::istream::traits_type::eof();
}

// Skips the three header lines of a data file.
void skipHeader(std::istream& in) {
    std::string line;
    for (int i = 0; i < 3 && ReadDataLine(in, line); ++i) {
    }
}

// Values the printer can hold: footers 0..200, PLUs 1..9983. Anything else would be
// refused by the printer part-way through a write, or not be what the file says.
bool holdable(const FooterRecord& record) {
    return record.number <= kLastFooter;
}
bool holdable(const BindingRecord& record) {
    return record.plu >= 1 && record.plu <= kLastPlu && record.footer <= kLastFooter;
}

// Only empty lines up to the end of the file.
bool onlyEmptyLinesLeft(std::istream& in) {
    std::string line;
    while (ReadDataLine(in, line)) {
        if (!line.empty()) {
            return false;
        }
    }
    return true;
}

template <typename Record, typename File, typename Parse>
File readRecords(std::istream& in, bool emptyEnds, Parse parse) {
    // Record operations place records by their stride, so one of another length is no record.
    constexpr std::size_t kLineLength = Record::kLength - 2;
    File file;
    skipHeader(in);
    std::string line;
    // Reads the record lines with parse. When emptyEnds, empty lines end the records,
    // but only at the end of the file: records after one would never be written.
    for (int number = 4; !atEnd(in); ++number) {
        if (!ReadDataLine(in, line) || (line.empty() && emptyEnds && onlyEmptyLinesLeft(in))) {
            break;
        }
        // A record without its line end was cut short: the file is not whole.
        const std::optional<Record> record =
            in.eof() || line.size() != kLineLength ? std::nullopt : parse(line);
        if (!record || !holdable(*record)) {
            file.result = 255;
            file.badLine = number;
            return file;
        }
        file.records.push_back(*record);
    }
    return file;
}

template <typename Record, typename File, typename Parse>
File readFile(const std::string& name, bool emptyEnds, Parse parse) {
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(FilePath(name), ec)) {
        in.open(FilePath(name), std::ios::binary);
    }
    if (!in.is_open()) {
        File file;
        file.result = -1;
        return file;
    }
    return readRecords<Record, File>(in, emptyEnds, parse);
}

}  // namespace

bool CreateDefaultFile(const FileNames& names, const std::string& name, FileError* error,
                       const Sinks& sinks) {
    std::string content = std::string("#1") + kLineEnd + "#" + kLineEnd + "#" + kLineEnd;
    if (name == names.BindingFileName) {
        content.reserve(content.size() + kLastPlu * BindingRecord::kLength);
        for (int plu = 1; plu <= kLastPlu; ++plu) {
            content += BindingRecord{static_cast<std::uint16_t>(plu), 0}.format();
        }
    }
    if (name == names.FooterFileName) {
        content += FooterRecord{}.format();
    }
    // Only ever a new file, and only a whole one: one that appeared while the user was
    // asked is not emptied, and half a default file would pass for a whole one.
    FileReplace file(name, sinks);
    std::optional<FileError> failure;
    if (!file.isOpen() || !file.content().append(content)) {
        failure = file.contentError();
    } else {
        failure = file.commitNew();
    }
    if (failure && error != nullptr) {
        *error = *failure;
    }
    return !failure;
}

bool ReadDataLine(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    using Traits = std::istream::traits_type;
    for (;;) {
        const Traits::int_type c = buffer->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            if (line.empty()) {
                in.setstate(std::ios::eofbit | std::ios::failbit);
                return false;
            }
            in.setstate(std::ios::eofbit);
            return true;
        }
        if (c == '\n') {
            return true;
        }
        if (c == '\r') {
            if (buffer->sgetc() == '\n') {
                buffer->sbumpc();
            }
            return true;
        }
        line += Traits::to_char_type(c);
    }
}

FooterFile ReadFooterFile(const std::string& name) {
    return readFile<FooterRecord, FooterFile>(name, false, ParseFooterLine);
}

BindingFile ReadBindingFile(const std::string& name) {
    return readFile<BindingRecord, BindingFile>(name, true, ParseBindingLine);
}

namespace {

template <typename Record>
std::optional<FileError> writeRecords(const std::string& name, const std::vector<Record>& records,
                                      const Sinks& sinks) {
    FileReplace file(name, sinks);
    bool whole = file.isOpen() && file.content().append("#\r\n#\r\n#\r\n");
    for (auto record = records.begin(); whole && record != records.end(); ++record) {
        whole = file.content().append(record->format());
    }
    return whole ? file.commit() : file.contentError();
}

}  // namespace

std::optional<FileError> WriteFooterFile(const std::string& name,
                                         const std::vector<FooterRecord>& records,
                                         const Sinks& sinks) {
    return writeRecords(name, records, sinks);
}

std::optional<FileError> WriteBindingFile(const std::string& name,
                                          const std::vector<BindingRecord>& records,
                                          const Sinks& sinks) {
    return writeRecords(name, records, sinks);
}

FooterFile ReadFooterText(const std::string& text) {
    std::istringstream in(text);
    return readRecords<FooterRecord, FooterFile>(in, false, ParseFooterLine);
}

BindingFile ReadBindingText(const std::string& text) {
    std::istringstream in(text);
    return readRecords<BindingRecord, BindingFile>(in, true, ParseBindingLine);
}

}  // namespace kalvero
