// SPDX-License-Identifier: MIT
#pragma once

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "data/FileRecords.h"
#include "data/ResultCode.h"

namespace kalvero {

// The data files read whole into memory, by the rules the bulk writes follow: three
// header lines, then one record a line, fields split at TABs, a leading "$" of a
// number field read as "0".

// A number field that must fit in maximum (a footer in a byte, a PLU in 16 bits);
// -1 for anything else.
long FieldValue(const std::string& field, long maximum);
// A flag is an integer of which the low 8 bits count: "-1" is set, "256" clear.
// -1 for a field that is no integer.
long FlagValue(const std::string& field);
// The footer number of a record line: characters 2 to 4 of field 1 ("$7" is footer 7
// as much as "$007"); -1 when there is none.
long FooterNumber(const std::string& line);

// Opens a data file and skips its three header lines; false when it cannot be read.
bool OpenRecordLines(const std::string& name, std::ifstream& in);

// A footer record line taken whole: its number, four flags pairs and texts as they
// stand (a text left out is empty, as the bulk write sends it), at most 13 fields,
// no control character in any text. Nothing for anything else.
std::optional<FooterRecord> ParseFooterLine(const std::string& line);
// A binding record line: the PLU and the footer. Nothing for anything else.
std::optional<BindingRecord> ParseBindingLine(const std::string& line);

// The read of a whole data file: 0 and the records in file order; -1 when the file
// cannot be read; 255 for a line that is no record, a record that is not its kLength
// bytes long (line end counted as two), or a last record without its line end (a file
// cut short), whose number (from 1, the header lines counted) is in badLine. In a
// binding file an empty line ends the records.
struct FooterFile {
    ResultCode result = 0;
    std::vector<FooterRecord> records;
    int badLine = 0;
};
struct BindingFile {
    ResultCode result = 0;
    std::vector<BindingRecord> records;
    int badLine = 0;
};
FooterFile ReadFooterFile(const std::string& name);
BindingFile ReadBindingFile(const std::string& name);
// The same for the bytes of a file already in memory.
FooterFile ReadFooterText(const std::string& text);
BindingFile ReadBindingText(const std::string& text);

}  // namespace kalvero
