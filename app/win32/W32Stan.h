// SPDX-License-Identifier: MIT
#pragma once

#include "app/stan.h"
#include "ui/win32/W32WindowFace.h"

namespace kalvero {

// The printer status window drawn with the Win32 API: three rows, a caption and a
// value each.
class W32Stan final : public W32Window, public W32WindowFace<StatusFace> {
public:
    explicit W32Stan(HWND owner);

    void setPrinterNumber(const std::string& text) override {
        SetWindowTextW(Label1, wide(text).c_str());
    }

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND Label1 = nullptr;
};

}  // namespace kalvero
