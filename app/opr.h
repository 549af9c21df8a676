// SPDX-License-Identifier: MIT
#pragma once

#include "ui/WindowFace.h"
#include "ui/WindowLinks.h"

namespace kalvero {

class TAboutBox;

class AboutFace : public WindowFace {
public:
    // The face hands its OK button to the box; a face without one needs nothing.
    virtual void attach(TAboutBox& /*box*/) {}
    virtual void centreOnScreen() = 0;
};

// The About box: the program's name and the date of its version, one window
// however often it is opened.
class TAboutBox final : public AboutWindow {
public:
    explicit TAboutBox(AboutFace& face) : m_face(face) { m_face.attach(*this); }

    void open() override {
        m_face.centreOnScreen();
        m_face.show();
    }
    void OKButtonClick() { m_face.hide(); }
    AboutFace& face() { return m_face; }

private:
    AboutFace& m_face;
};

}  // namespace kalvero
