// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>

#include "app/MainProgress.h"
#include "link/OperatingState.h"
#include "app/StatusPanels.h"
#include "ui/WindowLinks.h"

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace kalvero {

class Messages;
class PrinterCommands;
struct Services;
class WinSer;

// The main window: the menu every operation starts from, the connection state
// in the status bar, and the progress elements the bulk transfers drive.
class TfGlowna : public QMainWindow, public EditorHost, public ConnectionHost, public TransferHost {
    Q_OBJECT
public:
    // The windows the menu opens, created after this one and handed over by startup.
    struct Windows {
        ConnectionDialog* fKomunikacja = nullptr;
        ExchangeDialog* fWymiana = nullptr;
        EditorWindow* fStopka = nullptr;
        QWidget* AboutBox = nullptr;
        StatusWindow* fStan = nullptr;
        QList<QWidget*> all;  // every other window: they wait while a transfer runs
    };

    // Scans the serial ports, as creating the main window does.
    explicit TfGlowna(Services& services);

    void setWindows(const Windows& windows) { m_windows = windows; }
    MainProgress& progress() { return m_progress; }
    QString panelText(int panel) const { return sbOru->panelText(panel); }

    // EditorHost
    void setEditorOpen(bool open) override;
    QPoint editorCentre() const override { return geometry().center(); }
    // ConnectionHost
    bool busy() const override { return m_busy; }
    void showConnecting(std::uint8_t port) override;
    void showConnectionByHand(const Connection& connection) override;
    // TransferHost
    void enableInput() override;
    void beginTransfer() override;
    void endTransfer() override;
    bool closeRequested() const override { return m_closeRequested; }
    void printerLost() override;

    // The progress elements, as MainProgress built them.
    QLabel* lOperacja = nullptr;
    QProgressBar* pb = nullptr;
    QPushButton* bbPrzerwij = nullptr;

public slots:
    void Wykryjautomatycznie1Click();
    void Trybonline1Click();
    void Tryboffline1Click();
    void Koniecprogramu1Click();
    void Odczyt1Click();
    void Zapis1Click();
    void Kasowanie1Click();
    void Definiowaniestopek1Click();
    void Standrukarki1Click();
    void Oprogramie1Click();
    void bbPrzerwijClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption,
                      void (TfGlowna::*handler)());
    void showOnlineMarks(bool online);
    void setExchangeEntriesEnabled(bool enabled);
    void setEditorEntryEnabled(bool enabled);
    void setBusy(bool busy);
    // The status bar, marks and entries for what a connection came to.
    void showConnection(const Connection& connection, const QString& notFound);
    bool ensureConnected();
    void openExchange(ExchangeKind kind);
    void setItemNameVisible(bool visible);
    int channel() const;

    WinSer& m_serial;
    OperatingState& m_state;
    Messages& m_messages;
    PrinterCommands& m_commands;
    MainProgress m_progress;
    Windows m_windows;
    bool m_busy = false;
    bool m_closeRequested = false;
    bool m_editorOpen = false;

    StatusPanels* sbOru = nullptr;
    QAction* Trybonline1 = nullptr;
    QAction* Tryboffline1 = nullptr;
    QAction* Odczyt1 = nullptr;
    QAction* Zapis1 = nullptr;
    QAction* Kasowanie1 = nullptr;
    QAction* Definiowaniestopek1 = nullptr;
};

}  // namespace kalvero
