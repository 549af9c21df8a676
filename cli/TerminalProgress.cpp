// SPDX-License-Identifier: MIT
#include "cli/TerminalProgress.h"

#include <cstdio>

#include "cli/Output.h"
#include "cli/ConsoleText.h"
#include "data/Cp1250.h"

namespace kalvero {

volatile std::sig_atomic_t TerminalProgress::interrupted = 0;

TerminalProgress::TerminalProgress(OperatingState& state)
    : m_state(state),
      m_terminal(cli::redrawsLines(stderr) && cli::verbosity() != cli::Verbosity::Quiet),
      // Several printers at once share the terminal: a line each, named by port.
      m_board(m_terminal && !cli::outputPrefix().empty()) {}

void TerminalProgress::setLabel(const std::string& text) {
    m_label = Cp1250ToUtf8(text);
}

void TerminalProgress::showLabel(bool visible) {
    if (!visible && !m_board) {
        draw(true);
        if (m_lineOpen) {
            std::fputc('\n', stderr);
            m_lineOpen = false;
        }
    }
}

void TerminalProgress::setBar(int minimum, int maximum, int /*step*/) {
    m_minimum = minimum;
    m_maximum = maximum;
    m_value = minimum;
    m_lastTenth = -1;
}

void TerminalProgress::stepBar() {
    ++m_value;
}

void TerminalProgress::barToMaximum() {
    m_value = m_maximum;
}

void TerminalProgress::repaint() {
    draw(false);
}

void TerminalProgress::PumpMessages() {
    if (interrupted != 0) {
        m_state.AbortRequested = 1;
    }
}

void TerminalProgress::draw(bool force) {
    const int span = std::max(1, m_maximum - m_minimum);
    if (m_terminal) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - m_lastDraw < std::chrono::milliseconds(100)) {
            return;
        }
        m_lastDraw = now;
        if (m_board) {
            cli::showProgress(m_label);
            return;
        }
        cli::writeText(stderr, "\r\033[K" + m_label);
        m_lineOpen = true;
    } else if (cli::verbosity() == cli::Verbosity::Verbose) {
        // A log or a pipe gets progress only when asked: cron mails what it is given.
        const int tenth = std::clamp((m_value - m_minimum) * 10 / span, 0, 10);
        if ((tenth != m_lastTenth || force) && m_label != m_printed) {
            m_lastTenth = tenth;
            m_printed = m_label;
            cli::writeText(stderr, cli::outputPrefix() + m_label + "\n");
        }
    }
    std::fflush(stderr);
}

}  // namespace kalvero
