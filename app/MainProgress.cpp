#include "MainProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "Text.h"
#include "uGlowna.h"

namespace kalvero {

void MainProgress::setLabel(const std::string& text) { m_glowna.lOperacja->setText(toQt(text)); }

void MainProgress::showLabel(bool visible) { m_glowna.lOperacja->setVisible(visible); }

void MainProgress::setBar(int minimum, int maximum, int step) {
    m_glowna.pb->setRange(minimum, maximum);
    m_step = step;
}

void MainProgress::showBar(bool visible) { m_glowna.pb->setVisible(visible); }

// Past the maximum the bar starts again from its minimum, as a stepped bar does.
void MainProgress::stepBar() {
    QProgressBar* bar = m_glowna.pb;
    const int next = bar->value() + m_step;
    bar->setValue(next > bar->maximum() ? bar->minimum() : next);
}

void MainProgress::barToMaximum() { m_glowna.pb->setValue(m_glowna.pb->maximum()); }

void MainProgress::repaint() {
    m_glowna.lOperacja->repaint();
    m_glowna.bbPrzerwij->repaint();
    m_glowna.statusBar()->repaint();
}

void MainProgress::bringToFront() {
    if (!m_glowna.isActiveWindow()) {
        m_glowna.raise();
    }
}

void MainProgress::PumpMessages() { QApplication::processEvents(); }

}  // namespace kalvero
