// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kalvero {

// What a bulk transfer drives while it runs: the main window's operation label,
// progress bar, stop button and status bar (or a terminal's line). Texts are
// Windows-1250.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void setLabel(const std::string& text) = 0;
    virtual void showLabel(bool visible) = 0;
    virtual void setBar(int minimum, int maximum, int step) = 0;
    virtual void showBar(bool visible) = 0;
    virtual void stepBar() = 0;
    virtual void barToMaximum() = 0;
    // Repaints the label, the stop button and the status bar at once.
    virtual void repaint() = 0;
    virtual void bringToFront() = 0;
    // Lets every waiting window message run once; the only moment a stop is noticed.
    virtual void PumpMessages() = 0;
};

}  // namespace kalvero
