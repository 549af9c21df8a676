// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data/FileNames.h"
#include "data/FileSink.h"
#include "data/Question.h"
#include "data/ResultCode.h"

namespace kalvero {

// The single-record operations on the data files, as the printer commands run
// them offline. Codes are 0..255: a negative code of the file routines arrives
// as its low eight bits (-1 as 255, -2 as 254, -3 as 253).
class RecordFiles {
public:
    // offlineMode is the operating state's flag, read at each binding write.
    RecordFiles(const FileNames& names, const std::uint8_t& offlineMode, Question& question,
                const Sinks& sinks = Sinks::files());

    // Stores the whole footer: "$", n as three digits, TAB, the 179-byte tail, CR LF,
    // in place of the footer's first record or appended at the end.
    ResultCode WriteFooterRecordToFile(std::uint8_t n, const std::string& tail);
    // Line 1 reads the record into CachedFooterRecord; lines 2..4 come from it.
    ResultCode ReadFooterLineFromFile(std::uint8_t n, std::uint8_t k, std::string& text,
                                      std::uint8_t& width20, std::uint8_t& enabled);
    ResultCode WriteBindingToFile(std::uint16_t plu, std::uint8_t n);
    ResultCode ReadBindingFromFile(std::uint16_t plu, std::uint8_t& n);

    const std::string& CachedFooterRecord() const { return m_cachedFooterRecord; }
    // Why the last record write failed, when the system said why: a file that
    // could not be created or written. Reset by every record write.
    const std::optional<FileError>& fileError() const { return m_fileError; }

private:
    ResultCode writeRecord(const std::string& name, std::int32_t offset, const std::string& record);

    const FileNames& m_names;
    const std::uint8_t& m_offlineMode;
    Question& m_question;
    const Sinks& m_sinks;
    std::string m_cachedFooterRecord;
    std::optional<FileError> m_fileError;
};

}  // namespace kalvero
