// SPDX-License-Identifier: MIT
#include "app/win32/W32Komunikacja.h"

#include <commctrl.h>

namespace kalvero {

namespace {
constexpr int kcbPort = 301;
constexpr int kseKanal = 302;
}  // namespace

W32Komunikacja::W32Komunikacja(HWND owner)
    : W32Window(L"Parametry komunikacji", 380, 168, WS_POPUP | WS_CAPTION | WS_SYSMENU, owner),
      W32WindowFace(static_cast<W32Window&>(*this)) {
    add(WC_STATICW, L"Port szeregowy", SS_LEFT | WS_VISIBLE, {24, 24, 120, 21});
    cbPort = add(WC_COMBOBOXW, L"", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE,
                 {160, 20, 120, 200}, kcbPort);
    add(WC_STATICW, L"Kanał", SS_LEFT | WS_VISIBLE, {24, 64, 120, 21});
    // The arrows take their room inside the field's design width.
    seKanal = add(WC_EDITW, L"1", ES_LEFT | WS_TABSTOP | WS_VISIBLE, {160, 60, 50, 25}, kseKanal,
                  WS_EX_CLIENTEDGE);
    SendMessageW(seKanal, EM_LIMITTEXT, 1, 0);
    HWND arrows = add(UPDOWN_CLASSW, L"",
                      UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | WS_VISIBLE,
                      {194, 60, 16, 25});
    SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(seKanal), 0);
    place(seKanal, {160, 60, 34, 25});  // what the arrows left, kept at any DPI
    SendMessageW(arrows, UDM_SETRANGE32, 1, 4);
    SendMessageW(arrows, UDM_SETPOS32, 0, 1);
    add(WC_BUTTONW, L"Połącz", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, {72, 112, 100, 30}, IDOK);
    add(WC_BUTTONW, L"Cofnij", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, {208, 112, 100, 30},
        IDCANCEL);
    takeDialogKeys();
}

void W32Komunikacja::addPort(const std::string& entry) {
    SendMessageW(cbPort, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(entry).c_str()));
}

void W32Komunikacja::showPort(int index) {
    SendMessageW(cbPort, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string W32Komunikacja::channelText() const {
    return narrow(textOf(seKanal));
}

LRESULT W32Komunikacja::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && m_unit != nullptr) {
        switch (LOWORD(wParam)) {
            case IDOK:
                m_unit->bPolaczClick();
                return 0;
            case IDCANCEL:
                m_unit->bCofnijClick();
                return 0;
            case kcbPort:
                // Only a picked entry names a port; typed text never does.
                if (HIWORD(wParam) == CBN_SELENDOK) {
                    m_unit->cbPortSelect(
                        static_cast<int>(SendMessageW(cbPort, CB_GETCURSEL, 0, 0)));
                }
                return 0;
            case kseKanal:
                // Left, the field shows the channel its text stands for.
                if (HIWORD(wParam) == EN_KILLFOCUS) {
                    SetWindowTextW(seKanal,
                                   std::to_wstring(ChannelFromText(channelText())).c_str());
                }
                return 0;
            default:
                break;
        }
    }
    if (message == WM_CLOSE) {
        hide();  // the close box only hides
        return 0;
    }
    return W32Window::handle(message, wParam, lParam);
}

}  // namespace kalvero
