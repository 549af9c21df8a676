// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "data/FileNames.h"
#include "data/FileSink.h"
#include "data/RecordFormat.h"
#include "data/ResultCode.h"

namespace kalvero {

// One record in a data file, found by its number and placed by the stride of its
// kind from the first "$", read or written in place. Each routine opens the file it
// needs and closes it before returning; nothing is cached.

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

// The offset of the first record numbered n, or the append position (the file's
// length) when there is none. The whole number is compared: record 256 is not
// footer 0. Codes of FindRecordStart; 255 for a number field that is not decimal.
ResultCode LocateFooterRecord(const std::string& name, std::uint8_t n, std::int32_t& offset);
ResultCode LocateBindingRecord(const FileNames& names, std::uint16_t plu, std::int32_t& offset);

}  // namespace kalvero
