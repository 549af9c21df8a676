// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <csignal>
#include <string>

#include "link/OperatingState.h"
#include "link/ProgressView.h"

namespace kalvero {

// A bulk transfer's progress on standard error: one line updated in place on a
// terminal (a line a printer when several run at once), a plain line every tenth of
// the way otherwise. Ctrl+C asks the
// transfer to stop between two records, as the windows' "Przerwij" does.
class TerminalProgress final : public ProgressView {
public:
    explicit TerminalProgress(OperatingState& state);

    // Set by the SIGINT handler; read between records.
    static volatile std::sig_atomic_t interrupted;

    void setLabel(const std::string& text) override;
    void showLabel(bool visible) override;
    void setBar(int minimum, int maximum, int step) override;
    void showBar(bool /*visible*/) override {}
    void stepBar() override;
    void barToMaximum() override;
    void repaint() override;
    void bringToFront() override {}
    void PumpMessages() override;

private:
    void draw(bool force);

    OperatingState& m_state;
    bool m_terminal;
    bool m_board;  // one line among several printers' (cli::showProgress)
    std::string m_label;
    std::string m_printed;
    int m_minimum = 0;
    int m_maximum = 0;
    int m_value = 0;
    int m_lastTenth = -1;
    bool m_lineOpen = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

}  // namespace kalvero
