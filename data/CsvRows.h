// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Cp1250.h"
#include "data/RecordFormat.h"

namespace kalvero::csv {

// The rows and columns of the data files' CSV. Texts here are Windows-1250, as in
// the data files; the CSV file is UTF-8 only at its edge.
inline constexpr std::string_view kNamesKind = "rodzaj";
inline constexpr std::string_view kFooterKind = "stopka";
inline constexpr std::string_view kBindingKind = "wiązanie"_cp1250;
inline constexpr std::string_view kLineColumn = "linia";
inline constexpr std::string_view kWidthColumn = "szerokość"_cp1250;
inline constexpr std::string_view kEnabledColumn = "włączona"_cp1250;
inline constexpr std::string_view kPluColumn = "PLU";
inline constexpr std::size_t kFooterColumns = 6;
inline constexpr std::size_t kBindingColumns = 3;

// A text without the blanks after it, as the data files' fixed widths leave them.
std::string rightTrimmed(std::string text);

// Splits CSV text into rows of fields. A field in quotes may hold ";" and line ends,
// "" in it standing for a quote; a line ends at LF or CR LF.
class CsvReader {
public:
    CsvReader(std::string_view text, char separator) : m_text(text), m_separator(separator) {}

    bool atEnd() const { return m_at >= m_text.size(); }
    // The next row; nothing when its quotes do not close or a field goes on after them.
    std::optional<std::vector<std::string>> row();

private:
    bool take(std::string_view what) {
        if (!m_text.substr(m_at).starts_with(what)) {
            return false;
        }
        m_at += what.size();
        return true;
    }
    bool takeLineEnd() { return take("\n") || take("\r\n"); }
    bool atFieldEnd() const {
        const std::string_view rest = m_text.substr(m_at);
        return rest.starts_with(m_separator) || rest.starts_with('\n') || rest.starts_with("\r\n");
    }
    bool quotedField(std::string& field);
    void plainField(std::string& field);

    std::string_view m_text;
    char m_separator;
    std::size_t m_at = 0;
};

// The rows of a CSV file taken so far, each checked, by number.
class CsvContent {
public:
    // Takes a row of UTF-8 fields; why it cannot be stored (in Windows-1250), or nothing.
    std::optional<std::string> take(const std::vector<std::string>& utf8);
    std::vector<std::string> footerRecords() const;
    std::vector<std::string> bindingRecords() const;
    bool empty() const { return m_footers.empty() && m_bindings.empty(); }
    std::size_t unmarkedTexts() const { return m_unmarked; }

private:
    std::optional<std::string> takeColumnNames(const std::vector<std::string>& fields) const;
    std::optional<std::string> takeFooterLine(const std::vector<std::string>& fields);
    std::optional<std::string> takeBinding(const std::vector<std::string>& fields);

    std::map<std::uint8_t, std::array<std::optional<FooterLine>, 4>> m_footers;
    std::map<std::uint16_t, std::uint8_t> m_bindings;
    std::size_t m_unmarked = 0;
};

}  // namespace kalvero::csv
