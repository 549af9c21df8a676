// SPDX-License-Identifier: MIT
#include "data/RecordFormat.h"

#include <algorithm>

namespace kalvero {

namespace {

constexpr long kFooterFields = 13;  // the number, then width, enabled and text of four lines

constexpr std::size_t kLineGroup = 45;  // width, TAB, enabled, TAB, 40 text bytes, TAB
constexpr std::size_t kTailOffset = 5;  // "$", three digits, TAB
constexpr std::size_t kTextOffset = 4;  // within a line group

char flagDigit(std::uint8_t flag) {
    return flag <= 9 ? static_cast<char>('0' + flag) : '1';
}

int digitValue(char c) {
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

std::string lineText(std::string_view tail, std::size_t k) {
    return std::string(tail.substr(kLineGroup * k + kTextOffset, FooterLine::kTextLength));
}

}  // namespace

std::string digits(long value, std::size_t width) {
    std::string text = std::to_string(value);
    return std::string(width > text.size() ? width - text.size() : 0, '0') + text;
}

std::string FooterRecord::tail() const {
    std::string tail;
    tail.reserve(kTailLength);
    for (const FooterLine& line : lines) {
        if (!tail.empty()) {
            tail += '\t';
        }
        std::string text = line.text.substr(0, FooterLine::kTextLength);
        text.resize(FooterLine::kTextLength, ' ');
        tail += std::string{flagDigit(line.width20), '\t', flagDigit(line.enabled), '\t'} + text;
    }
    return tail;
}

std::string FooterRecord::format() const {
    return "$" + digits(number, kNumberDigits) + "\t" + tail() + "\r\n";
}

std::optional<FooterLine> FooterRecord::line(std::string_view record, int k) {
    if (record.size() != kLength || k < 1 || k > 4) {
        return std::nullopt;
    }
    const std::string_view tail = record.substr(kTailOffset, kTailLength);
    const auto group = static_cast<std::size_t>(k - 1);
    const int width = digitValue(tail[kLineGroup * group]);
    const int enabled = digitValue(tail[kLineGroup * group + 2]);
    std::string text = lineText(tail, group);
    if (width < 0 || enabled < 0 || HasControlCharacter(text)) {
        return std::nullopt;
    }
    return FooterLine{static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(enabled),
                      std::move(text)};
}

std::optional<std::string> FooterRecord::formatTail(std::uint8_t number, std::string_view tail) {
    if (tail.size() != kTailLength) {
        return std::nullopt;
    }
    for (std::size_t k = 0; k < 4; ++k) {
        if (HasControlCharacter(lineText(tail, k))) {
            return std::nullopt;
        }
    }
    return "$" + digits(number, kNumberDigits) + "\t" + std::string(tail) + "\r\n";
}

std::string BindingRecord::format() const {
    return "$" + digits(plu, kNumberDigits) + "\t" + digits(footer, 3) + "\r\n";
}

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

}  // namespace kalvero
