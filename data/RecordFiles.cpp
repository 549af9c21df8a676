// SPDX-License-Identifier: MIT
#include "data/RecordFiles.h"

#include <climits>
#include <filesystem>

#include "data/Cp1250.h"
#include "data/FilePath.h"
#include "data/RecordAccess.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"

namespace kalvero {

namespace {

constexpr ResultCode kMalformed = 255;

ResultCode asByte(ResultCode code) {
    return code & 0xFF;
}

// A record must end where an int32 offset can still reach.
bool reachable(std::int32_t offset, std::size_t length) {
    return offset <= INT32_MAX - static_cast<std::int32_t>(length);
}

}  // namespace

RecordFiles::RecordFiles(const FileNames& names, const std::uint8_t& offlineMode,
                         Question& question, const Sinks& sinks)
    : m_names(names), m_offlineMode(offlineMode), m_question(question), m_sinks(sinks) {}

ResultCode RecordFiles::writeRecord(const std::string& name, std::int32_t offset,
                                    const std::string& record) {
    FileError error;
    const ResultCode rc =
        WriteFileRange(name, offset, offset + static_cast<std::int32_t>(record.size()) - 1, record,
                       &error, m_sinks);
    if (rc != 0 && !error.reason.empty()) {
        m_fileError = error;
    }
    return asByte(rc);
}

ResultCode RecordFiles::WriteFooterRecordToFile(std::uint8_t n, const std::string& tail) {
    m_fileError.reset();
    // A tail of another shape would put every later record off the stride, and a
    // text with a TAB or a line end would be read back as another record.
    const std::optional<std::string> record = FooterRecord::formatTail(n, tail);
    if (!record) {
        return kMalformed;
    }
    std::int32_t offset = 0;
    if (const ResultCode rc = LocateFooterRecord(m_names.FooterFileName, n, offset); rc != 0) {
        return asByte(rc);
    }
    if (!reachable(offset, FooterRecord::kLength)) {
        return asByte(-3);
    }
    return writeRecord(m_names.FooterFileName, offset, *record);
}

ResultCode RecordFiles::ReadFooterLineFromFile(std::uint8_t n, std::uint8_t k, std::string& text,
                                               std::uint8_t& width20, std::uint8_t& enabled) {
    if (k < 1 || k > 4) {
        return kMalformed;
    }
    if (k == 1) {
        std::int32_t offset = 0;
        if (const ResultCode rc = LocateFooterRecord(m_names.FooterFileName, n, offset); rc != 0) {
            return asByte(rc);
        }
        if (!reachable(offset, FooterRecord::kLength)) {
            return asByte(-3);
        }
        std::string record;
        if (const ResultCode rc = ReadFileRange(m_names.FooterFileName, offset,
                                                offset + FooterRecord::kLength - 1, record);
            rc != 0) {
            return asByte(rc);
        }
        m_cachedFooterRecord = record;
    }
    // Lines 2..4 without a line 1 read before them find no record to take them from.
    if (m_cachedFooterRecord.size() != FooterRecord::kLength) {
        return asByte(-3);
    }
    const std::optional<FooterLine> line = FooterRecord::line(m_cachedFooterRecord, k);
    if (!line) {
        return kMalformed;
    }
    width20 = line->width20;
    enabled = line->enabled;
    text = line->text;
    return 0;
}

ResultCode RecordFiles::WriteBindingToFile(std::uint16_t plu, std::uint8_t n) {
    m_fileError.reset();
    std::error_code ec;
    if (m_offlineMode == 1 && !std::filesystem::exists(FilePath(m_names.BindingFileName), ec) &&
        m_question.ask("Brak pliku", "Czy utworzyc plik z danymi o wiązaniach?"_cp1250)) {
        FileError error;
        if (!CreateDefaultFile(m_names, m_names.BindingFileName, &error, m_sinks)) {
            m_fileError = error;
            return asByte(-2);
        }
    }
    // Four digits hold the PLU; a wider one would put every later record off the stride.
    if (plu > 9999) {
        return kMalformed;
    }
    std::int32_t offset = 0;
    if (const ResultCode rc = LocateBindingRecord(m_names, plu, offset); rc != 0) {
        return asByte(rc);
    }
    if (!reachable(offset, BindingRecord::kLength)) {
        return asByte(-3);
    }
    return writeRecord(m_names.BindingFileName, offset, BindingRecord{plu, n}.format());
}

ResultCode RecordFiles::ReadBindingFromFile(std::uint16_t plu, std::uint8_t& n) {
    std::int32_t offset = 0;
    if (const ResultCode rc = LocateBindingRecord(m_names, plu, offset); rc != 0) {
        return asByte(rc);
    }
    if (!reachable(offset, BindingRecord::kLength)) {
        return asByte(-3);
    }
    std::string field;
    if (const ResultCode rc =
            ReadFileRange(m_names.BindingFileName, offset + BindingRecord::kFooterOffset,
                          offset + BindingRecord::kFooterOffset + 2, field);
        rc != 0) {
        return asByte(rc);
    }
    // A footer number travels in one byte: 256 and above is no footer, never its low bits.
    const long value = DecimalField(field);
    if (value < 0 || value > 255) {
        return kMalformed;
    }
    n = static_cast<std::uint8_t>(value);
    return 0;
}

}  // namespace kalvero
