// SPDX-License-Identifier: MIT
#include "data/DataFiles.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include "data/FilePath.h"
#include "data/FileReader.h"
#include "data/FileReplace.h"

namespace kalvero {

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kMaxRange = 255;
constexpr const char* kLineEnd = "\r\n";

// The scan shared by both lookups: one open, one buffered pass over the records.
ResultCode locate(const std::string& name, std::size_t recordLength, std::size_t numberWidth,
                  long wanted, std::int32_t& offset) {
    const auto length = static_cast<std::int64_t>(recordLength);
    std::int32_t h = 0;
    if (const ResultCode rc = FindRecordStart(name, h); rc != 0) {
        return rc;
    }
    FileReader file(name);
    std::string field(static_cast<std::size_t>(numberWidth), '\0');
    for (std::int64_t at = h - 1;; at += length) {
        if (!file.isOpen() || !file.readAt(at + 1, field)) {
            // The records are exhausted: a new record goes at the end, but only where
            // the stride will find it again. A file that ends inside a record (or after
            // a stray line) is malformed; appending after it would lose the record.
            const std::int64_t size = file.isOpen() ? file.size() : FileReader(name).size();
            if (size < 0 || size > INT32_MAX) {
                return -2;
            }
            if ((size - (h - 1)) % length != 0) {
                return 255;
            }
            offset = static_cast<std::int32_t>(size);
            return 0;
        }
        const long value = DecimalField(field);
        if (value < 0) {
            return 255;
        }
        if (value == wanted) {
            if (at > INT32_MAX) {
                return -3;
            }
            offset = static_cast<std::int32_t>(at);
            return 0;
        }
    }
}

}  // namespace

long DecimalField(const std::string& field) {
    if (field.empty() || field.size() > 9) {
        return -1;
    }
    long value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

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

ResultCode FindRecordStart(const std::string& name, std::int32_t& position) {
    std::error_code ec;
    const auto status = fs::status(FilePath(name), ec);
    if (!fs::exists(status)) {
        return -1;
    }
    FileReader file(name);
    if (!file.isOpen()) {
        return -2;
    }
    const std::int64_t at = file.find('$');
    if (at < 0 || at >= INT32_MAX) {
        return -3;
    }
    position = static_cast<std::int32_t>(at + 1);
    return 0;
}

ResultCode ReadFileRange(const std::string& name, std::int32_t first, std::int32_t last,
                         std::string& text) {
    FileReader file(name);
    if (!file.isOpen()) {
        return -2;
    }
    const std::int64_t count = std::int64_t{last} - first + 1;
    if (first < 0 || count < 0 || count > kMaxRange) {
        return -3;
    }
    std::string bytes(static_cast<std::size_t>(count), '\0');
    if (!file.readAt(first, bytes)) {
        return -3;
    }
    text += bytes;
    return 0;
}

ResultCode WriteFileRange(const std::string& name, std::int32_t first, std::int32_t last,
                          const std::string& text, FileError* error, const Sinks& sinks) {
    const std::unique_ptr<FileSink> sink = sinks.open(name, FileSink::Open::Update);
    if (!sink->isOpen()) {
        if (error != nullptr) {
            *error = sink->error();
        }
        return -2;
    }
    const std::int64_t count = std::int64_t{last} - first + 1;
    if (first < 0 || count < 0 || count > kMaxRange || first > sink->size() ||
        text.size() < static_cast<std::size_t>(count)) {
        return -3;
    }
    if (!sink->writeAt(first, std::string_view(text).substr(0, static_cast<std::size_t>(count))) ||
        !sink->close()) {
        if (error != nullptr) {
            *error = sink->error();
        }
        return -3;
    }
    return 0;
}

ResultCode ReadRecordField(std::int32_t h, const std::string& name, std::int32_t length,
                           std::int32_t index, std::int32_t j1, std::int32_t j2,
                           std::string& text) {
    text.clear();
    const std::int64_t first =
        std::int64_t{h} - 1 + std::int64_t{index} * length + (std::int64_t{j1} - 1);
    const std::int64_t last = first + (std::int64_t{j2} - j1);
    if (first < 0 || last > INT32_MAX) {
        return -3;
    }
    return ReadFileRange(name, static_cast<std::int32_t>(first), static_cast<std::int32_t>(last),
                         text);
}

ResultCode LocateFooterRecord(const std::string& name, std::uint8_t n, std::int32_t& offset) {
    return locate(name, FooterRecord::kLength, FooterRecord::kNumberDigits, n, offset);
}

ResultCode LocateBindingRecord(const FileNames& names, std::uint16_t plu, std::int32_t& offset) {
    return locate(names.BindingFileName, BindingRecord::kLength, BindingRecord::kNumberDigits, plu,
                  offset);
}

std::string TextField(int n, const std::string& line) {
    std::size_t start = 0;
    for (int skipped = 1; skipped < n && start <= line.size(); ++skipped) {
        const std::size_t tab = line.find('\t', start);
        start = tab == std::string::npos ? line.size() + 1 : tab + 1;
    }
    if (start > line.size()) {
        return {};
    }
    const std::size_t end = line.find('\t', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string ExtractField(int n, const std::string& line) {
    std::string field = TextField(n, line);
    if (!field.empty() && field[0] == '$') {
        field[0] = '0';
    }
    return field;
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
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

}  // namespace kalvero
