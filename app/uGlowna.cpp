// SPDX-License-Identifier: MIT
#include "app/uGlowna.h"

#include <array>

#include "data/Cp1250.h"
#include "data/ResultText.h"
#include "link/Connecting.h"
#include "link/PrinterCommands.h"
#include "link/WinSer.h"
#include "ui/Services.h"
#include "ui/Text.h"

namespace kalvero {

TfGlowna::TfGlowna(Services& services, MainWindowFace& face)
    : m_serial(services.serial),
      m_state(services.state),
      m_commands(services.commands),
      m_face(face),
      m_progress(face) {
    m_face.attach(*this);
    m_face.setPanel(0, "OFFLINE");
    showOnlineMarks(false);
    m_face.showEntry(MenuEntry::Standrukarki1, false);
    m_progress.hideAll();
    ScanSerialPorts(m_serial, m_state.PortPresent);
}

void TfGlowna::showOnlineMarks(bool online) {
    m_face.checkEntry(MenuEntry::Trybonline1, online);
    m_face.checkEntry(MenuEntry::Tryboffline1, !online);
}

void TfGlowna::setExchangeEntriesEnabled(bool enabled) {
    for (const MenuEntry entry : {MenuEntry::Odczyt1, MenuEntry::Zapis1, MenuEntry::Kasowanie1}) {
        m_face.enableEntry(entry, enabled);
    }
}

// The hourglass while a connection attempt or a transfer runs; commands other
// than "Przerwij" wait until it is over.
void TfGlowna::setBusy(bool busy) {
    m_busy = busy;
    m_face.setBusy(busy);
}

void TfGlowna::clearPanels() {
    for (int panel = 0; panel < 3; ++panel) {
        m_face.setPanel(panel, {});
    }
}

void TfGlowna::beginTransfer() {
    m_progress.showAbortButton();
    // "Przerwij" must act, even over a footer editor opened beside the dialog.
    m_face.setEnabled(true);
    setBusy(true);
    m_face.enableMenu(false);
    for (WindowFace* window : m_windows.all) {
        window->setEnabled(false);
    }
}

void TfGlowna::setEditorOpen(bool open) {
    m_editorOpen = open;
    m_face.setEnabled(!open);
}

void TfGlowna::enableInput() {
    m_face.setEnabled(!m_editorOpen);
}

void TfGlowna::endTransfer() {
    for (WindowFace* window : m_windows.all) {
        window->setEnabled(true);
    }
    m_face.enableMenu(true);
    setBusy(false);
    enableInput();
    m_progress.hideAll();
    if (m_closeRequested) {
        m_closeRequested = false;
        m_face.close();
    }
}

void TfGlowna::setItemNameVisible(bool visible) {
    if (m_windows.fStopka != nullptr) {
        m_windows.fStopka->setItemNameVisible(visible);
    }
}

int TfGlowna::channel() const {
    return m_windows.fKomunikacja != nullptr ? m_windows.fKomunikacja->channel() : 1;
}

void TfGlowna::showConnecting(std::uint8_t port) {
    clearPanels();
    setBusy(true);
    m_face.setPanel(1, "Wykrywanie... COM" + std::to_string(port));
    m_face.repaintPanels();
}

void TfGlowna::showConnection(const Connection& connection, const std::string& notFound) {
    TakeConnection(connection, m_state);
    if (connection.outcome == ConnectOutcome::Online) {
        m_face.setPanel(0, "ONLINE");
        m_face.setPanel(1, "DURAX ORU nr: " + Cp1250ToUtf8(connection.identity.numberText));
        m_face.setPanel(
            2, "COM" + std::to_string(m_state.PortNumber) + "," + std::to_string(m_state.BaudRate));
        showOnlineMarks(true);
        setExchangeEntriesEnabled(true);
    } else {
        m_face.setPanel(0, "OFFLINE");
        m_face.setPanel(1, offlineText(connection, notFound));
        m_face.setPanel(2, {});
        showOnlineMarks(false);
    }
    m_face.repaintPanels();
    setBusy(false);
    // The status bar has no room for the device and the mend.
    if (const std::string refusal = portRefusalInFull(connection); !refusal.empty()) {
        m_face.tell(refusal);
    }
}

void TfGlowna::showConnectionByHand(const Connection& connection) {
    showConnection(connection,
                   "Nie wykryto drukarki DURAX ORU na COM" + std::to_string(connection.port));
    m_face.enableEntry(MenuEntry::Definiowaniestopek1, m_state.OfflineMode == 0);
}

void TfGlowna::Wykryjautomatycznie1Click() {
    if (m_busy) {
        return;
    }
    m_progress.clearNote();
    clearPanels();
    setBusy(true);
    const Connection connection = DetectPrinter(
        m_serial, [this] { return channel(); }, m_state.PortPresent,
        [this](std::uint8_t port) {
            m_face.setPanel(1, "Wykrywanie... COM" + std::to_string(port));
            m_face.repaintPanels();
        });
    showConnection(connection, "Nie wykryto drukarki DURAX ORU...");
    if (connection.outcome == ConnectOutcome::Online) {
        setItemNameVisible(true);
        if (m_windows.fKomunikacja != nullptr) {
            m_windows.fKomunikacja->dismiss();
        }
    }
    m_face.enableEntry(MenuEntry::Definiowaniestopek1, true);
}

void TfGlowna::Trybonline1Click() {
    // The entry only shows the dialog: its mark follows the state, never the click.
    showOnlineMarks(m_state.OfflineMode == 0);
    if (!m_busy && m_windows.fKomunikacja != nullptr) {
        m_progress.clearNote();
        m_windows.fKomunikacja->open();
    }
}

void TfGlowna::Tryboffline1Click() {
    if (m_busy) {
        showOnlineMarks(m_state.OfflineMode == 0);
        return;
    }
    printerLost();
}

void TfGlowna::printerLost() {
    m_serial.UnInitializePort();
    m_state.OfflineMode = 1;
    setItemNameVisible(false);
    showOnlineMarks(false);
    m_face.setPanel(0, "OFFLINE");
    m_face.setPanel(1, {});
    m_face.setPanel(2, {});
    setExchangeEntriesEnabled(false);
    m_face.repaintPanels();
}

void TfGlowna::Koniecprogramu1Click() {
    if (m_busy) {
        return;
    }
    Tryboffline1Click();
    m_face.quit();
}

bool TfGlowna::ensureConnected() {
    if (m_state.OfflineMode == 1) {
        setItemNameVisible(false);
        if (!m_face.ask("Brak połączenia z drukarką etykiet", "Czy połączyć się z drukarką?")) {
            return false;
        }
        Wykryjautomatycznie1Click();
        if (m_state.OfflineMode == 1) {
            m_face.tell("Nie wykryto drukarki etykiet");
            return false;
        }
    }
    setItemNameVisible(true);
    return true;
}

void TfGlowna::openExchange(ExchangeKind kind) {
    m_progress.clearNote();
    m_windows.fWymiana->open(kind);
    m_state.ExchangeMode = kind;
}

void TfGlowna::Odczyt1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    openExchange(ExchangeKind::Read);
    m_face.setEnabled(false);
}

void TfGlowna::Zapis1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    m_progress.showBar(true);
    openExchange(ExchangeKind::Write);
}

void TfGlowna::Kasowanie1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    m_progress.showLabel(true);
    openExchange(ExchangeKind::Erase);
}

void TfGlowna::Definiowaniestopek1Click() {
    if (!m_busy && m_windows.fStopka != nullptr) {
        m_progress.clearNote();
        m_windows.fStopka->open();
    }
}

// Asks the port whether or not a printer is connected; the entry itself stays hidden.
void TfGlowna::Standrukarki1Click() {
    if (m_busy || m_windows.fStan == nullptr) {
        return;
    }
    m_progress.clearNote();
    m_windows.fStan->open();
    std::array<std::uint8_t, 4> status{};
    // Busy while it asks: nothing served meanwhile starts another exchange.
    setBusy(true);
    const ResultCode rc = m_commands.ReadPrinterStatus(status);
    setBusy(false);
    if (rc != 0) {
        m_face.tell(Cp1250ToUtf8(ResultText(rc)));
        return;
    }
    m_windows.fStan->showPrinterNumber(status[0] >> 4);
}

void TfGlowna::Oprogramie1Click() {
    if (m_windows.AboutBox != nullptr) {
        m_windows.AboutBox->open();
    }
}

void TfGlowna::bbPrzerwijClick() {
    m_state.AbortRequested = 1;
}

void TfGlowna::cancelKey() {
    if (m_progress.abortButtonShown()) {
        bbPrzerwijClick();
    }
}

// The port is closed on the way out.
bool TfGlowna::FormCloseQuery() {
    if (m_busy) {
        m_state.AbortRequested = 1;
        m_closeRequested = true;
        return false;
    }
    m_serial.UnInitializePort();
    m_face.quit();
    return true;
}

bool TfGlowna::SessionEndQuery() {
    return !m_busy || FormCloseQuery();
}

}  // namespace kalvero
