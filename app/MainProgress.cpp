#include "MainProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "Text.h"
#include "uGlowna.h"

namespace kalvero {

namespace {
constexpr qint64 kFrameMs = 25;
}

void MainProgress::flush() {
    if (m_pending) {
        m_glowna.lOperacja->setText(m_label);
        m_glowna.pb->setValue(m_value);
        m_pending = false;
    }
}

void MainProgress::setLabel(const std::string& text) {
    m_label = toQt(text);
    m_pending = true;
}

void MainProgress::showLabel(bool visible) {
    flush();
    m_glowna.lOperacja->setVisible(visible);
}

void MainProgress::setBar(int minimum, int maximum, int step) {
    flush();
    m_glowna.pb->setRange(minimum, maximum);
    m_value = m_glowna.pb->value();
    m_step = step;
}

void MainProgress::showBar(bool visible) {
    flush();
    m_glowna.pb->setVisible(visible);
}

// Past the maximum the bar starts again from its minimum, as a stepped bar does.
void MainProgress::stepBar() {
    const QProgressBar* bar = m_glowna.pb;
    const int next = std::max(m_value, bar->minimum()) + m_step;
    m_value = next > bar->maximum() ? bar->minimum() : next;
    m_pending = true;
}

void MainProgress::barToMaximum() {
    m_value = m_glowna.pb->maximum();
    m_pending = true;
    flush();
}

// The label and the bar carry the news; the button and the status bar do not
// change during a transfer, and the message pump draws them whenever they need it.
void MainProgress::repaint() {
    if (m_pending && (!m_sinceDrawn.isValid() || m_sinceDrawn.elapsed() >= kFrameMs)) {
        flush();
        m_glowna.lOperacja->repaint();
        m_glowna.pb->repaint();
        m_sinceDrawn.start();
    }
}

void MainProgress::bringToFront() {
    if (!m_glowna.isActiveWindow()) {
        m_glowna.raise();
    }
}

void MainProgress::PumpMessages() {
    QApplication::processEvents();
}

}  // namespace kalvero
