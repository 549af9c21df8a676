#pragma once

#include "ProgressView.h"

namespace kalvero {

class TfGlowna;

// A bulk transfer's progress on the main window: lOperacja, pb, bbPrzerwij, sbOru.
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

private:
    TfGlowna& m_glowna;
    int m_step = 1;
};

}  // namespace kalvero
