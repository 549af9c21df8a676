// SPDX-License-Identifier: MIT
#include "editor/win32/W32Stopka.h"

#include <commctrl.h>

#include <algorithm>

namespace kalvero {

namespace {

enum Id : int {
    ksePLU = 501,
    kudtowar,
    kseNrStopki,
    kUpDown1,
    kbZatwWiaz,
    kbWyjdz,
    kLineEnabled = 510,  // + line
    kLineText = 520,     // + line
    kLineForty = 530,    // + line
    kLineTwenty = 540,   // + line
};
// Posted after a control's own handling: a line field entered, an arrow released.
constexpr UINT kEntered = WM_APP + 1;
constexpr UINT kArrowsReleased = WM_APP + 2;

constexpr int kRowsY[4] = {79, 110, 142, 174};
const wchar_t* const kLineHints[4] = {L"Pierwsza linia stopki", L"Druga linia stopki",
                                      L"Trzecia linia stopki", L"Czwarta linia stopki"};
const FontLook kBold{L"MS Shell Dlg", 11, true, DEFAULT_CHARSET};

RECT lineField(int y, bool twenty) {
    return twenty ? RECT{427, y, 150, 21} : RECT{352, y, 300, 21};
}

}  // namespace

W32Stopka::W32Stopka(HWND mainWindow)
    : W32Window(L"Definiowanie stopek", 774, 312, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
      W32WindowFace(static_cast<W32Window&>(*this)),
      m_mainWindow(mainWindow),
      m_aqua(CreateSolidBrush(RGB(0, 255, 255))) {
    add(WC_STATICW, L"", SS_SUNKEN | WS_VISIBLE, {240, 8, 521, 49});
    add(WC_STATICW, L"", SS_SUNKEN | WS_VISIBLE, {240, 60, 521, 193});
    setFont(add(WC_STATICW, L"Towar", SS_LEFT | WS_VISIBLE, {256, 20, 60, 21}), kBold);
    setFont(add(WC_STATICW, L"Stopka", SS_LEFT | WS_VISIBLE, {256, 79, 60, 21}), kBold);
    changeMark = add(WC_STATICW, L"", SS_LEFT, {272, 144, 25, 15});
    eNazwa = add(WC_EDITW, L"", ES_READONLY | ES_AUTOHSCROLL, {408, 20, 300, 21}, 0, WS_EX_CLIENTEDGE);
    EnableWindow(eNazwa, FALSE);

    // In the window's tab order: the item, the footer number, each line's box, field
    // and selector, the buttons.
    sePLU = add(WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | WS_VISIBLE,
                {328, 19, 49, 22}, ksePLU, WS_EX_CLIENTEDGE);
    udtowar = add(UPDOWN_CLASSW, L"", WS_VISIBLE, {377, 19, 16, 22}, kudtowar);
    SendMessageW(sePLU, EM_LIMITTEXT, 4, 0);
    hint(sePLU, L"Zmiana towaru spowoduje odczytanie towaru i związanej z nim stopki");
    seNrStopki = add(WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | WS_VISIBLE,
                     {256, 110, 42, 22}, kseNrStopki, WS_EX_CLIENTEDGE);
    UpDown1 = add(UPDOWN_CLASSW, L"", WS_VISIBLE, {298, 110, 16, 22}, kUpDown1);
    SendMessageW(seNrStopki, EM_LIMITTEXT, 3, 0);
    hint(seNrStopki, L"Zmiana numeru spowoduje odczytanie stopki z ORU");
    for (HWND arrows : {udtowar, UpDown1}) {
        SendMessageW(arrows, UDM_SETRANGE32, 0, 100);  // Up steps by +1
        SetWindowSubclass(arrows, &W32Stopka::arrowsProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    for (HWND number : {sePLU, seNrStopki}) {
        SetWindowSubclass(number, &W32Stopka::numberProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    for (int k = 0; k < 4; ++k) {
        Line& line = m_lines[static_cast<std::size_t>(k)];
        line.y = kRowsY[k];
        line.enabled = add(WC_BUTTONW, L"", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP | WS_VISIBLE,
                           {328, line.y, 20, 21}, kLineEnabled + k);
        line.text = add(WC_EDITW, L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | WS_VISIBLE,
                        lineField(line.y, false), kLineText + k, WS_EX_CLIENTEDGE);
        SendMessageW(line.text, EM_LIMITTEXT, 40, 0);
        hint(line.text, kLineHints[k]);
        SetWindowSubclass(line.text, &W32Stopka::lineProc, static_cast<UINT_PTR>(k),
                          reinterpret_cast<DWORD_PTR>(this));
        line.width[0] = add(WC_BUTTONW, L"40", BS_RADIOBUTTON | WS_TABSTOP | WS_GROUP | WS_VISIBLE,
                            {668, line.y, 42, 21}, kLineForty + k);
        line.width[1] = add(WC_BUTTONW, L"20", BS_RADIOBUTTON | WS_VISIBLE, {712, line.y, 42, 21},
                            kLineTwenty + k);
        for (HWND item : line.width) {
            setFont(item, kBold);
            hint(item, L"Liczba znaków w linii");
        }
        SendMessageW(line.width[0], BM_SETCHECK, BST_CHECKED, 0);
    }
    HWND save = add(WC_BUTTONW, L"Zatwierdź dane stopki",
                    BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP | WS_VISIBLE, {496, 264, 160, 25}, IDOK);
    hint(save, L"Zapis bieżącej stopki do drukarki etykiet");
    HWND bind = add(WC_BUTTONW, L"Zatwierdź wiązanie", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE,
                    {336, 264, 145, 25}, kbZatwWiaz);
    hint(bind, L"Zapis wiązania towar-stopka do drukarki etykiet");
    add(WC_BUTTONW, L"&Wyjdź", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, {672, 264, 89, 25}, kbWyjdz);
    sbStopka = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_TOOLTIPS, 0, 0,
                               0, 0, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    const int whole[] = {-1};  // one part, the width of the window
    SendMessageW(sbStopka, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(whole));
    setFont(sbStopka, FontLook{});
    takeDialogKeys();
    layout();
}

W32Stopka::~W32Stopka() {
    DeleteObject(m_aqua);
}

void W32Stopka::layout() {
    if (sbStopka != nullptr) {
        SendMessageW(sbStopka, WM_SIZE, 0, 0);
    }
}

// Centred on the main window, but never pushed off the screen.
void W32Stopka::centreOverMainWindow() {
    RECT main{};
    RECT own{};
    RECT work{};
    GetWindowRect(m_mainWindow, &main);
    GetWindowRect(hwnd(), &own);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int left = std::clamp<int>((main.left + main.right - width) / 2, work.left,
                                     std::max<int>(work.left, work.right - width));
    const int top = std::clamp<int>((main.top + main.bottom - height) / 2, work.top,
                                    std::max<int>(work.top, work.bottom - height));
    SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string W32Stopka::fieldText(NumberFieldName name) const {
    return narrow(textOf(field(name)));
}

void W32Stopka::setFieldText(NumberFieldName name, const std::string& text) {
    SetWindowTextW(field(name), wide(text).c_str());
}

void W32Stopka::enableField(NumberFieldName name, bool enabled) {
    EnableWindow(field(name), enabled ? TRUE : FALSE);
}

FooterLine W32Stopka::shownLine(int k) const {
    const Line& line = m_lines.at(static_cast<std::size_t>(k));
    const bool twenty = SendMessageW(line.width[1], BM_GETCHECK, 0, 0) == BST_CHECKED;
    const bool enabled = SendMessageW(line.enabled, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return {static_cast<std::uint8_t>(twenty ? 1 : 0), static_cast<std::uint8_t>(enabled ? 1 : 0),
            toCp1250(textOf(line.text)).value_or(std::string())};
}

// A change of choice is reported, as the user's is.
void W32Stopka::setLineWidth(int k, bool twenty) {
    const Line& line = m_lines.at(static_cast<std::size_t>(k));
    const bool was = SendMessageW(line.width[1], BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(line.width[0], BM_SETCHECK, twenty ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(line.width[1], BM_SETCHECK, twenty ? BST_CHECKED : BST_UNCHECKED, 0);
    if (was != twenty && m_unit != nullptr) {
        m_unit->rg1Click(k);
    }
}

void W32Stopka::setLineText(int k, const std::string& text) {
    m_setting = true;
    SetWindowTextW(m_lines.at(static_cast<std::size_t>(k)).text, fromCp1250(text).c_str());
    m_setting = false;
}

void W32Stopka::setLineEnabled(int k, bool enabled) {
    SendMessageW(m_lines.at(static_cast<std::size_t>(k)).enabled, BM_SETCHECK,
                 enabled ? BST_CHECKED : BST_UNCHECKED, 0);
}

void W32Stopka::fitLine(int k, bool twenty) {
    const Line& line = m_lines.at(static_cast<std::size_t>(k));
    SendMessageW(line.text, EM_LIMITTEXT, twenty ? 20 : 40, 0);
    place(line.text, lineField(line.y, twenty));
}

void W32Stopka::selectLineText(int k) {
    SendMessageW(m_lines.at(static_cast<std::size_t>(k)).text, EM_SETSEL, 0, -1);
}

void W32Stopka::showChangeMark(bool visible) {
    ShowWindow(changeMark, visible ? SW_SHOWNA : SW_HIDE);
}

void W32Stopka::setStatus(const std::string& text) {
    SendMessageW(sbStopka, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
    UpdateWindow(sbStopka);
}

bool W32Stopka::lineTakes(int k, const std::wstring& input) {
    HWND text = m_lines.at(static_cast<std::size_t>(k)).text;
    const std::wstring before = textOf(text);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(text, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::wstring after = before.substr(0, start) + input + before.substr(std::min<std::size_t>(end, before.size()));
    const auto refused =
        RefusedInLine(narrow(after), toCp1250(before).value_or(std::string()), true);
    if (!refused) {
        return true;
    }
    MessageBeep(MB_OK);
    if (!refused->empty()) {
        const std::wstring why = L"Drukarka nie drukuje znaku „" + wide(*refused) + L"”";
        EDITBALLOONTIP tip{sizeof(EDITBALLOONTIP), L"", why.c_str(), TTI_NONE};
        SendMessageW(text, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
    }
    return false;
}

LRESULT CALLBACK W32Stopka::numberProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
    auto* window = reinterpret_cast<W32Stopka*>(self);
    const NumberFieldName name =
        hwnd == window->sePLU ? NumberFieldName::sePLU : NumberFieldName::seNrStopki;
    TfStopka* unit = window->m_unit;
    switch (message) {
        case WM_GETDLGCODE: {
            // Enter stays in the field: it never presses the default button. Tab and
            // Escape still move and leave as in any dialog.
            LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_KEYDOWN:
            if ((wParam == VK_UP || wParam == VK_DOWN) && unit != nullptr) {
                unit->stepField(name, wParam == VK_UP ? 1 : -1);
                return 0;
            }
            break;
        case WM_CHAR:
            if (!NumberFieldTakes(static_cast<char32_t>(wParam))) {
                MessageBeep(MB_OK);
                return 0;
            }
            break;
        case WM_KEYUP:
            if ((wParam == VK_UP || wParam == VK_DOWN || wParam == VK_RETURN) && unit != nullptr) {
                if (name == NumberFieldName::sePLU) {
                    unit->sePLUKeyUp();
                } else {
                    unit->seNrStopkiKeyUp();
                }
                return 0;
            }
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            // Another window, or a menu, taking the focus is not leaving the field.
            const auto next = reinterpret_cast<HWND>(wParam);
            if (name == NumberFieldName::seNrStopki && unit != nullptr && next != nullptr &&
                IsChild(window->hwnd(), next)) {
                unit->seNrStopkiExit();
            }
            return result;
        }
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK W32Stopka::lineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self) {
    auto* window = reinterpret_cast<W32Stopka*>(self);
    const int k = static_cast<int>(id);
    switch (message) {
        case WM_CHAR:
            if (wParam >= L' ' && !window->lineTakes(k, std::wstring(1, static_cast<wchar_t>(wParam)))) {
                return 0;
            }
            break;
        case WM_PASTE:
            if (OpenClipboard(hwnd)) {
                std::wstring pasted;
                if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                        pasted = text;
                        GlobalUnlock(data);
                    }
                }
                CloseClipboard();
                if (!window->lineTakes(k, pasted)) {
                    return 0;
                }
            }
            break;
        case WM_SETFOCUS:
        case WM_LBUTTONUP:
            // After the click has placed the caret, so that the selection stands.
            PostMessageW(window->hwnd(), kEntered, static_cast<WPARAM>(k), 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK W32Stopka::arrowsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR self) {
    auto* window = reinterpret_cast<W32Stopka*>(self);
    if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        PostMessageW(window->hwnd(), kArrowsReleased, reinterpret_cast<WPARAM>(hwnd),
                     message == WM_LBUTTONUP ? 1 : 0);
        return result;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void W32Stopka::command(int id, int code) {
    if (id == IDOK) {
        m_unit->bZatwierdzClick();
    } else if (id == kbZatwWiaz) {
        m_unit->bZatwWiazClick();
    } else if (id == kbWyjdz) {
        m_unit->bWyjdzClick();
    } else if (id >= kLineEnabled && id < kLineEnabled + 4 && code == BN_CLICKED) {
        m_unit->lineChanged();
    } else if (id >= kLineText && id < kLineText + 4 && code == EN_CHANGE && !m_setting) {
        m_unit->lineChanged();
    } else if (id >= kLineForty && id < kLineTwenty + 4 && code == BN_CLICKED) {
        const int k = (id - kLineForty) % 10;
        setLineWidth(k, id >= kLineTwenty);
    }
}

LRESULT W32Stopka::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (m_unit != nullptr) {
                command(LOWORD(wParam), HIWORD(wParam));
            }
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == UDN_DELTAPOS && m_unit != nullptr) {
                const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
                m_unit->stepField(header->hwndFrom == udtowar ? NumberFieldName::sePLU
                                                              : NumberFieldName::seNrStopki,
                                  change->iDelta > 0 ? 1 : -1);
                return TRUE;  // the arrows keep no position of their own
            }
            break;
        }
        case kEntered:
            if (m_unit != nullptr) {
                m_unit->sEnter(static_cast<int>(wParam));
            }
            return 0;
        case kArrowsReleased:
            if (m_unit != nullptr) {
                if (reinterpret_cast<HWND>(wParam) == udtowar) {
                    m_unit->UDTOWARMouseUp();
                } else {
                    m_unit->UpDown1MouseUp(lParam == 1);
                }
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (m_unit != nullptr) {
                m_unit->FormMouseUp(message == WM_LBUTTONUP);
            }
            return 0;
        case WM_SHOWWINDOW:
            // Shown or hidden by the program; minimized, the editor is still open.
            if (lParam == 0 && m_unit != nullptr) {
                if (wParam != FALSE) {
                    m_unit->FormShow();
                } else {
                    m_unit->FormHide();
                }
            }
            break;
        case WM_CLOSE:
            hide();  // the footer number stays
            return 0;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == changeMark) {
                return reinterpret_cast<LRESULT>(m_aqua);
            }
            break;
        default:
            break;
    }
    return W32Window::handle(message, wParam, lParam);
}

}  // namespace kalvero
