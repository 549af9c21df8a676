// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "ui/WindowFace.h"
#include "ui/qt/QtMessages.h"
#include "ui/qt/QtText.h"

namespace kalvero {

// What every window face does the same way over its widget, which the face owns.
template <class Face>
class QtWindowFace : public Face {
public:
    QtWindowFace(QWidget& window, MessageBoxes& boxes, bool activates = false)
        : m_window(window), m_boxes(boxes), m_activates(activates) {}
    ~QtWindowFace() override { delete &m_window; }
    QtWindowFace(const QtWindowFace&) = delete;
    QtWindowFace& operator=(const QtWindowFace&) = delete;

    QWidget& widget() const { return m_window; }

    // A window that takes the keyboard at once asks for activation too.
    void show() override {
        m_window.show();
        m_window.raise();
        if (m_activates) {
            m_window.activateWindow();
        }
    }
    void hide() override { m_window.hide(); }
    bool shown() const override { return m_window.isVisible(); }
    void setEnabled(bool enabled) override { m_window.setEnabled(enabled); }
    void setCaption(const std::string& caption) override { m_window.setWindowTitle(toQt(caption)); }
    void setBusy(bool busy) override {
        if (busy) {
            m_window.setCursor(Qt::WaitCursor);
        } else {
            m_window.unsetCursor();
        }
    }
    void tell(const std::string& text) override { m_boxes.tell(&m_window, toQt(text)); }
    bool ask(const std::string& caption, const std::string& text) override {
        return m_boxes.ask(&m_window, toQt(caption), toQt(text));
    }

private:
    QWidget& m_window;
    MessageBoxes& m_boxes;
    bool m_activates;
};

}  // namespace kalvero
