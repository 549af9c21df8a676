// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "app/Kalvero.h"

namespace kalvero {

class W32AboutBox;
class W32Glowna;
class W32Komunikacja;
class W32Stan;
class W32Stopka;
class W32Wymiana;

// The windows' faces drawn with the Win32 API, made in the order startup asks for them.
class W32Faces final : public WindowFactory {
public:
    W32Faces();
    ~W32Faces() override;

    void setApplicationTitle(const std::string& title) override;
    MainWindowFace& fGlowna() override;
    ConnectionFace& fKomunikacja() override;
    ExchangeFace& fWymiana() override;
    EditorFace& fStopka() override;
    AboutFace& AboutBox() override;
    StatusFace& fStan() override;

private:
    std::unique_ptr<W32Glowna> m_glowna;
    std::unique_ptr<W32Komunikacja> m_komunikacja;
    std::unique_ptr<W32Wymiana> m_wymiana;
    std::unique_ptr<W32Stopka> m_stopka;
    std::unique_ptr<W32AboutBox> m_about;
    std::unique_ptr<W32Stan> m_stan;
};

}  // namespace kalvero
