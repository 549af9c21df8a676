// SPDX-License-Identifier: MIT
// Changing a printer safely: a snapshot of what it holds first, then only the records
// that differ from it, verified; and the way back to a snapshot.

#include <map>

#include "cli/Session.h"
#include "data/Cp1250.h"
#include "data/FilePath.h"
#include "data/WholeFiles.h"
#include "link/Comparison.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

constexpr const char* kFooterFile = "stopki.txt";
constexpr const char* kBindingFile = "wiazplu.txt";

std::string inFolder(const std::string& folder, const char* file) {
    const auto path = (FilePath(folder) / file).u8string();
    return std::string(path.begin(), path.end());
}

}  // namespace

int Session::takeSnapshot(bool footers, bool bindings, PrinterFooters& printerFooters,
                          PrinterBindings& printerBindings) {
    PrinterReader reader(m_commands, m_state, m_progress);
    const auto failed = [this](const char* what, ResultCode rc) {
        if (m_state.AbortRequested != 0) {
            complain(snapshotLine(fill(_("%1 stopped by the user; nothing was changed"), {_(what)})));
            return kExitStopped;
        }
        complain(snapshotLine(fill(_("%1: %2; nothing was changed"), {_(what), resultText(rc)})));
        return kExitFailed;
    };
    if (footers) {
        printerFooters = reader.ReadFooters();
        if (printerFooters.result != 0 || m_state.AbortRequested != 0) {
            return failed(N_("reading the footers"), printerFooters.result);
        }
    }
    if (bindings) {
        printerBindings = reader.ReadBindings(static_cast<std::uint16_t>(kLastPlu));
        if (printerBindings.result != 0 || m_state.AbortRequested != 0) {
            return failed(N_("reading the bindings"), printerBindings.result);
        }
    }
    std::string reason;
    const auto folder = m_snapshots.create(speedKey(m_state.PortNumber),
                                           Cp1250ToUtf8(m_identity.numberText), reason);
    std::optional<FileError> error;
    if (!folder) {
        error = FileError{_("snapshot"), reason};
    } else if (footers) {
        error = WriteFooterFile(inFolder(*folder, kFooterFile), printerFooters.records);
    }
    if (!error && folder && bindings) {
        error = WriteBindingFile(inFolder(*folder, kBindingFile), printerBindings.records);
    }
    // Whole, or not a snapshot at all: restore never finds half of one.
    std::optional<std::string> done;
    if (!error && !(done = Snapshots::finish(*folder, reason))) {
        error = FileError{*folder, reason};
    }
    if (error) {
        if (folder) {
            Snapshots::drop(*folder);
        }
        complain(snapshotLine(
            fill(_("%1: %2; nothing was changed"), {error->name, error->reason})));
        return kExitFile;
    }
    complain(snapshotLine(*done));
    return kExitOk;
}

int Session::write(bool footers, bool bindings) {
    // A file that is not whole is refused before anything is read or sent.
    const FooterFile footerFile = footers ? ReadFooterFile(m_names.FooterFileName) : FooterFile{};
    const BindingFile bindingFile =
        bindings ? ReadBindingFile(m_names.BindingFileName) : BindingFile{};
    if (footerFile.result != 0 || bindingFile.result != 0) {
        // Each file that is not whole is refused as the transfer refuses it; the other
        // waits, so that nothing goes out without its snapshot.
        int exit = kExitOk;
        std::uint16_t count = 0;
        if (footerFile.result != 0) {
            exit = report("Zapis stopek", m_transfers.WriteAllFooters(count), {}, {});
        }
        if (bindingFile.result != 0) {
            const int result =
                report("Zapis wiązań"_cp1250, m_transfers.WriteAllBindings(), {}, {});
            exit = exit == kExitOk ? result : exit;
        }
        return exit;
    }
    const bool selective = !m_options.all && !m_options.noSnapshot;
    PrinterFooters printerFooters;
    PrinterBindings printerBindings;
    if (!m_options.noSnapshot) {
        if (const int rc = takeSnapshot(footers, bindings, printerFooters, printerBindings);
            rc != kExitOk) {
            return rc;
        }
    }
    std::map<int, FooterRecord> heldFooters;
    for (const FooterRecord& record : printerFooters.records) {
        heldFooters[record.number] = record;
    }
    std::map<int, BindingRecord> heldBindings;
    for (const BindingRecord& record : printerBindings.records) {
        heldBindings[record.plu] = record;
    }
    // What differs from the printer goes, and is read back afterwards.
    std::vector<FooterRecord> sentFooters;
    std::vector<BindingRecord> sentBindings;
    const auto footerDiffers = [&](const FooterRecord& record) {
        const auto held = heldFooters.find(record.number);
        const bool differs =
            held == heldFooters.end() || !FooterDifferences({record}, {held->second}).empty();
        if (differs) {
            sentFooters.push_back(record);
            heldFooters[record.number] = record;  // a number given again meets this one
        }
        return differs;
    };
    const auto bindingDiffers = [&](const BindingRecord& record) {
        const auto held = heldBindings.find(record.plu);
        const bool differs = held == heldBindings.end() || held->second.footer != record.footer;
        if (differs) {
            sentBindings.push_back(record);
            heldBindings[record.plu] = record;
        }
        return differs;
    };
    const std::string stopped = " przerwany przez użytkownika"_cp1250;
    int exit = kExitOk;
    if (footers) {
        std::uint16_t count = 0;
        const ResultCode rc = selective ? m_transfers.WriteAllFooters(count, footerDiffers)
                                        : m_transfers.WriteAllFooters(count);
        const std::string done =
            selective ? fill(_(": OK, changed %1 of %2"),
                             {std::to_string(count), std::to_string(footerFile.records.size())})
                      : ": OK, zapisano " + std::to_string(count);
        m_changed += count;
        exit = report("Zapis stopek", rc, stopped, done);
    }
    if (bindings && exit != kExitStopped) {
        const ResultCode rc = selective ? m_transfers.WriteAllBindings(bindingDiffers)
                                        : m_transfers.WriteAllBindings();
        const std::string done =
            selective ? fill(_(": OK, changed %1 of %2"),
                             {std::to_string(sentBindings.size()),
                              std::to_string(bindingFile.records.size())})
                      : ": OK";
        m_changed += static_cast<long>(sentBindings.size());
        const int result = report("Zapis wiązań"_cp1250, rc, stopped, done);
        exit = exit == kExitOk ? result : exit;
    }
    if (exit != kExitOk) {
        return exit;
    }
    if (selective) {
        return verifyRecords(footers ? &sentFooters : nullptr, bindings ? &sentBindings : nullptr);
    }
    return m_options.verify ? verify(footers, bindings) : kExitOk;
}

int Session::erase(bool footers, bool bindings) {
    if (!m_options.noSnapshot) {
        PrinterFooters printerFooters;
        PrinterBindings printerBindings;
        if (const int rc = takeSnapshot(footers, bindings, printerFooters, printerBindings);
            rc != kExitOk) {
            return rc;
        }
    }
    const std::string stopped = " przerwane przez użytkownika"_cp1250;
    int exit = kExitOk;
    if (footers) {
        exit = report("Kasowanie stopek", m_transfers.EraseAllFooters(), stopped, ": OK");
    }
    if (bindings && exit != kExitStopped) {
        const int result =
            report("Kasowanie wiązań"_cp1250, m_transfers.EraseAllBindings(), stopped, ": OK");
        exit = exit == kExitOk ? result : exit;
    }
    return exit;
}

int Session::restore() {
    if (const int rc = connect(true); rc != kExitOk) {
        return rc;
    }
    stopOnCtrlC();
    // The snapshot to go back to is chosen before the restore takes one of its own.
    std::optional<std::string> folder = m_options.snapshot;
    if (!folder) {
        folder =
            m_snapshots.newest(speedKey(m_state.PortNumber), Cp1250ToUtf8(m_identity.numberText));
    }
    if (!folder) {
        complain(fill(_("no snapshot of printer no. %1 on %2"),
                      {Cp1250ToUtf8(m_identity.numberText), portName()}));
        return kExitFile;
    }
    std::error_code ec;
    const bool footers = std::filesystem::exists(FilePath(inFolder(*folder, kFooterFile)), ec);
    const bool bindings = std::filesystem::exists(FilePath(inFolder(*folder, kBindingFile)), ec);
    if (!footers && !bindings) {
        complain(fill(_("%1: not a snapshot"), {*folder}));
        return kExitFile;
    }
    m_names.FooterFileName = inFolder(*folder, kFooterFile);
    m_names.BindingFileName = inFolder(*folder, kBindingFile);
    complain(fill(_("Restoring: %1"), {*folder}));
    return write(footers, bindings);
}

int Session::listSnapshots() {
    for (const Snapshots::Entry& entry : m_snapshots.list()) {
        say(entry.printer + "  " + entry.time + "  " + entry.kinds + "  " +
            std::to_string(entry.size) + " B  " + entry.folder);
    }
    return kExitOk;
}

std::string snapshotLine(const std::string& text) {
    return _("Snapshot: ") + text;
}

bool isSnapshotLine(const std::string& line) {
    return line.rfind(_("Snapshot: "), 0) == 0;
}

}  // namespace kalvero::cli
