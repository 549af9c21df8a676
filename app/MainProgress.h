#pragma once

#include <QElapsedTimer>
#include <QString>

#include "ProgressView.h"

namespace kalvero {

class TfGlowna;

// A bulk transfer's progress on the main window: lOperacja, pb, bbPrzerwij, sbOru.
// A transfer steps thousands of times a second; the label and the bar are drawn
// at most every 25 ms (faster than an eye follows) and whenever they are shown,
// hidden or read, so that the drawing does not slow the transfer down.
class MainProgress final : public ProgressView {
public:
    explicit MainProgress(TfGlowna& fGlowna) : m_glowna(fGlowna) {}

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

private:
    TfGlowna& m_glowna;
    int m_step = 1;
    QString m_label;
    int m_value = 0;
    bool m_pending = false;
    QElapsedTimer m_sinceDrawn;
};

}  // namespace kalvero
