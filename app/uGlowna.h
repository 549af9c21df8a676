#pragma once

#include <QMainWindow>
#include <array>

#include "OperatingState.h"
#include "WindowLinks.h"

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
class TfKomunikacja;
class TfWymiana;
class TAboutBox;
class TfStan;

// The main window: the menu every operation starts from, the connection state
// in the status bar, and the progress elements the bulk transfers drive.
class TfGlowna : public QMainWindow, public EditorHost {
    Q_OBJECT
public:
    struct Windows {
        TfKomunikacja* fKomunikacja = nullptr;
        TfWymiana* fWymiana = nullptr;
        EditorWindow* fStopka = nullptr;
        TAboutBox* AboutBox = nullptr;
        TfStan* fStan = nullptr;
        QList<QWidget*> all;  // every other window: they wait while a transfer runs
    };

    // Scans the serial ports, as creating the main window does.
    explicit TfGlowna(Services& services);

    // The other windows are created after this one; startup hands them over.
    void setWindows(const Windows& windows) { m_windows = windows; }

    // What connecting changes (also used by the communication dialog).
    void setPanel(int panel, const QString& text);
    QString panelText(int panel) const;
    void repaintStatus();
    void showOnlineMarks(bool online);
    void setExchangeEntriesEnabled(bool enabled);
    void setEditorEntryEnabled(bool enabled);
    void setBusy(bool busy);
    bool busy() const { return m_busy; }
    // While a transfer runs only "Przerwij" (and Escape) acts: the menu and the
    // other windows wait, and closing the main window asks the transfer to stop.
    void beginTransfer();
    void endTransfer();
    // While the footer editor is open the main window takes no input, whatever else
    // would enable it.
    void setEditorOpen(bool open) override;
    QPoint editorCentre() const override { return geometry().center(); }
    // Enables the window, unless the footer editor is open.
    void enableInput();
    bool closeRequested() const { return m_closeRequested; }
    void goOnline(const QString& numberText);
    void goOfflineWith(const QString& reason);

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
    void buildStatusBar();
    void buildProgress();
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption,
                      void (TfGlowna::*handler)());
    bool ensureConnected();
    void setItemNameVisible(bool visible);
    int channel() const;

    WinSer& m_serial;
    OperatingState& m_state;
    Messages& m_messages;
    PrinterCommands& m_commands;
    Windows m_windows;
    bool m_busy = false;
    bool m_closeRequested = false;
    bool m_editorOpen = false;

    QStatusBar* sbOru = nullptr;
    std::array<QLabel*, 3> m_panels{};
    QAction* Trybonline1 = nullptr;
    QAction* Tryboffline1 = nullptr;
    QAction* Odczyt1 = nullptr;
    QAction* Zapis1 = nullptr;
    QAction* Kasowanie1 = nullptr;
    QAction* Definiowaniestopek1 = nullptr;
};

}  // namespace kalvero
