// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QString>

class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QWidget;

#include "link/ProgressView.h"

namespace kalvero {

// A bulk transfer's progress on the main window: the operation label lOperacja, the
// bar pb and the stop button bbPrzerwij, which it builds and owns.
// A transfer steps thousands of times a second; the label and the bar are drawn
// at most every 25 ms (faster than an eye follows) and whenever they are shown,
// hidden or read, so that the drawing does not slow the transfer down.
class MainProgress final : public ProgressView {
public:
    // Puts the button, then the label above the bar, at the bottom right of the window.
    explicit MainProgress(QMainWindow& window);

    void setLabel(const std::string& text) override;
    void showLabel(bool visible) override;
    void setBar(int minimum, int maximum, int step) override;
    void showBar(bool visible) override;
    void stepBar() override;
    void barToMaximum() override;
    void repaint() override;
    void bringToFront() override;
    void PumpMessages() override;

    // Puts the latest label text and bar position on the screen now.
    void flush();
    // The end of a transfer: the button, the label and the bar go.
    void hideAll();
    // A line about the outcome that stays on the operation label after the transfer,
    // until the next operation begins.
    void showNote(const QString& text);
    void clearNote();
    // The window that shows the progress, and the outcome's message boxes over it.
    QWidget& window() const;

    QLabel* const lOperacja;
    QProgressBar* const pb;
    QPushButton* const bbPrzerwij;

private:
    QMainWindow& m_window;
    int m_step = 1;
    QString m_label;
    int m_value = 0;
    bool m_pending = false;
    QElapsedTimer m_sinceDrawn;
    bool m_note = false;  // the label shows a note
};

}  // namespace kalvero
