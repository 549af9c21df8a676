// SPDX-License-Identifier: MIT
#include "data/FileContents.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "data/DataFiles.h"
#include "data/FilePath.h"

namespace kalvero {

namespace {

constexpr long kFooterFields = 13;  // the number, then width, enabled and text of four lines

bool atEnd(std::istream& in) {
    return in.peek() == std::ifstream::traits_type::eof();
}

// Skips the three header lines of a data file.
void skipHeader(std::istream& in) {
    std::string line;
    for (int i = 0; i < 3 && ReadDataLine(in, line); ++i) {
    }
}

template <typename Record, typename File, typename Parse>
File readRecords(std::istream& in, bool emptyEnds, Parse parse) {
    // Record operations place records by their stride, so one of another length is no record.
    constexpr std::size_t kLineLength = Record::kLength - 2;
    File file;
    skipHeader(in);
    std::string line;
    // Reads the record lines with parse; an empty line ends them when emptyEnds, and is
    // no record otherwise.
    for (int number = 4; !atEnd(in); ++number) {
        if (!ReadDataLine(in, line) || (line.empty() && emptyEnds)) {
            break;
        }
        // A record without its line end was cut short: the file is not whole.
        const std::optional<Record> record =
            in.eof() || line.size() != kLineLength ? std::nullopt : parse(line);
        if (!record) {
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

long FieldValue(const std::string& field, long maximum) {
    const long value = DecimalField(field);
    return value > maximum ? -1 : value;
}

long FlagValue(const std::string& field) {
    const bool sign = !field.empty() && (field[0] == '-' || field[0] == '+');
    const long magnitude = DecimalField(sign ? field.substr(1) : field);
    if (magnitude < 0) {
        return -1;
    }
    return (field[0] == '-' ? -magnitude : magnitude) & 0xFF;
}

long FooterNumber(const std::string& line) {
    const std::string first = ExtractField(1, line);
    return first.size() >= 2 ? FieldValue(first.substr(1, 3), 255) : -1;
}

bool OpenRecordLines(const std::string& name, std::ifstream& in) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(FilePath(name), ec)) {
        return false;
    }
    in.open(name, std::ios::binary);
    if (!in) {
        return false;
    }
    skipHeader(in);
    return true;
}

std::optional<FooterRecord> ParseFooterLine(const std::string& line) {
    const long number = FooterNumber(line);
    std::string separated = line;
    std::replace(separated.begin(), separated.end(), '\t', ' ');
    if (number < 0 || std::count(line.begin(), line.end(), '\t') >= kFooterFields ||
        HasControlCharacter(separated)) {
        return std::nullopt;
    }
    FooterRecord record{static_cast<std::uint8_t>(number), {}};
    for (int k = 0; k < 4; ++k) {
        const long width20 = FlagValue(ExtractField(3 * k + 2, line));
        const long enabled = FlagValue(ExtractField(3 * k + 3, line));
        if (width20 < 0 || enabled < 0) {
            return std::nullopt;
        }
        record.lines[static_cast<std::size_t>(k)] = {
            width20 != 0 ? std::uint8_t{1} : std::uint8_t{0},
            enabled != 0 ? std::uint8_t{1} : std::uint8_t{0}, TextField(3 * k + 4, line)};
    }
    return record;
}

std::optional<BindingRecord> ParseBindingLine(const std::string& line) {
    // Four digits: the most a record holds, so that every record read writes back whole.
    const long plu = FieldValue(ExtractField(1, line), 9999);
    const long footer = FieldValue(ExtractField(2, line), 255);
    if (plu < 0 || footer < 0) {
        return std::nullopt;
    }
    return BindingRecord{static_cast<std::uint16_t>(plu), static_cast<std::uint8_t>(footer)};
}

FooterFile ReadFooterFile(const std::string& name) {
    return readFile<FooterRecord, FooterFile>(name, false, ParseFooterLine);
}

BindingFile ReadBindingFile(const std::string& name) {
    return readFile<BindingRecord, BindingFile>(name, true, ParseBindingLine);
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
