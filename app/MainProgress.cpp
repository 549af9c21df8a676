// SPDX-License-Identifier: MIT
#include "app/MainProgress.h"

#include <algorithm>

#include "data/Cp1250.h"

namespace kalvero {

namespace {
constexpr std::chrono::milliseconds kFrame{25};
}  // namespace

MainProgress::MainProgress(ProgressFace& face) : m_face(face) {}

void MainProgress::showAbortButton() {
    m_abortShown = true;
    m_face.showAbortButton(true);
}

void MainProgress::hideAll() {
    flush();
    m_abortShown = false;
    m_face.showAbortButton(false);
    m_face.showOperation(false);
    m_face.showBar(false);
}

void MainProgress::flush() {
    if (m_pending) {
        m_face.setOperation(m_label);
        m_face.setBar(m_minimum, m_maximum, m_value);
        m_pending = false;
    }
}

void MainProgress::setLabel(const std::string& text) {
    m_label = Cp1250ToUtf8(text);
    m_pending = true;
}

void MainProgress::showNote(const std::string& text) {
    m_label = text;
    m_pending = true;
    showLabel(true);
    m_note = true;
}

void MainProgress::clearNote() {
    if (m_note) {
        m_note = false;
        m_label.clear();
        m_pending = true;
        showLabel(false);
    }
}

void MainProgress::showLabel(bool visible) {
    flush();
    m_face.showOperation(visible);
}

// A new range keeps the position, brought within it, as a bar does.
void MainProgress::setBar(int minimum, int maximum, int step) {
    flush();
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    m_step = step;
    m_face.setBar(m_minimum, m_maximum, m_value);
}

void MainProgress::showBar(bool visible) {
    flush();
    m_face.showBar(visible);
}

// Past the maximum the bar starts again from its minimum, as a stepped bar does.
void MainProgress::stepBar() {
    const int next = std::max(m_value, m_minimum) + m_step;
    m_value = next > m_maximum ? m_minimum : next;
    m_pending = true;
}

void MainProgress::barToMaximum() {
    m_value = m_maximum;
    m_pending = true;
    flush();
}

// The label and the bar carry the news; the button and the status bar do not
// change during a transfer, and the event loop draws them whenever they need it.
void MainProgress::repaint() {
    const auto now = std::chrono::steady_clock::now();
    if (m_pending && (!m_drawn || now - *m_drawn >= kFrame)) {
        flush();
        m_face.repaintProgress();
        m_drawn = now;
    }
}

void MainProgress::bringToFront() {
    m_face.bringToFront();
}

void MainProgress::PumpMessages() {
    m_face.processEvents();
}

}  // namespace kalvero
