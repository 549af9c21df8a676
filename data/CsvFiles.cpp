// SPDX-License-Identifier: MIT
#include "data/CsvFiles.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "data/Cp1250.h"
#include "data/FilePath.h"
#include "data/FileReplace.h"
#include "data/ImportTransaction.h"
#include "data/OwnFiles.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"

namespace kalvero {

namespace fs = std::filesystem;

namespace {

// Texts here are Windows-1250, as in the data files; the CSV file is UTF-8 only at
// its edge.
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kNamesKind = "rodzaj";
constexpr std::string_view kFooterKind = "stopka";
constexpr std::string_view kBindingKind = "wiązanie"_cp1250;
constexpr std::string_view kLineColumn = "linia";
constexpr std::string_view kWidthColumn = "szerokość"_cp1250;
constexpr std::string_view kEnabledColumn = "włączona"_cp1250;
constexpr std::string_view kPluColumn = "PLU";
constexpr std::size_t kFooterColumns = 6;
constexpr std::size_t kBindingColumns = 3;

FileError unreadable(const std::string& name) {
    return {name, WhyUnreadable(name)};
}

std::string rightTrimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// Texts a spreadsheet would turn into a formula, a number, a date, a time or a
// percent ("1,5 zł", "12.05", "50%", "007", "1e5", "1/2", "12:30", "(5)" for -5): those
// beginning, even after the blanks that centre a label text, with a formula's mark, a
// digit, a sign, a currency sign of Windows-1250 ($, € 0x80, ¤ 0xA4; £ and ¥ it has not)
// or a decimal separator; and one beginning with an apostrophe, which import takes off.
bool takenForFormulaOrNumber(const std::string& text) {
    constexpr std::string_view kConverted = "=@+-(0123456789.,$\x80\xA4";
    const std::size_t first = text.find_first_not_of(' ');
    return text.starts_with('\'') ||
           (first != std::string::npos && kConverted.find(text[first]) != std::string_view::npos);
}

// Quoted when a spreadsheet would otherwise split the text or drop its leading blanks.
std::string textField(const std::string& text) {
    std::string trimmed = rightTrimmed(text);
    if (takenForFormulaOrNumber(trimmed)) {
        trimmed.insert(0, 1, '\'');
    }
    if (trimmed.find_first_of(";\"") == std::string::npos && !trimmed.starts_with(' ')) {
        return trimmed;
    }
    std::string quoted = "\"";
    for (const char c : trimmed) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string row(std::initializer_list<std::string_view> fields) {
    std::string joined;
    for (const std::string_view field : fields) {
        if (!joined.empty()) {
            joined += ';';
        }
        joined += field;
    }
    return joined + "\r\n";
}

std::string footerRows(const FooterRecord& record) {
    std::string rows;
    for (std::size_t k = 0; k < record.lines.size(); ++k) {
        const FooterLine& line = record.lines[k];
        rows += row({kFooterKind, std::to_string(record.number), std::to_string(k + 1),
                     line.width20 != 0 ? "20" : "40", line.enabled != 0 ? "1" : "0",
                     textField(line.text)});
    }
    return rows;
}

template <typename File>
std::optional<FileError> readProblem(const std::string& name, const File& file,
                                     const char* record) {
    if (file.result == 0) {
        return std::nullopt;
    }
    if (file.result == -1) {
        return unreadable(name);
    }
    return FileError{name, fill(_(record), {std::to_string(file.badLine)})};
}

std::string csvContent(const FooterFile& footers, const BindingFile& bindings,
                       CsvEncoding encoding = CsvEncoding::Utf8) {
    std::string content =
        row({kNamesKind, kFooterKind, kLineColumn, kWidthColumn, kEnabledColumn, "tekst"});
    for (const FooterRecord& record : footers.records) {
        content += footerRows(record);
    }
    content += row({kNamesKind, kPluColumn, kFooterKind});
    for (const BindingRecord& binding : bindings.records) {
        content += row({kBindingKind, std::to_string(binding.plu), std::to_string(binding.footer)});
    }
    return encoding == CsvEncoding::Utf8 ? std::string(kBom) + Cp1250ToUtf8(content) : content;
}

// The first ";", "," or tab of the first row: where the spreadsheet split the fields.
char separatorOf(std::string_view text) {
    const std::string_view first = text.substr(0, text.find('\n'));
    const std::size_t at = first.find_first_of(";,\t");
    return at == std::string_view::npos ? ';' : first[at];
}

std::optional<FileError> writeCsv(const std::string& csv, const std::string& content,
                                  const Sinks& sinks) {
    FileReplace file(csv, sinks);
    if (!file.isOpen() || !file.content().append(content)) {
        return file.contentError();
    }
    return file.commit();
}

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

// How many columns a row fills: spreadsheets leave those after the last empty, or out.
std::size_t filledColumns(const std::vector<std::string>& fields) {
    const auto last = std::find_if(fields.rbegin(), fields.rend(),
                                   [](const std::string& field) { return !field.empty(); });
    return static_cast<std::size_t>(fields.rend() - last);
}

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

std::optional<std::string> readWhole(const std::string& name) {
    std::error_code ec;
    std::ifstream in;
    if (fs::is_regular_file(FilePath(name), ec)) {
        in.open(name, std::ios::binary);
    }
    if (!in.is_open()) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

CsvImport failed(FileError error) {
    CsvImport import;
    import.fileError = std::move(error);
    return import;
}

}  // namespace

std::optional<FileError> ExportCsvText(const FileNames& names, std::string& text,
                                       CsvEncoding encoding) {
    const FooterFile footers = ReadFooterFile(names.FooterFileName);
    if (auto problem =
            readProblem(names.FooterFileName, footers, N_("line %1 is not a footer record"))) {
        return problem;
    }
    const BindingFile bindings = ReadBindingFile(names.BindingFileName);
    if (auto problem =
            readProblem(names.BindingFileName, bindings, N_("line %1 is not a binding record"))) {
        return problem;
    }
    text = csvContent(footers, bindings, encoding);
    return std::nullopt;
}

std::optional<FileError> ExportCsv(const FileNames& names, const std::string& csv,
                                   CsvEncoding encoding, const Sinks& sinks) {
    std::string text;
    if (auto problem = ExportCsvText(names, text, encoding)) {
        return problem;
    }
    return writeCsv(csv, text, sinks);
}

CsvRecords ParseCsv(std::string_view text) {
    const bool bom = text.starts_with(kBom);
    if (bom) {
        text.remove_prefix(kBom.size());
    }
    CsvRecords parsed;
    // Without a BOM that says UTF-8, bytes that are not are Windows-1250, whose
    // Polish letters never make valid UTF-8.
    std::string converted;
    if (!bom && !IsUtf8(text)) {
        converted = Cp1250ToUtf8(text);
        text = converted;
        parsed.windows1250 = true;
    }
    CsvReader reader(text, separatorOf(text));
    CsvContent content;
    for (int row = 1; !reader.atEnd(); ++row) {
        const auto fields = reader.row();
        const std::optional<std::string> problem =
            fields ? content.take(*fields) : _("wrong quotes");
        if (problem) {
            parsed.refusal = CsvRefusal{row, *problem};
            return parsed;
        }
    }
    // Empty, a BOM alone, names alone: nothing to import is no import.
    if (content.empty()) {
        parsed.refusal = CsvRefusal{1, _("no footer or binding rows")};
        return parsed;
    }
    parsed.footers = content.footerRecords();
    parsed.bindings = content.bindingRecords();
    parsed.apostrophesRemoved = content.unmarkedTexts();
    return parsed;
}

std::string CsvText(const FooterFile& footers, const BindingFile& bindings) {
    return csvContent(footers, bindings);
}

CsvImport ImportCsv(const std::string& csv, const FileNames& names, const Sinks& sinks) {
    const std::optional<std::string> text = readWhole(csv);
    if (!text) {
        return failed(unreadable(csv));
    }
    return ImportCsvText(*text, names, sinks);
}

CsvImport ImportCsvText(std::string_view text, const FileNames& names, const Sinks& sinks) {
    const CsvRecords parsed = ParseCsv(text);
    if (parsed.refusal) {
        CsvImport refused;
        refused.refusal = parsed.refusal;
        refused.windows1250 = parsed.windows1250;
        return refused;
    }
    if (auto error = StoreImport(parsed.footers, parsed.bindings, names, sinks)) {
        CsvImport unstored = failed(*error);
        unstored.windows1250 = parsed.windows1250;
        return unstored;
    }
    CsvImport stored;
    stored.footers = parsed.footers.size();
    stored.bindings = parsed.bindings.size();
    stored.windows1250 = parsed.windows1250;
    stored.apostrophesRemoved = parsed.apostrophesRemoved;
    return stored;
}

}  // namespace kalvero
