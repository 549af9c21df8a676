// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/FileNames.h"
#include "data/FileSink.h"
#include "data/WholeFiles.h"

namespace kalvero {

// Both data files as one CSV file that Polish spreadsheets (LibreOffice, Excel with a
// Polish locale) open directly: UTF-8 with a BOM, fields split at ";", rows ended by
// CR LF. The first column names the kind of row:
//
//   rodzaj;stopka;linia;szerokość;włączona;tekst    column names, skipped on import
//   stopka;7;1;40;1;Dziękujemy za zakupy           line 1 of footer 7: 40 wide, printed
//   stopka;7;2;20;0;"Tel.; ""Sklep"""              20 wide, off
//   rodzaj;PLU;stopka
//   wiązanie;1234;7                                 PLU 1234 prints footer 7
//
// A text is quoted when it holds ";" or '"' or begins with a blank, a quote doubled.
// The files pad texts to 40 with blanks: the CSV holds them trimmed on the right.
// A spreadsheet would take a text beginning with "=" or "@" for a formula, and one
// beginning with a digit, a sign, "(", a currency sign or a decimal separator for a
// number, a date, a time or a percent ("1,5 zł", "12.05", "50%", "007", "1/2", "12:30"),
// even after leading blanks: such a text, and one beginning with an apostrophe, gets a
// leading apostrophe, as spreadsheets mark a text, and import takes one leading
// apostrophe off every text.
//
// Import reads a file without a BOM that is not UTF-8 as Windows-1250, as a Polish Excel saves
// "CSV (rozdzielany średnikami)". Fields are split at the first ";", "," or tab of
// the first row (the column names "rodzaj..." as export writes them, or a kind's word).
//
// Export writes every line of every footer record and every binding, in file order.
// Import takes rows in any order and as spreadsheets save them (no BOM, LF line ends,
// empty rows, empty columns after the last); it refuses a row with a column left out,
// column names among the rows of their kind, a row joined to another by a lone CR, and
// a file without a single footer or binding row. It writes a record for each
// footer number and each PLU given, in rising order, after the header "#", "#", "#"
// that a bulk read writes, a footer line not given blank, off and 40 wide. So the
// files of a bulk read come back byte for byte; a file with another header or records
// out of order comes back normalized, and one whose records repeat a number, or hold
// numbers the printer does not take, gives a CSV that import refuses.

// UTF-8 with a BOM, or Windows-1250 without, which a Polish Excel opens directly.
enum class CsvEncoding { Utf8, Windows1250 };

// Writes both data files to the CSV file csv. Nothing on success; else the data file
// that could not be read or the line of it that is no record, or the CSV file that
// could not be written, which is then removed, lest half of it pass for the whole.
std::optional<FileError> ExportCsv(const FileNames& names, const std::string& csv,
                                   CsvEncoding encoding = CsvEncoding::Utf8,
                                   const Sinks& sinks = Sinks::files());
// The same CSV as text, for standard output.
std::optional<FileError> ExportCsvText(const FileNames& names, std::string& text,
                                       CsvEncoding encoding = CsvEncoding::Utf8);

// A CSV row that cannot be stored: its number, from 1 with the column names counted
// as a spreadsheet shows it, and why, in Polish, UTF-8.
struct CsvRefusal {
    int row = 0;
    std::string reason;
};

// The rows of a CSV text, checked: refused, or the data file records they give (each
// with its line end), footers and bindings in rising order. Files are not touched.
struct CsvRecords {
    std::optional<CsvRefusal> refusal;
    bool windows1250 = false;  // the text was not UTF-8, so read as Windows-1250
    std::vector<std::string> footers;
    std::vector<std::string> bindings;
    // Texts that a leading apostrophe was taken off: a spreadsheet kept the export's marks.
    std::size_t apostrophesRemoved = 0;
};
CsvRecords ParseCsv(std::string_view text);
// The CSV text of data file contents, as ExportCsv writes it.
std::string CsvText(const FooterFile& footers, const BindingFile& bindings);

// How an import ended: refused (nothing written), failed on a file, or done with the
// numbers of records written.
struct CsvImport {
    std::optional<CsvRefusal> refusal;
    // The CSV file unreadable, or a data file not kept as a backup or not written;
    // then neither data file has changed.
    std::optional<FileError> fileError;
    std::size_t footers = 0;
    std::size_t bindings = 0;
    bool windows1250 = false;  // as CsvRecords
    std::size_t apostrophesRemoved = 0;  // as CsvRecords, once written
};

// Checks every row of the CSV file csv and, when all can be stored, writes the new
// content beside each data file, records in a journal that both are to replace the
// data files, and only then replaces them, each kept as a backup generation. A kind of row the CSV
// does not hold leaves its file as it is.
CsvImport ImportCsv(const std::string& csv, const FileNames& names,
                    const Sinks& sinks = Sinks::files());
// The same for a CSV text already read (standard input).
CsvImport ImportCsvText(std::string_view text, const FileNames& names,
                        const Sinks& sinks = Sinks::files());

}  // namespace kalvero
