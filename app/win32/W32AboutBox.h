// SPDX-License-Identifier: MIT
#pragma once

#include "app/opr.h"
#include "ui/win32/W32WindowFace.h"

namespace kalvero {

// The About box drawn with the Win32 API.
class W32AboutBox final : public W32Window, public W32WindowFace<AboutFace> {
public:
    explicit W32AboutBox(HWND owner);

    void attach(TAboutBox& box) override { m_unit = &box; }
    void centreOnScreen() override;

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

    TAboutBox* m_unit = nullptr;
    HWND Version = nullptr;
};

}  // namespace kalvero
