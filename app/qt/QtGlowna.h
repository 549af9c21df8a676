// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <map>

#include "app/uGlowna.h"
#include "ui/qt/Frame.h"
#include "ui/qt/QtWindowFace.h"

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kalvero {

class StatusPanels;

// The main window drawn with Qt: the menu, the status bar sbOru and, above it at the
// right, the stop button, the operation label and the bar.
class QtGlowna final : public QtWindowFace<MainWindowFace> {
public:
    explicit QtGlowna(MessageBoxes& boxes);

    QMainWindow& window() const { return m_window; }
    QString panelText(int panel) const;

    void attach(TfGlowna& window) override;
    void setPanel(int panel, const std::string& text) override;
    void repaintPanels() override;
    void checkEntry(MenuEntry entry, bool checked) override;
    void enableEntry(MenuEntry entry, bool enabled) override;
    void showEntry(MenuEntry entry, bool visible) override;
    void enableMenu(bool enabled) override;
    void close() override { m_window.close(); }
    void quit() override;

    void showAbortButton(bool visible) override;
    void showOperation(bool visible) override;
    void setOperation(const std::string& text) override;
    void showBar(bool visible) override;
    void setBar(int minimum, int maximum, int value) override;
    void repaintProgress() override;
    void bringToFront() override;
    void processEvents() override;

private:
    void buildMenu(TfGlowna& window);
    void buildProgress();

    Frame<QMainWindow>& m_window;
    StatusPanels* sbOru = nullptr;
    std::map<MenuEntry, QAction*> m_entries;
    QLabel* lOperacja = nullptr;
    QProgressBar* pb = nullptr;
    QPushButton* bbPrzerwij = nullptr;
};

}  // namespace kalvero
