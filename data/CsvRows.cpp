// SPDX-License-Identifier: MIT
#include "data/CsvRows.h"

#include <algorithm>

#include "lang/Language.h"

namespace kalvero::csv {

std::string rightTrimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::optional<std::vector<std::string>> CsvReader::row() {
    std::vector<std::string> fields;
    for (;;) {
        std::string& field = fields.emplace_back();
        if (take("\"")) {
            if (!quotedField(field)) {
                return std::nullopt;
            }
        } else {
            plainField(field);
        }
        if (atEnd() || takeLineEnd()) {
            return fields;
        }
        if (!take(std::string_view(&m_separator, 1))) {
            return std::nullopt;
        }
    }
}

bool CsvReader::quotedField(std::string& field) {
    while (!atEnd()) {
        if (take("\"\"")) {
            field += '"';
        } else if (take("\"")) {
            return true;
        } else {
            field += m_text[m_at++];
        }
    }
    return false;
}

void CsvReader::plainField(std::string& field) {
    while (!atEnd() && !atFieldEnd()) {
        field += m_text[m_at++];
    }
}

namespace {

// The problems of a row are said in UTF-8; its fields and the column names are in
// Windows-1250 here.
std::string quotedValue(std::string_view column, const std::string& field) {
    return Cp1250ToUtf8(std::string(column)) + ": \"" + Cp1250ToUtf8(field) + "\"";
}

std::optional<std::string> textProblem(const std::string& text, std::size_t width) {
    if (HasControlCharacter(text)) {
        return _("the text holds a control character");
    }
    if (const auto unprintable = FirstUnprintable(text)) {
        return fill(_("the text holds \"%1\", which the printer does not print"),
                    {Cp1250ToUtf8(std::string(1, *unprintable))});
    }
    if (text.size() > width) {
        return fill(_("the text is longer than %1 characters (%2)"),
                    {std::to_string(width), std::to_string(text.size())});
    }
    return std::nullopt;
}

// The columns of one row, read in turn; the first reason why one cannot be stored is
// kept, and the columns after it are not looked at.
class RowColumns {
public:
    explicit RowColumns(const std::vector<std::string>& fields) : m_fields(fields) {}

    long number(std::size_t i, std::string_view column, long first, long last) {
        if (m_problem) {
            return first;
        }
        const long value = DecimalField(m_fields[i]);
        if (value < first || value > last) {
            m_problem = fill(_("%1 is not a number from %2 to %3"),
                             {quotedValue(column, m_fields[i]), std::to_string(first),
                              std::to_string(last)});
        }
        return value;
    }
    bool width20(std::size_t i) {
        if (!m_problem && m_fields[i] != "20" && m_fields[i] != "40") {
            m_problem = fill(_("%1 is neither 20 nor 40"), {quotedValue(kWidthColumn, m_fields[i])});
        }
        return m_fields[i] == "20";
    }
    std::string text(std::size_t i, bool width20) {
        std::string text = rightTrimmed(m_fields[i]);
        m_unmarked = text.starts_with('\'');
        if (m_unmarked) {
            text.erase(0, 1);  // the export's mark of a text, or a spreadsheet's
        }
        if (!m_problem) {
            m_problem = textProblem(text, width20 ? 20 : FooterLine::kTextLength);
        }
        return text;
    }
    const std::optional<std::string>& problem() const { return m_problem; }
    // Whether text took a leading apostrophe off.
    bool unmarked() const { return m_unmarked; }

private:
    const std::vector<std::string>& m_fields;
    std::optional<std::string> m_problem;
    bool m_unmarked = false;
};

// How many columns a row fills: spreadsheets leave those after the last empty, or out.
std::size_t filledColumns(const std::vector<std::string>& fields) {
    const auto last = std::find_if(fields.rbegin(), fields.rend(),
                                   [](const std::string& field) { return !field.empty(); });
    return static_cast<std::size_t>(fields.rend() - last);
}

}  // namespace

std::optional<std::string> CsvContent::take(const std::vector<std::string>& utf8) {
    std::vector<std::string> fields;
    for (const std::string& field : utf8) {
        // Rows end at LF: a CR alone joined two rows into one.
        for (std::size_t at = field.find('\r'); at != std::string::npos;
             at = field.find('\r', at + 1)) {
            if (at + 1 == field.size() || field[at + 1] != '\n') {
                return _("a row ended by a CR alone");
            }
        }
        std::optional<std::string> converted = Utf8ToCp1250(field);
        if (!converted) {
            return _("a character outside Windows-1250, or text not in UTF-8");
        }
        fields.push_back(std::move(*converted));
    }
    const std::size_t filled = filledColumns(fields);
    if (filled == 0) {
        return std::nullopt;
    }
    if (fields.front() == kNamesKind) {
        return takeColumnNames(fields);
    }
    const bool footer = fields.front() == kFooterKind;
    if (!footer && fields.front() != kBindingKind) {
        return fill(_("unknown kind of row \"%1\""), {Cp1250ToUtf8(fields.front())});
    }
    const std::size_t count = footer ? kFooterColumns : kBindingColumns;
    if (filled > count) {
        return _("too many columns");
    }
    // A column left out is not an empty one: the text of a line would become blank.
    if (fields.size() < count) {
        return fill(_("columns missing: %1 of %2"),
                    {std::to_string(fields.size()), std::to_string(count)});
    }
    fields.resize(count);
    return footer ? takeFooterLine(fields) : takeBinding(fields);
}

// The column names of a kind of rows, before any row of that kind: the same names
// again among the rows are a second file pasted in, or rows joined by a lone CR.
std::optional<std::string> CsvContent::takeColumnNames(
    const std::vector<std::string>& fields) const {
    const std::vector<std::string> named(
        fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(filledColumns(fields)));
    const std::vector<std::string> footerNames{
        std::string(kNamesKind),   std::string(kFooterKind),    std::string(kLineColumn),
        std::string(kWidthColumn), std::string(kEnabledColumn), "tekst"};
    const std::vector<std::string> bindingNames{std::string(kNamesKind), std::string(kPluColumn),
                                                std::string(kFooterKind)};
    if (named == footerNames) {
        return m_footers.empty()
                   ? std::nullopt
                   : std::optional<std::string>(_("footer column names after footer rows"));
    }
    if (named == bindingNames) {
        return m_bindings.empty()
                   ? std::nullopt
                   : std::optional<std::string>(_("binding column names after binding rows"));
    }
    return _("unknown column names");
}

std::optional<std::string> CsvContent::takeFooterLine(const std::vector<std::string>& fields) {
    RowColumns row(fields);
    const long number = row.number(1, kFooterKind, 0, kLastFooter);
    const long line = row.number(2, kLineColumn, 1, 4);
    const bool width20 = row.width20(3);
    const long enabled = row.number(4, kEnabledColumn, 0, 1);
    std::string text = row.text(5, width20);
    if (row.problem()) {
        return row.problem();
    }
    std::optional<FooterLine>& slot =
        m_footers[static_cast<std::uint8_t>(number)][static_cast<std::size_t>(line - 1)];
    if (slot) {
        return fill(_("footer %1, line %2 given a second time"),
                    {std::to_string(number), std::to_string(line)});
    }
    slot = FooterLine{width20, static_cast<std::uint8_t>(enabled), std::move(text)};
    m_unmarked += row.unmarked() ? 1 : 0;
    return std::nullopt;
}

std::optional<std::string> CsvContent::takeBinding(const std::vector<std::string>& fields) {
    RowColumns row(fields);
    const long plu = row.number(1, kPluColumn, 1, kLastPlu);
    const long footer = row.number(2, kFooterKind, 0, kLastFooter);
    if (row.problem()) {
        return row.problem();
    }
    if (!m_bindings.emplace(static_cast<std::uint16_t>(plu), static_cast<std::uint8_t>(footer))
             .second) {
        return fill(_("PLU %1 given a second time"), {std::to_string(plu)});
    }
    return std::nullopt;
}

std::vector<std::string> CsvContent::footerRecords() const {
    std::vector<std::string> records;
    for (const auto& [number, lines] : m_footers) {
        FooterRecord record{number, {}};
        for (std::size_t k = 0; k < lines.size(); ++k) {
            record.lines[k] = lines[k].value_or(FooterLine{});
        }
        records.push_back(record.format());
    }
    return records;
}

std::vector<std::string> CsvContent::bindingRecords() const {
    std::vector<std::string> records;
    for (const auto& [plu, footer] : m_bindings) {
        records.push_back(BindingRecord{plu, footer}.format());
    }
    return records;
}

}  // namespace kalvero::csv
