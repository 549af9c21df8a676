// SPDX-License-Identifier: MIT
#include "app/uGlowna.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include "link/Connecting.h"
#include "ui/Messages.h"
#include "link/PrinterCommands.h"
#include "data/ResultText.h"
#include "ui/Services.h"
#include "app/StatusPanels.h"
#include "ui/Text.h"
#include "link/WinSer.h"

namespace kalvero {

TfGlowna::TfGlowna(Services& services)
    : m_serial(services.serial),
      m_state(services.state),
      m_messages(services.messages),
      m_commands(services.commands),
      m_progress(*this) {
    lOperacja = m_progress.lOperacja;
    pb = m_progress.pb;
    bbPrzerwij = m_progress.bbPrzerwij;
    setObjectName(QStringLiteral("fGlowna"));
    setWindowTitle(QStringLiteral("Kalvero wersja beta"));
    resize(544, 373);
    buildMenu();
    sbOru = new StatusPanels(this);
    setStatusBar(sbOru);
    connect(bbPrzerwij, &QPushButton::clicked, this, &TfGlowna::bbPrzerwijClick);
    // The window's cancel button: Escape presses it while it is shown.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (bbPrzerwij->isVisible()) {
            bbPrzerwij->click();
        }
    });
    ScanSerialPorts(m_serial, m_state.PortPresent);
}

QAction* TfGlowna::addEntry(QMenu* menu, const char* name, const QString& caption,
                            void (TfGlowna::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TfGlowna::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menu"));

    QMenu* komunikacja = bar->addMenu(QStringLiteral("Komunikacja"));
    komunikacja->setObjectName(QStringLiteral("Komunikacja1"));
    addEntry(komunikacja, "Wykryjautomatycznie1", QStringLiteral("Tryb &online - automatycznie"),
             &TfGlowna::Wykryjautomatycznie1Click);
    Trybonline1 = addEntry(komunikacja, "Trybonline1", QStringLiteral("Tryb o&nline - ustaw port"),
                           &TfGlowna::Trybonline1Click);
    Tryboffline1 = addEntry(komunikacja, "Tryboffline1", QStringLiteral("Tryb o&ffline"),
                            &TfGlowna::Tryboffline1Click);
    addEntry(komunikacja, "Koniecprogramu1", QStringLiteral("&Koniec programu"),
             &TfGlowna::Koniecprogramu1Click);
    Trybonline1->setCheckable(true);
    Tryboffline1->setCheckable(true);
    showOnlineMarks(false);

    QMenu* wymiana = bar->addMenu(QStringLiteral("Wymiana danych"));
    wymiana->setObjectName(QStringLiteral("Wymianadanych1"));
    Odczyt1 = addEntry(wymiana, "Odczyt1", QStringLiteral("Odczyt "), &TfGlowna::Odczyt1Click);
    Zapis1 = addEntry(wymiana, "Zapis1", QStringLiteral("Zapis"), &TfGlowna::Zapis1Click);
    Kasowanie1 =
        addEntry(wymiana, "Kasowanie1", QStringLiteral("Kasowanie"), &TfGlowna::Kasowanie1Click);

    QMenu* definiowanie = bar->addMenu(QStringLiteral("Definiowanie"));
    definiowanie->setObjectName(QStringLiteral("Definiowanie1"));
    Definiowaniestopek1 =
        addEntry(definiowanie, "Definiowaniestopek1", QStringLiteral("Definiowanie stopek"),
                 &TfGlowna::Definiowaniestopek1Click);

    QAction* stan = bar->addAction(QStringLiteral("Stan drukarki"));
    stan->setObjectName(QStringLiteral("Standrukarki1"));
    stan->setVisible(false);
    connect(stan, &QAction::triggered, this, &TfGlowna::Standrukarki1Click);

    QMenu* pomoc = bar->addMenu(QStringLiteral("Pomoc"));
    pomoc->setObjectName(QStringLiteral("Pomoc1"));
    addEntry(pomoc, "Oprogramie1", QStringLiteral("O programie"), &TfGlowna::Oprogramie1Click);
}

void TfGlowna::showOnlineMarks(bool online) {
    Trybonline1->setChecked(online);
    Tryboffline1->setChecked(!online);
}

void TfGlowna::setExchangeEntriesEnabled(bool enabled) {
    Odczyt1->setEnabled(enabled);
    Zapis1->setEnabled(enabled);
    Kasowanie1->setEnabled(enabled);
}

void TfGlowna::setEditorEntryEnabled(bool enabled) {
    Definiowaniestopek1->setEnabled(enabled);
}

// The hourglass while a connection attempt or a transfer runs; commands other
// than "Przerwij" wait until it is over.
void TfGlowna::setBusy(bool busy) {
    m_busy = busy;
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void TfGlowna::beginTransfer() {
    bbPrzerwij->show();
    // "Przerwij" must act, even over a footer editor opened beside the dialog.
    setEnabled(true);
    setBusy(true);
    menuBar()->setEnabled(false);
    for (QWidget* window : m_windows.all) {
        window->setEnabled(false);
    }
}

void TfGlowna::setEditorOpen(bool open) {
    m_editorOpen = open;
    setEnabled(!open);
}

void TfGlowna::enableInput() {
    setEnabled(!m_editorOpen);
}

void TfGlowna::endTransfer() {
    for (QWidget* window : m_windows.all) {
        window->setEnabled(true);
    }
    menuBar()->setEnabled(true);
    setBusy(false);
    enableInput();
    m_progress.hideAll();
    if (m_closeRequested) {
        close();
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
    sbOru->clear();
    setBusy(true);
    sbOru->setPanel(1, QStringLiteral("Wykrywanie... COM%1").arg(port));
    sbOru->repaint();
}

void TfGlowna::showConnection(const Connection& connection, const QString& notFound) {
    TakeConnection(connection, m_state);
    if (connection.outcome == ConnectOutcome::Online) {
        sbOru->setPanel(0, QStringLiteral("ONLINE"));
        sbOru->setPanel(1, QStringLiteral("DURAX ORU nr: ") + printerNumber(connection.identity));
        sbOru->setPanel(2,
                        QStringLiteral("COM%1,%2").arg(m_state.PortNumber).arg(m_state.BaudRate));
        showOnlineMarks(true);
        setExchangeEntriesEnabled(true);
    } else {
        sbOru->setPanel(0, QStringLiteral("OFFLINE"));
        sbOru->setPanel(1, offlineText(connection, notFound));
        sbOru->setPanel(2, QString());
        showOnlineMarks(false);
    }
    sbOru->repaint();
    setBusy(false);
    // The status bar has no room for the device and the mend.
    if (const QString refusal = portRefusalInFull(connection); !refusal.isEmpty()) {
        m_messages.inform(this, refusal);
    }
}

void TfGlowna::showConnectionByHand(const Connection& connection) {
    showConnection(connection,
                   QStringLiteral("Nie wykryto drukarki DURAX ORU na COM%1").arg(connection.port));
    setEditorEntryEnabled(m_state.OfflineMode == 0);
}

void TfGlowna::Wykryjautomatycznie1Click() {
    if (m_busy) {
        return;
    }
    m_progress.clearNote();
    sbOru->clear();
    setBusy(true);
    const Connection connection = DetectPrinter(
        m_serial, [this] { return channel(); }, m_state.PortPresent,
        [this](std::uint8_t port) {
            sbOru->setPanel(1, QStringLiteral("Wykrywanie... COM%1").arg(port));
            sbOru->repaint();
        });
    showConnection(connection, QStringLiteral("Nie wykryto drukarki DURAX ORU..."));
    if (connection.outcome == ConnectOutcome::Online) {
        setItemNameVisible(true);
        if (m_windows.fKomunikacja != nullptr) {
            m_windows.fKomunikacja->dismiss();
        }
    }
    setEditorEntryEnabled(true);
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
    sbOru->setPanel(0, QStringLiteral("OFFLINE"));
    sbOru->setPanel(1, QString());
    sbOru->setPanel(2, QString());
    setExchangeEntriesEnabled(false);
    sbOru->repaint();
}

void TfGlowna::Koniecprogramu1Click() {
    if (m_busy) {
        return;
    }
    Tryboffline1Click();
    QApplication::quit();
}

bool TfGlowna::ensureConnected() {
    if (m_state.OfflineMode == 1) {
        setItemNameVisible(false);
        if (!m_messages.ask(this, QStringLiteral("Brak połączenia z drukarką etykiet"),
                            QStringLiteral("Czy połączyć się z drukarką?"))) {
            return false;
        }
        Wykryjautomatycznie1Click();
        if (m_state.OfflineMode == 1) {
            m_messages.inform(this, QStringLiteral("Nie wykryto drukarki etykiet"));
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
    setEnabled(false);
}

void TfGlowna::Zapis1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    pb->show();
    openExchange(ExchangeKind::Write);
}

void TfGlowna::Kasowanie1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    lOperacja->show();
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
        m_messages.inform(this, toQt(ResultText(rc)));
        return;
    }
    m_windows.fStan->showPrinterNumber(status[0] >> 4);
}

void TfGlowna::Oprogramie1Click() {
    if (m_windows.AboutBox != nullptr) {
        m_windows.AboutBox->show();
        m_windows.AboutBox->raise();
        m_windows.AboutBox->activateWindow();
    }
}

void TfGlowna::bbPrzerwijClick() {
    m_state.AbortRequested = 1;
}

// Closing by the frame ends the program; the port is closed on the way out. A
// running transfer is asked to stop first, and the window closes when it has.
void TfGlowna::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        m_state.AbortRequested = 1;
        m_closeRequested = true;
        event->ignore();
        return;
    }
    m_serial.UnInitializePort();
    event->accept();
    QApplication::quit();
}

}  // namespace kalvero
