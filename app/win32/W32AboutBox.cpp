// SPDX-License-Identifier: MIT
#include "app/win32/W32AboutBox.h"

#include <commctrl.h>

#include "Version.h"

namespace kalvero {

W32AboutBox::W32AboutBox(HWND owner)
    : W32Window(L"O programie", 298, 176, WS_POPUP | WS_CAPTION | WS_SYSMENU, owner),
      W32WindowFace(static_cast<W32Window&>(*this)) {
    const FontLook font{L"MS Shell Dlg", 13, false, DEFAULT_CHARSET};
    add(WC_STATICW, L"", SS_SUNKEN | WS_VISIBLE, {8, 8, 281, 121});
    setFont(add(WC_STATICW, L"Kalvero", SS_LEFT | WS_VISIBLE, {24, 32, 250, 20}), font);
    Version = add(WC_STATICW, L"Wersja z 30.07.2010 ", SS_LEFT | WS_VISIBLE, {24, 64, 250, 20});
    setFont(Version, font);
    // The program's own version, small, under the texts the box always had.
    setFont(add(WC_STATICW, L"wersja programu " + wide(kVersion), SS_LEFT | WS_VISIBLE,
                {24, 100, 250, 16}),
            FontLook{L"MS Shell Dlg", 10, false, DEFAULT_CHARSET});
    add(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, {(298 - 75) / 2, 139, 75, 28},
        IDOK);
    takeDialogKeys();
}

void W32AboutBox::centreOnScreen() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT own{};
    GetWindowRect(hwnd(), &own);
    SetWindowPos(hwnd(), nullptr, (work.left + work.right - (own.right - own.left)) / 2,
                 (work.top + work.bottom - (own.bottom - own.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT W32AboutBox::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // OK, Enter and Escape all close the box.
            if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && m_unit != nullptr) {
                m_unit->OKButtonClick();
                return 0;
            }
            break;
        case WM_CLOSE:
            hide();
            return 0;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == Version) {
                const auto hdc = reinterpret_cast<HDC>(wParam);
                SetTextColor(hdc, RGB(255, 0, 0));
                SetBkMode(hdc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        default:
            break;
    }
    return W32Window::handle(message, wParam, lParam);
}

}  // namespace kalvero
