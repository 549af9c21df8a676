// SPDX-License-Identifier: MIT
#pragma once

#include "ui/WindowFace.h"
#include "ui/WindowLinks.h"

namespace kalvero {

// What the printer status window shows: the value label of its "Numer drukarki" row.
class StatusFace : public WindowFace {
public:
    virtual void setPrinterNumber(const std::string& text) = 0;
};

// The printer status window: three rows, a caption and a value each; only the
// printer's number is ever filled.
class TfStan final : public StatusWindow {
public:
    explicit TfStan(StatusFace& face) : m_face(face) {}

    void open() override { m_face.show(); }
    void showPrinterNumber(int number) override { m_face.setPrinterNumber(std::to_string(number)); }
    StatusFace& face() { return m_face; }

private:
    StatusFace& m_face;
};

}  // namespace kalvero
