#include "uGlowna.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

#include "Connecting.h"
#include "Messages.h"
#include "PrinterCommands.h"
#include "ResultText.h"
#include "Services.h"
#include "Text.h"
#include "WinSer.h"
#include "opr.h"
#include "stan.h"
#include "uKomunikacja.h"
#include "uStopki.h"
#include "uWymiana.h"

namespace kalvero {

TfGlowna::TfGlowna(Services& services)
    : m_serial(services.serial),
      m_state(services.state),
      m_messages(services.messages),
      m_commands(services.commands) {
    setObjectName(QStringLiteral("fGlowna"));
    setWindowTitle(QStringLiteral("Kalvero wersja beta"));
    resize(544, 373);
    buildMenu();
    buildStatusBar();
    buildProgress();
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

void TfGlowna::buildStatusBar() {
    sbOru = new QStatusBar(this);
    sbOru->setObjectName(QStringLiteral("sbOru"));
    sbOru->setSizeGripEnabled(false);
    sbOru->setFixedHeight(32);
    QFont font = sbOru->font();
    font.setFamilies(
        {QStringLiteral("Arial CE"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setBold(true);
    font.setPixelSize(16);
    // The last panel takes the rest of the bar, as the window is narrower than the
    // three widths together (80 + 340 + 140).
    const std::array<int, 3> widths{80, 340, 140};
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        QLabel* panel = new QLabel(sbOru);
        panel->setObjectName(QStringLiteral("sbOruPanel%1").arg(i));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFont(font);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i + 1 < m_panels.size()) {
            panel->setFixedWidth(widths[i]);
            sbOru->addWidget(panel);
        } else {
            panel->setMinimumWidth(0);
            panel->setMaximumWidth(widths[i]);
            sbOru->addWidget(panel, 1);
        }
        m_panels[i] = panel;
    }
    m_panels[0]->setText(QStringLiteral("OFFLINE"));
    setStatusBar(sbOru);
}

// Button, then the label above the progress bar, just above the status bar at the right.
void TfGlowna::buildProgress() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->addStretch();
    auto* row = new QHBoxLayout;
    row->addStretch();
    bbPrzerwij = new QPushButton(QStringLiteral("Przerwij"), central);
    bbPrzerwij->setObjectName(QStringLiteral("bbPrzerwij"));
    bbPrzerwij->setFocusPolicy(Qt::NoFocus);
    connect(bbPrzerwij, &QPushButton::clicked, this, &TfGlowna::bbPrzerwijClick);
    // The window's cancel button: Escape presses it while it is shown.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (bbPrzerwij->isVisible()) {
            bbPrzerwij->click();
        }
    });
    row->addWidget(bbPrzerwij, 0, Qt::AlignBottom);
    auto* progress = new QVBoxLayout;
    lOperacja = new QLabel(central);
    lOperacja->setObjectName(QStringLiteral("lOperacja"));
    pb = new QProgressBar(central);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setRange(0, 100);
    pb->setTextVisible(false);
    pb->setFixedWidth(250);
    progress->addWidget(lOperacja);
    progress->addWidget(pb);
    row->addLayout(progress);
    column->addLayout(row);
    setCentralWidget(central);
    bbPrzerwij->hide();
    lOperacja->hide();
    pb->hide();
}

void TfGlowna::setPanel(int panel, const QString& text) {
    m_panels.at(panel)->setText(text);
}

QString TfGlowna::panelText(int panel) const {
    return m_panels.at(panel)->text();
}

void TfGlowna::repaintStatus() {
    sbOru->repaint();
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
}

void TfGlowna::setItemNameVisible(bool visible) {
    if (m_windows.fStopka != nullptr) {
        m_windows.fStopka->setItemNameVisible(visible);
    }
}

int TfGlowna::channel() const {
    return m_windows.fKomunikacja != nullptr ? m_windows.fKomunikacja->channel() : 1;
}

void TfGlowna::goOnline(const QString& numberText) {
    setPanel(0, QStringLiteral("ONLINE"));
    setPanel(1, QStringLiteral("DURAX ORU nr: ") + numberText);
    setPanel(2, QStringLiteral("COM%1,%2").arg(m_state.PortNumber).arg(m_state.BaudRate));
    repaintStatus();
    m_state.OfflineMode = 0;
}

void TfGlowna::goOfflineWith(const QString& reason) {
    setPanel(0, QStringLiteral("OFFLINE"));
    setPanel(1, reason);
    setPanel(2, QString());
    repaintStatus();
    m_state.OfflineMode = 1;
    showOnlineMarks(false);
}

void TfGlowna::Wykryjautomatycznie1Click() {
    if (m_busy) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        setPanel(i, QString());
    }
    setBusy(true);
    const DetectResult found = DetectPrinter(
        m_serial, [this] { return channel(); }, m_state.PortPresent,
        [this](std::uint8_t port) {
            setPanel(1, QStringLiteral("Wykrywanie... COM%1").arg(port));
            repaintStatus();
        });
    if (found.port == 0) {
        goOfflineWith(QStringLiteral("Nie wykryto drukarki DURAX ORU..."));
    } else {
        m_state.PortNumber = found.port;
        m_state.BaudRate = found.attempt.baudRate;
        if (found.attempt.identity.version < 4) {
            goOfflineWith(QStringLiteral("Wersja programu w drukarce etykiet mniejsza niż 4"));
        } else {
            goOnline(printerNumber(found.attempt.identity));
            setItemNameVisible(true);
            showOnlineMarks(true);
            setExchangeEntriesEnabled(true);
            if (m_windows.fKomunikacja != nullptr) {
                m_windows.fKomunikacja->hide();
            }
        }
    }
    setBusy(false);
    setEditorEntryEnabled(true);
}

void TfGlowna::Trybonline1Click() {
    // The entry only shows the dialog: its mark follows the state, never the click.
    showOnlineMarks(m_state.OfflineMode == 0);
    if (!m_busy && m_windows.fKomunikacja != nullptr) {
        m_windows.fKomunikacja->show();
        m_windows.fKomunikacja->raise();
    }
}

void TfGlowna::Tryboffline1Click() {
    if (m_busy) {
        showOnlineMarks(m_state.OfflineMode == 0);
        return;
    }
    m_serial.UnInitializePort();
    m_state.OfflineMode = 1;
    setItemNameVisible(false);
    showOnlineMarks(false);
    setPanel(0, QStringLiteral("OFFLINE"));
    setPanel(1, QString());
    setPanel(2, QString());
    setExchangeEntriesEnabled(false);
    repaintStatus();
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

void TfGlowna::Odczyt1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    m_windows.fWymiana->prepare(ExchangeKind::Read);
    m_windows.fWymiana->show();
    m_windows.fWymiana->raise();
    setEnabled(false);
    m_state.ExchangeMode = 2;
}

void TfGlowna::Zapis1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    m_windows.fWymiana->prepare(ExchangeKind::Write);
    pb->show();
    m_windows.fWymiana->show();
    m_windows.fWymiana->raise();
    m_state.ExchangeMode = 1;
}

void TfGlowna::Kasowanie1Click() {
    if (m_busy || !ensureConnected()) {
        return;
    }
    m_windows.fWymiana->prepare(ExchangeKind::Erase);
    lOperacja->show();
    m_windows.fWymiana->show();
    m_windows.fWymiana->raise();
    m_state.ExchangeMode = 3;
}

void TfGlowna::Definiowaniestopek1Click() {
    if (!m_busy && m_windows.fStopka != nullptr) {
        m_windows.fStopka->open();
    }
}

// Asks the port whether or not a printer is connected; the entry itself stays hidden.
void TfGlowna::Standrukarki1Click() {
    if (m_busy || m_windows.fStan == nullptr) {
        return;
    }
    m_windows.fStan->show();
    m_windows.fStan->raise();
    std::array<std::uint8_t, 4> status{};
    if (const ResultCode rc = m_commands.ReadPrinterStatus(status); rc != 0) {
        m_messages.inform(this, toQt(ResultText(rc)));
        return;
    }
    m_windows.fStan->Label1->setText(QString::number(status[0] >> 4));
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
