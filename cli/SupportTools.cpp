// SPDX-License-Identifier: MIT
// The support tools the printer's first program never had: verify after write,
// the printer-to-file diff, and the CSV export and import.
#include "cli/SupportTools.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/Output.h"
#include "cli/Session.h"
#include "data/Cp1250.h"
#include "data/CsvFiles.h"
#include "data/OwnFiles.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"
#include "link/Comparison.h"

namespace kalvero::cli {

namespace {

constexpr const char* kStandardStream = "-";

// The CSV's bytes as they are: Windows would turn its CR LF into CR CR LF.
void binaryStream([[maybe_unused]] std::FILE* stream) {
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#endif
}

// A data file to compare: its records, or the exit code after saying why not.
template <typename File>
std::optional<File> loadFile(Session& s, const std::string& name, File file) {
    if (file.result == -1) {
        s.result(name + ": " + WhyUnreadable(name), kExitFile);
    } else if (file.result != 0) {
        s.result(fill(_("%1: line %2 is not a record"), {name, std::to_string(file.badLine)}),
                 kExitFile);
    } else {
        return file;
    }
    return std::nullopt;
}

nlohmann::ordered_json lineJson(const FooterLine& line) {
    return {{"text", Cp1250ToUtf8(line.text.substr(0, line.text.find_last_not_of(' ') + 1))},
            {"width", line.width20 != 0 ? 20 : 40},
            {"enabled", line.enabled != 0}};
}

nlohmann::ordered_json differenceJson(const FooterDifference& difference) {
    nlohmann::ordered_json json{{"footer", difference.footer}};
    if (difference.line == 0) {
        json["file"] = difference.inFile;
        json["printer"] = difference.inPrinter;
    } else {
        json["line"] = difference.line;
        json["file"] = lineJson(difference.file);
        json["printer"] = lineJson(difference.printer);
    }
    return json;
}

nlohmann::ordered_json differenceJson(const BindingDifference& difference) {
    const auto side = [](const std::optional<int>& footer) {
        return footer ? nlohmann::ordered_json(*footer) : nlohmann::ordered_json(nullptr);
    };
    return {{"plu", difference.plu},
            {"file", side(difference.file)},
            {"printer", side(difference.printer)}};
}

// Prints the differences of a kind ("footers", "bindings") and tells them as values;
// true when there were any.
template <typename Difference>
bool showDifferences(Session& s, const char* kind, const std::vector<Difference>& differences) {
    nlohmann::ordered_json& listed = s.json()["differences"][kind];
    listed = nlohmann::ordered_json::array();
    for (const Difference& difference : differences) {
        say(difference.text);
        listed.push_back(differenceJson(difference));
    }
    return !differences.empty();
}

}  // namespace

bool LoadFiles(Session& s, bool footers, bool bindings, std::optional<FooterFile>& footerFile,
               std::optional<BindingFile>& bindingFile) {
    const std::string& footerName = s.names().FooterFileName;
    const std::string& bindingName = s.names().BindingFileName;
    return (!footers || (footerFile = loadFile(s, footerName, ReadFooterFile(footerName)))) &&
           (!bindings || (bindingFile = loadFile(s, bindingName, ReadBindingFile(bindingName))));
}

int Verify(Session& s, bool footers, bool bindings) {
    std::optional<FooterFile> footerFile;
    std::optional<BindingFile> bindingFile;
    if (!LoadFiles(s, footers, bindings, footerFile, bindingFile)) {
        return kExitFile;
    }
    return VerifyRecords(s, footerFile ? &footerFile->records : nullptr,
                         bindingFile ? &bindingFile->records : nullptr);
}

int VerifyRecords(Session& s, const std::vector<FooterRecord>* footers,
                  const std::vector<BindingRecord>* bindings, ReadBack* readBack) {
    PrinterReader reader(s.commands(), s.state(), s.progress());
    bool differ = false;
    if (footers != nullptr) {
        PrinterFooters printer = reader.ReadBackFooters(*footers);
        if (const int rc = s.readFailure(_("Verifying footers"), printer.result,
                                       _("Verifying footers stopped by the user"));
            rc != kExitOk) {
            return rc;
        }
        const bool footersDiffer = showDifferences(s, "footers", FooterDifferences(*footers, printer.records));
        differ = footersDiffer;
        if (readBack != nullptr) {
            readBack->footersRead = true;
            readBack->footersDiffer = footersDiffer;
            readBack->footers = std::move(printer.records);
        }
    }
    if (bindings != nullptr) {
        PrinterBindings printer = reader.ReadBackBindings(*bindings);
        if (const int rc = s.readFailure(_("Verifying bindings"), printer.result,
                                       _("Verifying bindings stopped by the user"));
            rc != kExitOk) {
            return rc;
        }
        const bool bindingsDiffer =
            showDifferences(s, "bindings", BindingDifferences(*bindings, printer.records));
        differ = differ || bindingsDiffer;
        if (readBack != nullptr) {
            readBack->bindingsRead = true;
            readBack->bindingsDiffer = bindingsDiffer;
            readBack->bindings = std::move(printer.records);
        }
    }
    s.result(differ ? _("Verifying: sent, but the printer differs from the files") : _("Verifying: OK"),
             kExitOk);  // the differences went to standard output: so does this
    s.json()["verified"] = !differ;
    return differ ? kExitDiffers : kExitOk;
}

int Diff(Session& s) {
    const bool footers = s.options().footers || !s.options().bindings;
    const bool bindings = s.options().bindings || !s.options().footers;
    // The files first: a file that cannot be compared is said before the printer is asked.
    std::optional<FooterFile> footerFile;
    std::optional<BindingFile> bindingFile;
    if (!LoadFiles(s, footers, bindings, footerFile, bindingFile)) {
        return kExitFile;
    }
    if (const int rc = s.connect(true); rc != kExitOk) {
        return rc;
    }
    stopOnSignals();
    PrinterReader reader(s.commands(), s.state(), s.progress());
    bool differ = false;
    if (footerFile) {
        const PrinterFooters printer = reader.ReadFooters();
        if (const int rc = s.readFailure("Odczyt stopek", printer.result,
                                       "Odczyt stopek przerwany przez użytkownika");
            rc != kExitOk) {
            return rc;
        }
        differ = showDifferences(s, "footers", FooterDifferences(footerFile->records, printer.records));
    }
    if (bindingFile) {
        const auto lastPlu = static_cast<std::uint16_t>(s.options().lastPlu);
        // Items above N that the printer could hold were not read, so they are not
        // compared; numbers it cannot hold stay a difference whatever N is.
        std::erase_if(bindingFile->records, [lastPlu](const BindingRecord& record) {
            return record.plu > lastPlu && record.plu <= kLastPlu;
        });
        const PrinterBindings printer = reader.ReadBindings(lastPlu);
        if (const int rc = s.readFailure("Odczyt wiązań", printer.result,
                                       "Odczyt wiązań przerwany przez użytkownika");
            rc != kExitOk) {
            return rc;
        }
        differ =
            showDifferences(s, "bindings", BindingDifferences(bindingFile->records, printer.records)) || differ;
    }
    if (!differ) {
        s.result(_("The printer and the files agree"), kExitOk);
    }
    s.json()["differ"] = differ;
    return differ ? kExitDiffers : kExitOk;
}

int ExportCsv(Session& s) {
    const CsvEncoding encoding = s.options().cp1250 ? CsvEncoding::Windows1250 : CsvEncoding::Utf8;
    // "-" is standard output, which then holds the CSV alone.
    if (s.options().csv == kStandardStream) {
        std::string text;
        if (const std::optional<FileError> error = ExportCsvText(s.names(), text, encoding)) {
            return s.result(error->name + ": " + error->reason, kExitFile);
        }
        binaryStream(stdout);
        const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
                             std::fflush(stdout) == 0;
        return written ? kExitOk : s.result(_("standard output cannot be written"), kExitFile);
    }
    if (const std::optional<FileError> error =
            kalvero::ExportCsv(s.names(), s.options().csv, encoding)) {
        return s.result(error->name + ": " + error->reason, kExitFile);
    }
    return s.result(fill(_("Export: OK, %1"), {s.options().csv}), kExitOk);
}

int ImportCsv(Session& s) {
    CsvImport import;
    if (s.options().csv == kStandardStream) {
        // Standard input, as much as a CSV of both files can hold and one byte more.
        constexpr std::size_t kMostBytes = 16 * 1024 * 1024;
        std::string text(kMostBytes + 1, '\0');
        binaryStream(stdin);
        text.resize(std::fread(text.data(), 1, text.size(), stdin));
        if (text.size() > kMostBytes || std::ferror(stdin) != 0) {
            return s.result(_("standard input is not a CSV of the data files"), kExitFile);
        }
        import = ImportCsvText(text, s.names());
    } else {
        import = kalvero::ImportCsv(s.options().csv, s.names());
    }
    if (import.windows1250) {
        inform(fill(_("%1 is not UTF-8: read as Windows-1250"), {s.options().csv}));
    }
    if (import.refusal) {
        complain(fill(_("%1: line %2: %3; nothing was written"),
                      {s.options().csv, std::to_string(import.refusal->row), import.refusal->reason}));
        return kExitFile;
    }
    if (import.fileError) {
        return s.result(import.fileError->name + ": " + import.fileError->reason, kExitFile);
    }
    // Texts that lost an apostrophe: 0 after a spreadsheet says it dropped the export's marks.
    return s.result(fill(_("Import: OK, footers %1, bindings %2, apostrophes removed from "
                           "texts: %3"),
                         {std::to_string(import.footers), std::to_string(import.bindings),
                          std::to_string(import.apostrophesRemoved)}),
                    kExitOk);
}

}  // namespace kalvero::cli
