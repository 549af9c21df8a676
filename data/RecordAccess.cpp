// SPDX-License-Identifier: MIT
#include "data/RecordAccess.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include "data/FilePath.h"
#include "data/FileReader.h"

namespace kalvero {

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kMaxRange = 255;

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

ResultCode LocateFooterRecord(const std::string& name, std::uint8_t n, std::int32_t& offset) {
    return locate(name, FooterRecord::kLength, FooterRecord::kNumberDigits, n, offset);
}

ResultCode LocateBindingRecord(const FileNames& names, std::uint16_t plu, std::int32_t& offset) {
    return locate(names.BindingFileName, BindingRecord::kLength, BindingRecord::kNumberDigits, plu,
                  offset);
}

}  // namespace kalvero
