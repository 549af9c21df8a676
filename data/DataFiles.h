// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "data/FileNames.h"
#include "data/FileRecords.h"
#include "data/FileSink.h"
#include "data/ResultCode.h"

namespace kalvero {

// The byte-level routines of the footer file and the binding file. Each opens
// the file it needs and closes it before returning; nothing is cached.

// Creates the file with the header "#1", "#", "#" and, when name is one of the two
// data files, its default records. False on an I/O error, with the reason in error
// when given; a file that could not be written whole is removed. An existing file is
// never emptied: that is an error too ("File exists").
bool CreateDefaultFile(const FileNames& names, const std::string& name, FileError* error = nullptr,
                       const Sinks& sinks = Sinks::files());

// 0 and the 1-based position of the first "$"; -1 no such file; -2 cannot be
// opened for reading; -3 the file ends before any "$".
ResultCode FindRecordStart(const std::string& name, std::int32_t& position);

// Appends bytes first..last (0-based, inclusive, at most 255) to text.
// 0; -2 cannot open; -3 fewer bytes than asked for.
ResultCode ReadFileRange(const std::string& name, std::int32_t first, std::int32_t last,
                         std::string& text);

// Writes the first last - first + 1 bytes of text at first. The file must exist:
// it is neither created nor truncated. 0; -2 cannot open for writing; -3 short write,
// after which the file is as it was. The system's reason goes to error when given.
ResultCode WriteFileRange(const std::string& name, std::int32_t first, std::int32_t last,
                          const std::string& text, FileError* error = nullptr,
                          const Sinks& sinks = Sinks::files());

// Columns j1..j2 (1-based, column 1 is the "$") of record i (from 0) of length L,
// with H the position of the first "$". Clears text first. 0; -2; -3.
ResultCode ReadRecordField(std::int32_t h, const std::string& name, std::int32_t length,
                           std::int32_t index, std::int32_t j1, std::int32_t j2, std::string& text);

// The offset of the first record numbered n, or the append position (the file's
// length) when there is none. The whole number is compared: record 256 is not
// footer 0. Codes of FindRecordStart; 255 for a number field that is not decimal.
ResultCode LocateFooterRecord(const std::string& name, std::uint8_t n, std::int32_t& offset);
ResultCode LocateBindingRecord(const FileNames& names, std::uint16_t plu, std::int32_t& offset);

// Field n (from 1) of a TAB-separated line, as it stands.
std::string TextField(int n, const std::string& line);
// The same for a number field: a leading "$" reads as "0".
std::string ExtractField(int n, const std::string& line);

// True when text holds a byte that no footer text may hold (below 0x20, or 0x7F):
// a TAB or a line end would split the record it is stored in.
bool HasControlCharacter(const std::string& text);

// The next line of a data file without its line end: CR LF, LF or a lone CR.
// False at the end of the file.
bool ReadDataLine(std::istream& in, std::string& line);

// A field of decimal digits only, its value; -1 for anything else (empty, signs,
// blanks, letters, or too many digits to mean a record number).
long DecimalField(const std::string& field);

}  // namespace kalvero
