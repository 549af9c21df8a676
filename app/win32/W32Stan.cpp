// SPDX-License-Identifier: MIT
#include "app/win32/W32Stan.h"

#include <commctrl.h>

namespace kalvero {

W32Stan::W32Stan(HWND owner)
    : W32Window(std::wstring(24, L' ') + L"Stan drukarki etykiet", 441, 276,
                WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, owner),
      W32WindowFace(static_cast<W32Window&>(*this)) {
    const FontLook font{L"MS Shell Dlg", 13, false, DEFAULT_CHARSET};
    const auto row = [&](int top, const wchar_t* caption) {
        setFont(add(WC_STATICW, caption, SS_LEFT | WS_VISIBLE, {32, top, 220, 20}), font);
        // Empty until the printer says it.
        HWND value = add(WC_STATICW, L"", SS_LEFT | WS_VISIBLE, {280, top, 130, 20});
        setFont(value, font);
        return value;
    };
    row(56, L"Wersja programu w drukarce");
    Label1 = row(112, L"Numer drukarki");
    row(168, L"Data i czas z drukarki");
}

LRESULT W32Stan::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        hide();
        return 0;
    }
    return W32Window::handle(message, wParam, lParam);
}

}  // namespace kalvero
