// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvero {

// The printer's limits, which the files share.
constexpr int kLastFooter = 200;
constexpr int kLastPlu = 9983;

// Decimal, zero-padded to width: digits(7, 3) is "007". A wider number keeps every digit.
std::string digits(long value, std::size_t width);

// One line of a footer: printed 20 characters wide (else 40), printed at all, and
// its text in Windows-1250. A flag is a digit's value in the file, set when not 0.
struct FooterLine {
    static constexpr std::size_t kTextLength = 40;

    std::uint8_t width20 = 0;
    std::uint8_t enabled = 0;
    std::string text;

    bool operator==(const FooterLine&) const = default;
};

// A footer as the footer file holds it, 186 bytes: "$", the number in three digits,
// TAB, the tail, CR LF. The tail (179 bytes, what the editor stores in one call) is
// the four lines joined by TAB, each its width flag, TAB, enabled flag, TAB and its
// text padded to 40 bytes.
struct FooterRecord {
    static constexpr std::size_t kLength = 186;
    static constexpr std::size_t kTailLength = 179;
    static constexpr std::size_t kNumberDigits = 3;

    std::uint8_t number = 0;
    std::array<FooterLine, 4> lines{};

    std::string tail() const;
    std::string format() const;

    // Line k (1..4) of a whole record when its flags are digits and its text holds no
    // control character, else nothing.
    static std::optional<FooterLine> line(std::string_view record, int k);
    // The record of a tail as the editor gives it; nothing for a tail of another
    // length or with a control character in a text, which would break the records.
    static std::optional<std::string> formatTail(std::uint8_t number, std::string_view tail);
};

// A binding as the binding file holds it, 11 bytes: "$", the PLU in four digits, TAB,
// the footer in three digits, CR LF.
struct BindingRecord {
    static constexpr std::size_t kLength = 11;
    static constexpr std::size_t kNumberDigits = 4;
    static constexpr std::size_t kFooterOffset = 6;

    std::uint16_t plu = 0;
    std::uint8_t footer = 0;

    std::string format() const;
};

// The fields of a record line, as every reader of the files splits them.

// Field n (from 1) of a TAB-separated line, as it stands.
std::string TextField(int n, const std::string& line);
// The same for a number field: a leading "$" reads as "0".
std::string ExtractField(int n, const std::string& line);

// True when text holds a byte that no footer text may hold (below 0x20, or 0x7F):
// a TAB or a line end would split the record it is stored in.
bool HasControlCharacter(const std::string& text);

// A field of decimal digits only, its value; -1 for anything else (empty, signs,
// blanks, letters, or too many digits to mean a record number).
long DecimalField(const std::string& field);

// A number field that must fit in maximum (a footer in a byte, a PLU in four digits);
// -1 for anything else.
long FieldValue(const std::string& field, long maximum);
// A flag is an integer of which the low 8 bits count: "-1" is set, "256" clear.
// -1 for a field that is no integer.
long FlagValue(const std::string& field);
// The footer number of a record line: characters 2 to 4 of field 1 ("$7" is footer 7
// as much as "$007"); -1 when there is none.
long FooterNumber(const std::string& line);

// A footer record line taken whole: its number, four flags pairs and texts as they
// stand (a text left out is empty, as the bulk write sends it), at most 13 fields,
// no control character in any text. Nothing for anything else.
std::optional<FooterRecord> ParseFooterLine(const std::string& line);
// A binding record line: the PLU and the footer. Nothing for anything else.
std::optional<BindingRecord> ParseBindingLine(const std::string& line);

}  // namespace kalvero
