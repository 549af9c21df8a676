// SPDX-License-Identifier: MIT
#include "cli/Transfers.h"

#include "cli/Change.h"
#include "cli/Failure.h"
#include "cli/Session.h"
#include "data/Cp1250.h"
#include "data/KnownRecords.h"
#include "data/OwnFiles.h"
#include "data/ResultText.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

struct Chosen {
    bool footers;
    bool bindings;
};

Chosen chosen(const Options& options) {
    return {options.footers || !options.bindings, options.bindings || !options.footers};
}

// What an erase leaves: every footer four blank, disabled lines 40 wide; every item
// bound to footer 0.
std::vector<FooterRecord> erasedFooters() {
    std::vector<FooterRecord> records;
    for (int n = 0; n <= kLastFooter; ++n) {
        FooterRecord record{static_cast<std::uint8_t>(n), {}};
        for (FooterLine& line : record.lines) {
            line = {0, 0, std::string(FooterLine::kTextLength, ' ')};
        }
        records.push_back(record);
    }
    return records;
}

std::vector<BindingRecord> erasedBindings() {
    std::vector<BindingRecord> records;
    for (int plu = 1; plu <= kLastPlu; ++plu) {
        records.push_back({static_cast<std::uint16_t>(plu), 0});
    }
    return records;
}

// A data file that is not whole, refused as the transfer refuses one, from the one
// read of it: nothing is sent.
int refuse(Session& s, const std::string& what, ResultCode rc, const std::string& file,
           int badLine) {
    if (rc == -1) {
        noteFileFailure(file);
        return s.result(what + ": " + file + ": " + WhyUnreadable(file), kExitFile);
    }
    noteFailure(FailureKind::FileNotWhole);
    return s.result(what + ": " + Cp1250ToUtf8(ResultText(rc)) + ": " +
                        fill(_("%1, line %2; nothing was sent"), {file, std::to_string(badLine)}),
                    kExitFile);
}

}  // namespace

int Read(Session& s) {
    const auto [footers, bindings] = chosen(s.options());
    if (const int rc = s.connect(true); rc != kExitOk) {
        return rc;
    }
    stopOnSignals();
    const std::string stopped = " przerwany przez użytkownika"_cp1250;
    int exit = kExitOk;
    // What a whole read brought is what the printer holds, from now on known.
    KnownRecords known(s.store().knownFolder(s.owner()));
    known.load();
    if (footers) {
        exit = s.report("read_footers", "Odczyt stopek", s.transfers().ReadAllFooters(), stopped,
                        ": OK");
        if (exit == kExitOk) {
            known.knowOnly(ReadFooterFile(s.names().FooterFileName).records);
        }
    }
    if (bindings && exit != kExitStopped) {
        const auto lastPlu = static_cast<std::uint16_t>(s.options().lastPlu);
        const int result = s.report("read_bindings", "Odczyt wiązań"_cp1250,
                                    s.transfers().ReadAllBindings(lastPlu), stopped, ": OK");
        if (result == kExitOk) {
            known.knowOnly(ReadBindingFile(s.names().BindingFileName).records);
        }
        exit = exit == kExitOk ? result : exit;
    }
    KeepKnown(known);
    return exit;
}

int Write(Session& s) {
    const auto [footers, bindings] = chosen(s.options());
    if (const int rc = s.connectForChange(); rc != kExitOk) {
        return rc;
    }
    stopOnSignals();
    // A file that is not whole is refused before anything is read or sent.
    const FooterFile footerFile =
        footers ? ReadFooterFile(s.names().FooterFileName) : FooterFile{};
    const BindingFile bindingFile =
        bindings ? ReadBindingFile(s.names().BindingFileName) : BindingFile{};
    if (footerFile.result != 0 || bindingFile.result != 0) {
        // Each file that is not whole is refused as the transfer refuses it; the other
        // waits, so that nothing goes out without its snapshot.
        int exit = kExitOk;
        if (footerFile.result != 0) {
            exit = refuse(s, "Zapis stopek", footerFile.result, s.names().FooterFileName,
                          footerFile.badLine);
        }
        if (bindingFile.result != 0) {
            const int result = refuse(s, "Zapis wiązań", bindingFile.result,
                                      s.names().BindingFileName, bindingFile.badLine);
            exit = exit == kExitOk ? result : exit;
        }
        return exit;
    }
    Change change;
    change.command = "write";
    if (footers) {
        change.footers = footerFile.records;
    }
    if (bindings) {
        change.bindings = bindingFile.records;
    }
    change.all = s.options().all;
    return s.options().sinceRead ? ApplySinceRead(s, change) : ApplyChange(s, change);
}

int Erase(Session& s) {
    const auto [footers, bindings] = chosen(s.options());
    if (const int rc = s.connectForChange(); rc != kExitOk) {
        return rc;
    }
    stopOnSignals();
    Change change;
    change.command = "erase";
    change.erase = true;
    if (footers) {
        change.footers = erasedFooters();
    }
    if (bindings) {
        change.bindings = erasedBindings();
    }
    return ApplyChange(s, change);
}

}  // namespace kalvero::cli
