// SPDX-License-Identifier: MIT
#include "app/uWymiana.h"

#include <filesystem>

#include "app/MainProgress.h"
#include "data/Cp1250.h"
#include "data/FileNames.h"
#include "data/FilePath.h"
#include "data/ResultText.h"
#include "link/OperatingState.h"
#include "link/WinSer.h"
#include "ui/Recovery.h"
#include "ui/Services.h"

namespace kalvero {

std::string KeptApart(const std::vector<std::string>& files) {
    if (files.size() == 1) {
        return "Odczytane dane są w pliku " + files.front() + ", dotychczasowy plik jest bez zmian";
    }
    std::string joined;
    for (const std::string& file : files) {
        joined += (joined.empty() ? "" : " i ") + file;
    }
    return "Odczytane dane są w plikach " + joined + ", dotychczasowe pliki są bez zmian";
}

TfWymiana::TfWymiana(Services& services, TransferHost& host, MainProgress& progress,
                     ExchangeFace& face)
    : m_serial(services.serial),
      m_state(services.state),
      m_files(services.files),
      m_host(host),
      m_progress(progress),
      m_face(face),
      m_transfers(services.commands, services.files, services.state, progress) {
    m_face.attach(*this);
    FormCreate();
}

void TfWymiana::FormCreate() {
    std::error_code ec;
    m_face.setPickerFolder(std::filesystem::current_path(ec).string());
    m_face.showFileName(WymianaControl::Edit1, m_files.FooterFileName);
    m_face.showFileName(WymianaControl::Edit2, m_files.BindingFileName);
}

void TfWymiana::open(ExchangeKind kind) {
    static const char* const captions[] = {"Zapis danych do drukarki etykiet",
                                           "Odczyt danych z drukarki etykiet",
                                           "Kasowanie danych z drukarki etykiet"};
    static const char* const buttons[] = {"Zapis", "Odczyt", "Kasowanie"};
    const int index = static_cast<int>(kind) - 1;
    m_face.setCaption(captions[index]);
    m_face.setStartCaption(buttons[index]);
    for (const WymianaControl box : {WymianaControl::cbStopki, WymianaControl::cbWiazania}) {
        m_face.showControl(box, true);
        m_face.enableControl(box, true);
    }
    const bool files = kind != ExchangeKind::Erase;
    for (const WymianaControl control : {WymianaControl::Edit1, WymianaControl::sbZmienStopka,
                                         WymianaControl::Edit2, WymianaControl::sbZmienWiazania}) {
        m_face.showControl(control, files);
    }
    m_face.showControl(WymianaControl::Label1, kind == ExchangeKind::Read);
    m_face.showControl(WymianaControl::seMaxPLU, kind == ExchangeKind::Read);
    // Over the main window, where the eye already is.
    m_face.centreOverMainWindow();
    m_face.show();
}

void TfWymiana::pickFile(std::string& name, const std::string& other, WymianaControl field) {
    const std::optional<std::string> path = m_face.pickFile();
    if (!path) {
        return;
    }
    // One file cannot hold both: a read would keep only the bindings.
    if (SameFile(*path, other)) {
        m_face.tell("Plik stopek i plik wiązań muszą być różnymi plikami: " + *path);
        return;
    }
    name = *path;
    m_face.showFileName(field, *path);
}

void TfWymiana::sbZmienStopkaClick() {
    pickFile(m_files.FooterFileName, m_files.BindingFileName, WymianaControl::Edit1);
}

void TfWymiana::sbZmienWiazaniaClick() {
    pickFile(m_files.BindingFileName, m_files.FooterFileName, WymianaControl::Edit2);
}

void TfWymiana::bDalejClick() {
    m_state.AbortRequested = 0;
    m_face.hide();
    m_host.enableInput();
    m_host.beginTransfer();
    m_partialNotes.clear();
    m_printerLost = false;
    // Files an import left half-way are never read or sent.
    if (RecoverDataFiles(m_files, m_host.overMainWindow())) {
        runTransfers();
    }
    m_host.endTransfer();
    // Stays after the transfer, on the operation label, until the next operation.
    if (!m_partialNotes.empty()) {
        m_progress.showNote(KeptApart(m_partialNotes));
    }
}

// Footers first, then bindings, each only when ticked; the binding transfer runs
// whatever became of the footer one, unless the main window is closing.
void TfWymiana::runTransfers() {
    struct Transfer {
        ExchangeKind kind;
        bool footers;  // else the bindings
        // done comes in as the row's text and leaves as the text to show.
        ResultCode (*run)(TfWymiana& dialog, std::string& done);
        const char* stopped;
        const char* done;
    };
    static const Transfer transfers[] = {
        {ExchangeKind::Write, true,
         [](TfWymiana& dialog, std::string& done) {
             std::uint16_t count = 0;
             const ResultCode rc = dialog.m_transfers.WriteAllFooters(count);
             done += std::to_string(count);
             return rc;
         },
         "Zapis stopek przerwany przez użytkownika", "Zapis stopek: OK, zapisano "},
        {ExchangeKind::Write, false,
         [](TfWymiana& dialog, std::string&) { return dialog.m_transfers.WriteAllBindings(); },
         "Zapis wiązań przerwany przez użytkownika", "Zapis wiązań: OK"},
        {ExchangeKind::Read, true,
         [](TfWymiana& dialog, std::string&) { return dialog.m_transfers.ReadAllFooters(); },
         "Odczyt stopek przerwany przez użytkownika", "Odczyt stopek: OK"},
        {ExchangeKind::Read, false,
         [](TfWymiana& dialog, std::string&) {
             return dialog.m_transfers.ReadAllBindings(
                 static_cast<std::uint16_t>(dialog.m_face.maxPlu()));
         },
         "Odczyt wiązań przerwany przez użytkownika", "Odczyt wiązań: OK"},
        {ExchangeKind::Erase, true,
         [](TfWymiana& dialog, std::string&) { return dialog.m_transfers.EraseAllFooters(); },
         "Kasowanie stopek przerwane przez użytkownika", "Kasowanie stopek: OK"},
        {ExchangeKind::Erase, false,
         [](TfWymiana& dialog, std::string&) { return dialog.m_transfers.EraseAllBindings(); },
         "Kasowanie wiązań przerwane przez użytkownika", "Kasowanie wiązań: OK"},
    };
    const bool footers = m_face.ticked(WymianaControl::cbStopki);
    const bool bindings = m_face.ticked(WymianaControl::cbWiazania);
    for (const Transfer& transfer : transfers) {
        if (transfer.kind != m_state.ExchangeMode || !(transfer.footers ? footers : bindings) ||
            (!transfer.footers && m_host.closeRequested())) {
            continue;
        }
        std::string done = transfer.done;
        const ResultCode rc = transfer.run(*this, done);
        report(rc, transfer.stopped, done);
        if (m_printerLost) {
            m_host.printerLost();
            break;  // said once: the bindings could not reach it either
        }
    }
}

void TfWymiana::report(ResultCode rc, const std::string& stopped, const std::string& done) {
    m_progress.flush();
    if (m_host.closeRequested()) {
        return;
    }
    // A read that did not finish says in its box where what came is.
    std::string kept;
    if (const auto& partial = m_transfers.partialFile()) {
        m_partialNotes.push_back(*partial);
        kept = "\n" + KeptApart({*partial});
    }
    if (rc == kFileErrorCode && m_transfers.fileError()) {
        const FileError& error = *m_transfers.fileError();
        m_host.overMainWindow().tell("Nie można zapisać pliku " + error.name + "\n" + error.reason +
                                     kept);
    } else if (rc != 0) {
        // A printer on the network whose server hung up: named with its address.
        std::string text = Cp1250ToUtf8(ResultText(rc));
        if (const auto gone =
                rc == serial::kTransmitTimeout ? m_serial.openFailure() : std::nullopt) {
            text += "; " + gone->reason;
            m_printerLost = true;
        }
        m_host.overMainWindow().tell(text + kept);
    } else if (m_state.AbortRequested != 0) {
        m_host.overMainWindow().tell(stopped + kept);
        m_state.AbortRequested = 0;
    } else {
        m_host.overMainWindow().tell(done);
    }
}

void TfWymiana::bAnulujClick() {
    m_face.hide();
    m_host.enableInput();
}

// The close box enables the main window and hides its operation label. The
// status bar stays: nothing would ever show it again.
void TfWymiana::FormClose() {
    m_host.enableInput();
    m_progress.showLabel(false);
}

}  // namespace kalvero
