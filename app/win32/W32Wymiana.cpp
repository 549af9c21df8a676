// SPDX-License-Identifier: MIT
#include "app/win32/W32Wymiana.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "data/RecordFormat.h"

namespace kalvero {

namespace {
constexpr int ksbZmienStopka = 401;
constexpr int ksbZmienWiazania = 402;
}  // namespace

W32Wymiana::W32Wymiana(HWND mainWindow)
    : W32Window(L"", 371, 196, WS_POPUP | WS_CAPTION | WS_SYSMENU, mainWindow),
      W32WindowFace(static_cast<W32Window&>(*this)),
      m_mainWindow(mainWindow) {
    const FontLook bigger{L"MS Shell Dlg", 13, false, DEFAULT_CHARSET};
    using W = WymianaControl;
    // Declared in the tab order of the design.
    m_controls[W::cbWiazania] =
        add(WC_BUTTONW, L"Wiązania PLU - stopka", BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE,
            {16, 56, 169, 17});
    m_controls[W::cbStopki] = add(WC_BUTTONW, L"Definicje stopek",
                                  BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE, {16, 24, 137, 17});
    for (const W box : {W::cbWiazania, W::cbStopki}) {
        setFont(m_controls[box], bigger);
        SendMessageW(m_controls[box], BM_SETCHECK, BST_CHECKED, 0);
    }
    bDalej = add(WC_BUTTONW, L"", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, {176, 128, 75, 25},
                 IDOK);
    add(WC_BUTTONW, L"Anuluj", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, {56, 128, 75, 25},
        IDCANCEL);
    m_controls[W::Edit1] = add(WC_EDITW, L"", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP | WS_VISIBLE,
                               {200, 24, 97, 21}, 0, WS_EX_CLIENTEDGE);
    m_controls[W::Edit2] = add(WC_EDITW, L"", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP | WS_VISIBLE,
                               {200, 56, 97, 21}, 0, WS_EX_CLIENTEDGE);
    // The arrows take their room inside the spin box's design width.
    m_controls[W::seMaxPLU] = add(WC_EDITW, L"9983", ES_NUMBER | WS_TABSTOP | WS_VISIBLE,
                                  {200, 88, 65, 22}, 0, WS_EX_CLIENTEDGE);
    SendMessageW(m_controls[W::seMaxPLU], EM_LIMITTEXT, 4, 0);
    m_maxPluArrows = add(UPDOWN_CLASSW, L"",
                         UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                             WS_VISIBLE,
                         {249, 88, 16, 22});
    SendMessageW(m_maxPluArrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_controls[W::seMaxPLU]), 0);
    place(m_controls[W::seMaxPLU], {200, 88, 49, 22});  // what the arrows left, kept at any DPI
    SendMessageW(m_maxPluArrows, UDM_SETRANGE32, 1, kLastPlu);
    SendMessageW(m_maxPluArrows, UDM_SETPOS32, 0, kLastPlu);
    m_controls[W::sbZmienStopka] =
        add(WC_BUTTONW, L"...", BS_PUSHBUTTON | WS_VISIBLE, {312, 24, 23, 22}, ksbZmienStopka);
    m_controls[W::sbZmienWiazania] =
        add(WC_BUTTONW, L"...", BS_PUSHBUTTON | WS_VISIBLE, {312, 56, 23, 22}, ksbZmienWiazania);
    m_controls[W::Label1] =
        add(WC_STATICW, L"odczyt do PLU nr", SS_LEFT | WS_VISIBLE, {64, 91, 120, 16});
    setFont(m_controls[W::Label1], bigger);
    takeDialogKeys();
}

void W32Wymiana::setStartCaption(const std::string& caption) {
    SetWindowTextW(bDalej, wide(caption).c_str());
}

void W32Wymiana::showControl(WymianaControl control, bool visible) {
    ShowWindow(m_controls.at(control), visible ? SW_SHOWNA : SW_HIDE);
    if (control == WymianaControl::seMaxPLU) {
        ShowWindow(m_maxPluArrows, visible ? SW_SHOWNA : SW_HIDE);
    }
}

void W32Wymiana::enableControl(WymianaControl control, bool enabled) {
    EnableWindow(m_controls.at(control), enabled ? TRUE : FALSE);
}

bool W32Wymiana::ticked(WymianaControl box) const {
    return SendMessageW(m_controls.at(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The spin box keeps its value within 1..9983, whatever was typed.
int W32Wymiana::maxPlu() const {
    BOOL failed = FALSE;
    const auto value = static_cast<int>(SendMessageW(m_maxPluArrows, UDM_GETPOS32, 0,
                                                     reinterpret_cast<LPARAM>(&failed)));
    return std::clamp(value, 1, kLastPlu);
}

void W32Wymiana::showFileName(WymianaControl field, const std::string& name) {
    SetWindowTextW(m_controls.at(field), wide(name).c_str());
}

// A read creates the file it is given: a name that does not exist yet is taken.
std::optional<std::string> W32Wymiana::pickFile() {
    std::wstring file(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = IsWindowVisible(hwnd()) ? hwnd() : m_mainWindow;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = m_folder.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    // The program names its files in UTF-8, as its arguments come.
    std::wstring full(MAX_PATH * 4, L'\0');
    full.resize(GetFullPathNameW(file.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return narrow(full.empty() ? std::wstring(file.c_str()) : full);
}

void W32Wymiana::centreOverMainWindow() {
    RECT main{};
    RECT own{};
    GetWindowRect(m_mainWindow, &main);
    GetWindowRect(hwnd(), &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    SetWindowPos(hwnd(), nullptr, (main.left + main.right - width) / 2,
                 (main.top + main.bottom - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT W32Wymiana::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && m_unit != nullptr) {
        switch (LOWORD(wParam)) {
            case IDOK:
                m_unit->bDalejClick();
                return 0;
            case IDCANCEL:
                m_unit->bAnulujClick();
                return 0;
            case ksbZmienStopka:
                m_unit->sbZmienStopkaClick();
                return 0;
            case ksbZmienWiazania:
                m_unit->sbZmienWiazaniaClick();
                return 0;
            default:
                break;
        }
    }
    if (message == WM_CLOSE) {
        if (m_unit != nullptr) {
            m_unit->FormClose();
        }
        hide();
        return 0;
    }
    return W32Window::handle(message, wParam, lParam);
}

}  // namespace kalvero
