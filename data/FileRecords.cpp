// SPDX-License-Identifier: MIT
#include "data/FileRecords.h"

#include "data/DataFiles.h"

namespace kalvero {

namespace {

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

}  // namespace kalvero
