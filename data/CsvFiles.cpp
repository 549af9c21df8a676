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
#include "data/CsvRows.h"
#include "data/ImportTransaction.h"
#include "data/OwnFiles.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"

namespace kalvero {

namespace fs = std::filesystem;

namespace {

using namespace csv;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

FileError unreadable(const std::string& name) {
    return {name, WhyUnreadable(name)};
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
