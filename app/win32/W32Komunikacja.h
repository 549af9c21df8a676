// SPDX-License-Identifier: MIT
#pragma once

#include "app/uKomunikacja.h"
#include "ui/win32/W32WindowFace.h"

namespace kalvero {

// The communication dialog drawn with the Win32 API.
class W32Komunikacja final : public W32Window, public W32WindowFace<ConnectionFace> {
public:
    explicit W32Komunikacja(HWND owner);

    void attach(TfKomunikacja& dialog) override { m_unit = &dialog; }
    void addPort(const std::string& entry) override;
    void showPort(int index) override;
    std::string channelText() const override;

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

    TfKomunikacja* m_unit = nullptr;
    HWND cbPort = nullptr;
    HWND seKanal = nullptr;
};

}  // namespace kalvero
