// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace kalvero {

// A label that never widens its window: a text longer than the room it has is shown
// with its middle elided ("/home/sklep/…/stopki.txt.partial"), and whole as its
// tooltip. text() and what assistive technology reads stay the whole text.
class ElidedLabel final : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    QSize minimumSizeHint() const override;
    // The text as the label shows it now.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};

}  // namespace kalvero
