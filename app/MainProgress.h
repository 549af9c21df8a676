// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "link/ProgressView.h"

namespace kalvero {

// The main window's progress elements as its face shows them: the stop button
// bbPrzerwij, the operation label lOperacja and the bar pb. Texts are UTF-8.
class ProgressFace {
public:
    virtual ~ProgressFace() = default;
    virtual void showAbortButton(bool visible) = 0;
    virtual void showOperation(bool visible) = 0;
    virtual void setOperation(const std::string& text) = 0;
    virtual void showBar(bool visible) = 0;
    virtual void setBar(int minimum, int maximum, int value) = 0;
    // Draws the label and the bar now.
    virtual void repaintProgress() = 0;
    virtual void bringToFront() = 0;
    // Lets every waiting window event run once.
    virtual void processEvents() = 0;
};

// A bulk transfer's progress on the main window.
// A transfer steps thousands of times a second; the label and the bar are drawn
// at most every 25 ms (faster than an eye follows) and whenever they are shown,
// hidden or read, so that the drawing does not slow the transfer down.
class MainProgress final : public ProgressView {
public:
    explicit MainProgress(ProgressFace& face);

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
    // The stop button, shown before a transfer's first step.
    void showAbortButton();
    bool abortButtonShown() const { return m_abortShown; }
    // The end of a transfer: the button, the label and the bar go.
    void hideAll();
    // A line about the outcome that stays on the operation label after the transfer,
    // until the next operation begins.
    void showNote(const std::string& text);
    void clearNote();

private:
    ProgressFace& m_face;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_step = 1;
    int m_value = 0;
    std::string m_label;
    bool m_pending = false;
    std::optional<std::chrono::steady_clock::time_point> m_drawn;
    bool m_note = false;  // the label shows a note
    bool m_abortShown = false;
};

}  // namespace kalvero
