// SPDX-License-Identifier: MIT
#include "app/MainProgress.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ElidedLabel.h"
#include "ui/Text.h"

namespace kalvero {

namespace {
constexpr qint64 kFrameMs = 25;

QWidget* centralOf(QMainWindow& window) {
    auto* central = new QWidget(&window);
    window.setCentralWidget(central);
    return central;
}

}  // namespace

MainProgress::MainProgress(QMainWindow& window)
    : lOperacja(new ElidedLabel(centralOf(window))),
      pb(new QProgressBar(window.centralWidget())),
      bbPrzerwij(new QPushButton(QStringLiteral("Przerwij"), window.centralWidget())),
      m_window(window) {
    lOperacja->setObjectName(QStringLiteral("lOperacja"));
    pb->setObjectName(QStringLiteral("pb"));
    pb->setRange(0, 100);
    pb->setTextVisible(false);
    pb->setFixedWidth(250);
    bbPrzerwij->setObjectName(QStringLiteral("bbPrzerwij"));
    bbPrzerwij->setFocusPolicy(Qt::NoFocus);
    auto* column = new QVBoxLayout(window.centralWidget());
    column->addStretch();
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(bbPrzerwij, 0, Qt::AlignBottom);
    auto* progress = new QVBoxLayout;
    progress->addWidget(lOperacja);
    progress->addWidget(pb);
    row->addLayout(progress);
    column->addLayout(row);
    hideAll();
}

QWidget& MainProgress::window() const {
    return m_window;
}

void MainProgress::hideAll() {
    flush();
    bbPrzerwij->hide();
    lOperacja->hide();
    pb->hide();
}

void MainProgress::flush() {
    if (m_pending) {
        lOperacja->setText(m_label);
        pb->setValue(m_value);
        m_pending = false;
    }
}

void MainProgress::setLabel(const std::string& text) {
    m_label = toQt(text);
    m_pending = true;
}

void MainProgress::showNote(const QString& text) {
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
    lOperacja->setVisible(visible);
}

void MainProgress::setBar(int minimum, int maximum, int step) {
    flush();
    pb->setRange(minimum, maximum);
    m_value = pb->value();
    m_step = step;
}

void MainProgress::showBar(bool visible) {
    flush();
    pb->setVisible(visible);
}

// Past the maximum the bar starts again from its minimum, as a stepped bar does.
void MainProgress::stepBar() {
    const QProgressBar* bar = pb;
    const int next = std::max(m_value, bar->minimum()) + m_step;
    m_value = next > bar->maximum() ? bar->minimum() : next;
    m_pending = true;
}

void MainProgress::barToMaximum() {
    m_value = pb->maximum();
    m_pending = true;
    flush();
}

// The label and the bar carry the news; the button and the status bar do not
// change during a transfer, and the message pump draws them whenever they need it.
void MainProgress::repaint() {
    if (m_pending && (!m_sinceDrawn.isValid() || m_sinceDrawn.elapsed() >= kFrameMs)) {
        flush();
        lOperacja->repaint();
        pb->repaint();
        m_sinceDrawn.start();
    }
}

void MainProgress::bringToFront() {
    if (!m_window.isActiveWindow()) {
        m_window.raise();
    }
}

void MainProgress::PumpMessages() {
    QApplication::processEvents();
}

}  // namespace kalvero
