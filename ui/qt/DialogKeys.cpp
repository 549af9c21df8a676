// SPDX-License-Identifier: MIT
#include "ui/qt/DialogKeys.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace kalvero {

namespace {

void press(QPushButton* button) {
    if (button != nullptr && button->isVisible() && button->isEnabled()) {
        button->click();
    }
}

}  // namespace

DialogKeys::DialogKeys(QWidget* window, QPushButton* defaultButton, QPushButton* cancelButton)
    : QObject(window), m_default(defaultButton), m_cancel(cancelButton) {
    // A focused auto-default button takes Enter itself.
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
    }
    window->installEventFilter(this);
}

void DialogKeys::takeKeysFrom(QWidget* field) {
    field->installEventFilter(this);
}

// The window sees the keys that no control kept for itself.
bool DialogKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                press(m_default);
                return true;
            case Qt::Key_Escape:
                press(m_cancel);
                return true;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kalvero
