// SPDX-License-Identifier: MIT
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "data/FileNames.h"
#include "data/FileSink.h"
#include "data/RecordFormat.h"
#include "data/ResultCode.h"

namespace kalvero {

// A data file as a whole: made with its default records, or read into memory by the
// rules the bulk writes follow: three header lines, then one record a line.

// Creates the file with the header "#1", "#", "#" and, when name is one of the two
// data files, its default records. False on an I/O error, with the reason in error
// when given; a file that could not be written whole is removed. An existing file is
// never emptied: that is an error too ("File exists").
bool CreateDefaultFile(const FileNames& names, const std::string& name, FileError* error = nullptr,
                       const Sinks& sinks = Sinks::files());

// The next line of a data file without its line end: CR LF, LF or a lone CR.
// False at the end of the file.
bool ReadDataLine(std::istream& in, std::string& line);

// The read of a whole data file: 0 and the records in file order; -1 when the file
// cannot be read; 255 for a line that is no record, a record that is not its kLength
// bytes long (line end counted as two), a last record without its line end (a file
// cut short), or a value the printer cannot hold (a footer above 200, a PLU outside
// 1..9983), whose number (from 1, the header lines counted) is in badLine. In a
// binding file empty lines at the end end the records; one with records after it is
// no record.
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
// The records as a bulk read writes them, after the header "#", "#", "#", replacing
// name whole (see FileReplace). Nothing on success.
std::optional<FileError> WriteFooterFile(const std::string& name,
                                         const std::vector<FooterRecord>& records,
                                         const Sinks& sinks = Sinks::files());
std::optional<FileError> WriteBindingFile(const std::string& name,
                                          const std::vector<BindingRecord>& records,
                                          const Sinks& sinks = Sinks::files());
BindingFile ReadBindingFile(const std::string& name);
// The same for the bytes of a file already in memory.
FooterFile ReadFooterText(const std::string& text);
BindingFile ReadBindingText(const std::string& text);

}  // namespace kalvero
