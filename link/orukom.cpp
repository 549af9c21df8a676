// SPDX-License-Identifier: MIT
#include "link/orukom.h"

#include <filesystem>

#include "data/Cp1250.h"
#include "data/FileReplace.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"

namespace kalvero {

namespace {

constexpr ResultCode kMalformed = 255;
// What a read writes before the first record.
constexpr std::string_view kHeader = "#\r\n#\r\n#\r\n";
constexpr std::int64_t kHeaderBytes = kHeader.size();
const std::string kBlankLine(40, ' ');

// Whole records on their way into the file being read, written many at a time: one
// write for a block of records instead of one for each. The block goes in whole at
// the end, at a stop (Ctrl+C, SIGTERM) and at a failure; only a process killed
// outright loses it, and then from the .partial file, never from a data file.
class RecordBlock {
public:
    explicit RecordBlock(FileSink& file) : m_file(file) {}

    bool add(const std::string& record) {
        m_pending += record;
        m_ends.push_back(m_pending.size());
        return m_pending.size() < kBlockBytes || write();
    }
    // A block that does not fit (a full disk) goes record by record, so that the
    // file keeps every whole record there is room for.
    bool write() {
        bool written = m_pending.empty() || m_file.append(m_pending);
        for (std::size_t i = 0, start = 0; !written && i < m_ends.size(); start = m_ends[i++]) {
            if (!m_file.append(std::string_view(m_pending).substr(start, m_ends[i] - start))) {
                break;
            }
        }
        m_pending.clear();
        m_ends.clear();
        return written;
    }

private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;
    FileSink& m_file;
    std::string m_pending;
    std::vector<std::size_t> m_ends;  // where each record ends in m_pending
};

}  // namespace

BulkTransfers::BulkTransfers(PrinterCommands& commands, const FileNames& names,
                             OperatingState& state, ProgressView& view, const Sinks& sinks)
    : m_commands(commands), m_names(names), m_state(state), m_view(view), m_sinks(sinks) {}

void BulkTransfers::progressStep(const std::string& label) {
    m_view.PumpMessages();
    m_view.stepBar();
    if (!label.empty()) {
        m_view.setLabel(label);
    }
    m_view.repaint();
    m_view.bringToFront();
}

void BulkTransfers::endView() {
    m_view.showLabel(false);
    m_view.showBar(false);
}

ResultCode BulkTransfers::fileError(const FileError& error) {
    m_fileError = error;
    endView();
    return kFileErrorCode;
}

std::unique_ptr<FileReplace> BulkTransfers::startReadFile(const std::string& name, ResultCode& rc) {
    auto file = std::make_unique<FileReplace>(name, m_sinks);
    if (!file->isOpen() || !file->content().append(kHeader)) {
        rc = fileError(file->contentError());
        return nullptr;
    }
    rc = 0;
    return file;
}

ResultCode BulkTransfers::finishReadFile(FileReplace& file, const std::string& name,
                                         ResultCode rc) {
    if (rc != 0 || aborted()) {
        // What came is kept apart: the data file stays whole, as it was. Nothing is
        // kept when not one whole record came.
        if (file.content().size() > kHeaderBytes && !file.keepAs(name + kPartialSuffix)) {
            m_partialFile = name + kPartialSuffix;
        }
        return rc;
    }
    endView();
    const std::optional<FileError> error = file.commit();
    return error ? fileError(*error) : 0;
}

ResultCode BulkTransfers::eachRecord(const std::function<RecordStep()>& record) {
    for (;;) {
        if (aborted()) {
            return 0;
        }
        const RecordStep step = record();
        if (step.rc != 0) {
            endView();
            return step.rc;
        }
        if (step.done) {
            return 0;
        }
        progressStep(step.label);
    }
}

ResultCode BulkTransfers::ReadAllFooters() {
    m_fileError.reset();
    m_partialFile.reset();
    m_badLine.reset();
    m_view.setLabel("Odczyt stopek...");
    m_view.showLabel(true);
    m_view.showBar(true);
    m_view.setBar(0, kLastFooter, 1);
    ResultCode rc = 0;
    const std::unique_ptr<FileReplace> file = startReadFile(m_names.FooterFileName, rc);
    if (!file) {
        return rc;
    }
    int n = 0;
    RecordBlock block(file->content());
    rc = eachRecord([&]() -> RecordStep {
        if (n > kLastFooter) {
            return RecordStep::end();
        }
        // A footer goes to the file whole or not at all, so that every record keeps its stride.
        FooterRecord record{static_cast<std::uint8_t>(n), {}};
        for (std::uint8_t line = 1; line <= 4; ++line) {
            std::string text;
            std::uint8_t width20 = 0;
            std::uint8_t enabled = 0;
            if (const ResultCode lineRc =
                    m_commands.ReadFooterLine(0, record.number, line, text, width20, enabled);
                lineRc != 0) {
                return RecordStep::failed(lineRc);
            }
            record.lines[line - 1] = {width20, enabled, text};
        }
        if (!block.add(record.format())) {
            return RecordStep::failed(fileError(file->contentError()));
        }
        return RecordStep::next("Odczyt stopek" + std::to_string(n++) + "/200");
    });
    if (!block.write() && rc == 0) {
        rc = fileError(file->contentError());
    }
    return finishReadFile(*file, m_names.FooterFileName, rc);
}

void BulkTransfers::startWrite(const std::string& label, int records) {
    m_fileError.reset();
    m_partialFile.reset();
    m_badLine.reset();
    m_view.setLabel(label);
    m_view.showLabel(true);
    m_view.setBar(0, records, 1);
    m_view.bringToFront();
}

template <typename File>
ResultCode BulkTransfers::refused(const std::string& name, const File& file) {
    if (file.result == kMalformed) {
        m_badLine = BadLine{name, file.badLine};
    }
    return file.result;
}

ResultCode BulkTransfers::WriteAllFooters(std::uint16_t& count) {
    count = 0;
    // The file is read whole first: one that is not sends nothing at all.
    const FooterFile file = ReadFooterFile(m_names.FooterFileName);
    if (file.result != 0) {
        startWrite("Zapis stopek...", kLastFooter);
        m_view.showLabel(false);
        return refused(m_names.FooterFileName, file);
    }
    return WriteFooters(file.records, count);
}

ResultCode BulkTransfers::WriteFooters(const std::vector<FooterRecord>& records,
                                       std::uint16_t& count) {
    startWrite("Zapis stopek...", kLastFooter);
    count = 0;
    auto record = records.begin();
    const ResultCode rc = eachRecord([&]() -> RecordStep {
        if (record == records.end()) {
            return RecordStep::end();
        }
        for (std::uint8_t j = 1; j <= 4; ++j) {
            const FooterLine& line = record->lines[j - 1];
            if (const ResultCode lineRc = m_commands.WriteFooterLine(
                    0, record->number, j, line.text, line.width20, line.enabled);
                lineRc != 0) {
                return RecordStep::failed(lineRc);
            }
        }
        ++record;
        ++count;
        return RecordStep::next("Zapis stopek... " + std::to_string(count) + "/200");
    });
    if (rc == 0 && !aborted()) {
        m_view.showLabel(false);
        m_view.barToMaximum();
        m_view.showBar(false);
    }
    return rc;
}

ResultCode BulkTransfers::EraseAllFooters() {
    m_fileError.reset();
    m_partialFile.reset();
    m_badLine.reset();
    m_view.showLabel(true);
    m_view.setBar(0, kLastFooter, 1);
    m_view.showBar(true);
    int n = 0;
    const ResultCode rc = eachRecord([&]() -> RecordStep {
        if (n > kLastFooter) {
            return RecordStep::end();
        }
        for (std::uint8_t line = 1; line <= 4; ++line) {
            if (const ResultCode lineRc = m_commands.WriteFooterLine(
                    0, static_cast<std::uint8_t>(n), line, kBlankLine, 0, 0);
                lineRc != 0) {
                return RecordStep::failed(lineRc);
            }
        }
        return RecordStep::next("Kasowanie stopek " + std::to_string(n++) + "/200");
    });
    m_erased = static_cast<std::uint16_t>(n);
    if (rc == 0 && !aborted()) {
        endView();
    }
    return rc;
}

ResultCode BulkTransfers::ReadAllBindings(std::uint16_t lastPlu) {
    m_fileError.reset();
    m_partialFile.reset();
    m_badLine.reset();
    m_view.setLabel("Odczyt wiazań..."_cp1250);
    m_view.showLabel(true);
    m_view.showBar(true);
    m_view.setBar(1, lastPlu, 1);
    ResultCode rc = 0;
    const std::unique_ptr<FileReplace> file = startReadFile(m_names.BindingFileName, rc);
    if (!file) {
        return rc;
    }
    std::uint32_t plu = 1;
    RecordBlock block(file->content());
    rc = eachRecord([&]() -> RecordStep {
        if (plu > lastPlu) {
            return RecordStep::end();
        }
        std::uint8_t footer = 0;
        if (const ResultCode readRc =
                m_commands.ReadBinding(0, static_cast<std::uint16_t>(plu), footer);
            readRc != 0) {
            return RecordStep::failed(readRc);
        }
        if (!block.add(BindingRecord{static_cast<std::uint16_t>(plu), footer}.format())) {
            return RecordStep::failed(fileError(file->contentError()));
        }
        return RecordStep::next("Odczyt wiązań... "_cp1250 + std::to_string(plu++) + "/" +
                                std::to_string(lastPlu));
    });
    if (!block.write() && rc == 0) {
        rc = fileError(file->contentError());
    }
    return finishReadFile(*file, m_names.BindingFileName, rc);
}

ResultCode BulkTransfers::WriteAllBindings() {
    const BindingFile file = ReadBindingFile(m_names.BindingFileName);
    if (file.result != 0) {
        startWrite("Zapis wiązań..."_cp1250, kLastPlu);
        if (file.result == kMalformed) {
            m_view.showLabel(false);  // a missing file leaves the label to the caller
        }
        return refused(m_names.BindingFileName, file);
    }
    std::uint16_t count = 0;
    return WriteBindings(file.records, count);
}

ResultCode BulkTransfers::WriteBindings(const std::vector<BindingRecord>& records,
                                        std::uint16_t& count) {
    startWrite("Zapis wiązań..."_cp1250, kLastPlu);
    count = 0;
    auto binding = records.begin();
    const ResultCode rc = eachRecord([&]() -> RecordStep {
        if (binding == records.end()) {
            return RecordStep::end();
        }
        const ResultCode writeRc = m_commands.WriteBinding(0, binding->plu, binding->footer);
        ++binding;
        if (writeRc != 0) {
            return RecordStep::failed(writeRc);
        }
        ++count;  // what the printer took
        return RecordStep::next({});
    });
    if (rc == 0 && !aborted()) {
        m_view.showLabel(false);
    }
    return rc;
}

ResultCode BulkTransfers::EraseAllBindings() {
    m_fileError.reset();
    m_partialFile.reset();
    m_badLine.reset();
    m_view.setLabel("Kasowanie wiązań..."_cp1250);
    m_view.showLabel(true);
    m_view.setBar(0, kLastPlu, 1);
    m_view.showBar(true);
    std::uint32_t plu = 1;
    const ResultCode rc = eachRecord([&]() -> RecordStep {
        if (plu > kLastPlu) {
            return RecordStep::end();
        }
        if (const ResultCode writeRc =
                m_commands.WriteBinding(0, static_cast<std::uint16_t>(plu), 0);
            writeRc != 0) {
            return RecordStep::failed(writeRc);
        }
        return RecordStep::next("Kasowanie wiązań..."_cp1250 + std::to_string(plu++) + "/9983");
    });
    m_erased = static_cast<std::uint16_t>(plu - 1);
    if (rc == 0 && !aborted()) {
        endView();
    }
    return rc;
}

}  // namespace kalvero
