// SPDX-License-Identifier: MIT
#pragma once

#include <QCloseEvent>
#include <QHideEvent>
#include <QMouseEvent>
#include <QShowEvent>
#include <functional>

namespace kalvero {

// A window that hands its frame's events to the behaviour: closing (false keeps the
// window open), showing, hiding and a mouse button released on its bare parts.
template <class Base>
class Frame final : public Base {
public:
    using Base::Base;

    std::function<bool()> closing;
    std::function<void()> shown;
    std::function<void()> hidden;
    std::function<void(Qt::MouseButton)> released;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (closing && !closing()) {
            event->ignore();
            return;
        }
        Base::closeEvent(event);
    }
    void showEvent(QShowEvent* event) override {
        Base::showEvent(event);
        if (shown) {
            shown();
        }
    }
    void hideEvent(QHideEvent* event) override {
        Base::hideEvent(event);
        if (hidden) {
            hidden();
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        Base::mouseReleaseEvent(event);
        if (released) {
            released(event->button());
        }
    }
};

}  // namespace kalvero
