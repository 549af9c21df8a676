// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "app/Kalvero.h"

namespace kalvero {

class MessageBoxes;
class QtAboutBox;
class QtGlowna;
class QtKomunikacja;
class QtStan;
class QtStopka;
class QtWymiana;

// The windows' faces drawn with Qt Widgets, made in the order startup asks for them.
class QtFaces final : public WindowFactory {
public:
    explicit QtFaces(MessageBoxes& boxes);
    ~QtFaces() override;

    void setApplicationTitle(const std::string& title) override;
    MainWindowFace& fGlowna() override;
    ConnectionFace& fKomunikacja() override;
    ExchangeFace& fWymiana() override;
    EditorFace& fStopka() override;
    AboutFace& AboutBox() override;
    StatusFace& fStan() override;

    // The faces made so far, for a look at their widgets.
    QtGlowna& glowna() const { return *m_glowna; }
    QtKomunikacja& komunikacja() const { return *m_komunikacja; }
    QtWymiana& wymiana() const { return *m_wymiana; }
    QtStopka& stopka() const { return *m_stopka; }
    QtAboutBox& about() const { return *m_about; }
    QtStan& stan() const { return *m_stan; }

private:
    MessageBoxes& m_boxes;
    std::unique_ptr<QtGlowna> m_glowna;
    std::unique_ptr<QtKomunikacja> m_komunikacja;
    std::unique_ptr<QtWymiana> m_wymiana;
    std::unique_ptr<QtStopka> m_stopka;
    std::unique_ptr<QtAboutBox> m_about;
    std::unique_ptr<QtStan> m_stan;
};

}  // namespace kalvero
