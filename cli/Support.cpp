// SPDX-License-Identifier: MIT
// The support tools the printer's first program never had: verify after write,
// the printer-to-file diff, and the CSV export and import.

#include <csignal>

#include "cli/Session.h"
#include "data/Cp1250.h"
#include "data/CsvFiles.h"
#include "data/RecordFormat.h"
#include "data/ResultText.h"
#include "data/WholeFiles.h"
#include "link/Comparison.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

// A data file to compare: its records, or the exit code after saying why not.
template <typename File>
std::optional<File> loadFile(const std::string& name, File file) {
    if (file.result == -1) {
        complain(fill(_("%1: the file cannot be read"), {name}));
    } else if (file.result != 0) {
        complain(fill(_("%1: line %2 is not a record"), {name, std::to_string(file.badLine)}));
    } else {
        return file;
    }
    return std::nullopt;
}

// Prints the differences; true when there were any.
bool showDifferences(const std::vector<std::string>& differences) {
    for (const std::string& difference : differences) {
        say(difference);
    }
    return !differences.empty();
}

}  // namespace

void stopOnCtrlC() {
    std::signal(SIGINT, [](int) {
        TerminalProgress::interrupted = 1;
        std::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends at once
    });
}

int Session::readFailure(const std::string& what, ResultCode rc, const std::string& stopped) {
    if (rc != 0) {
        complain(what + ": " + resultText(rc));
        return kExitFailed;
    }
    if (m_state.AbortRequested != 0) {
        complain(stopped);
        return kExitStopped;
    }
    return kExitOk;
}

bool Session::loadFiles(bool footers, bool bindings, std::optional<FooterFile>& footerFile,
                        std::optional<BindingFile>& bindingFile) {
    return (!footers || (footerFile = loadFile(m_names.FooterFileName,
                                               ReadFooterFile(m_names.FooterFileName)))) &&
           (!bindings || (bindingFile = loadFile(m_names.BindingFileName,
                                                 ReadBindingFile(m_names.BindingFileName))));
}

int Session::verify(bool footers, bool bindings) {
    std::optional<FooterFile> footerFile;
    std::optional<BindingFile> bindingFile;
    if (!loadFiles(footers, bindings, footerFile, bindingFile)) {
        return kExitFile;
    }
    return verifyRecords(footerFile ? &footerFile->records : nullptr,
                         bindingFile ? &bindingFile->records : nullptr);
}

int Session::verifyRecords(const std::vector<FooterRecord>* footers,
                           const std::vector<BindingRecord>* bindings) {
    PrinterReader reader(m_commands, m_state, m_progress);
    bool differ = false;
    if (footers != nullptr) {
        const PrinterFooters printer = reader.ReadBackFooters(*footers);
        if (const int rc = readFailure(_("Verifying footers"), printer.result,
                                       _("Verifying footers stopped by the user"));
            rc != kExitOk) {
            return rc;
        }
        differ = showDifferences(FooterDifferences(*footers, printer.records));
    }
    if (bindings != nullptr) {
        const PrinterBindings printer = reader.ReadBackBindings(*bindings);
        if (const int rc = readFailure(_("Verifying bindings"), printer.result,
                                       _("Verifying bindings stopped by the user"));
            rc != kExitOk) {
            return rc;
        }
        differ = showDifferences(BindingDifferences(*bindings, printer.records)) || differ;
    }
    say(differ ? _("Verifying: the printer differs from the files") : _("Verifying: OK"));
    return differ ? kExitDiffers : kExitOk;
}

int Session::diff() {
    const bool footers = m_options.footers || !m_options.bindings;
    const bool bindings = m_options.bindings || !m_options.footers;
    // The files first: a file that cannot be compared is said before the printer is asked.
    std::optional<FooterFile> footerFile;
    std::optional<BindingFile> bindingFile;
    if (!loadFiles(footers, bindings, footerFile, bindingFile)) {
        return kExitFile;
    }
    if (const int rc = connect(true); rc != kExitOk) {
        return rc;
    }
    stopOnCtrlC();
    PrinterReader reader(m_commands, m_state, m_progress);
    bool differ = false;
    if (footerFile) {
        const PrinterFooters printer = reader.ReadFooters();
        if (const int rc = readFailure("Odczyt stopek", printer.result,
                                       "Odczyt stopek przerwany przez użytkownika");
            rc != kExitOk) {
            return rc;
        }
        differ = showDifferences(FooterDifferences(footerFile->records, printer.records));
    }
    if (bindingFile) {
        const auto lastPlu = static_cast<std::uint16_t>(m_options.lastPlu);
        // Items above N that the printer could hold were not read, so they are not
        // compared; numbers it cannot hold stay a difference whatever N is.
        std::erase_if(bindingFile->records, [lastPlu](const BindingRecord& record) {
            return record.plu > lastPlu && record.plu <= kLastPlu;
        });
        const PrinterBindings printer = reader.ReadBindings(lastPlu);
        if (const int rc = readFailure("Odczyt wiązań", printer.result,
                                       "Odczyt wiązań przerwany przez użytkownika");
            rc != kExitOk) {
            return rc;
        }
        differ =
            showDifferences(BindingDifferences(bindingFile->records, printer.records)) || differ;
    }
    if (!differ) {
        say(_("The printer and the files agree"));
    }
    return differ ? kExitDiffers : kExitOk;
}

int Session::exportCsv() {
    if (const std::optional<FileError> error = ExportCsv(m_names, m_options.csv)) {
        complain(error->name + ": " + error->reason);
        return kExitFile;
    }
    say(fill(_("Export: OK, %1"), {m_options.csv}));
    return kExitOk;
}

int Session::importCsv() {
    const CsvImport import = ImportCsv(m_options.csv, m_names);
    if (import.refusal) {
        complain(fill(_("%1: line %2: %3; nothing was written"),
                      {m_options.csv, std::to_string(import.refusal->row), import.refusal->reason}));
        return kExitFile;
    }
    if (import.fileError) {
        complain(import.fileError->name + ": " + import.fileError->reason);
        return kExitFile;
    }
    say(fill(_("Import: OK, footers %1, bindings %2"),
             {std::to_string(import.footers), std::to_string(import.bindings)}));
    return kExitOk;
}

}  // namespace kalvero::cli
