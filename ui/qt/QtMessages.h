// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "ui/Messages.h"

class QWidget;

namespace kalvero {

// The program's message boxes over a window: no icon, at least as wide as their
// caption, and a line too long for the box wrapped at a clause of its sentence
// rather than with one word left alone. A test answers them instead.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void tell(QWidget* parent, const QString& text);
    virtual bool ask(QWidget* parent, const QString& caption, const QString& text);
};

// Boxes over whichever window is active: the questions the core asks from inside
// an operation.
class QtMessages final : public Messages {
public:
    explicit QtMessages(MessageBoxes& boxes) : m_boxes(boxes) {}
    void tell(const std::string& text) override;
    bool ask(const std::string& caption, const std::string& text) override;

private:
    MessageBoxes& m_boxes;
};

}  // namespace kalvero
