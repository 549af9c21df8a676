// SPDX-License-Identifier: MIT
#include "app/win32/W32Glowna.h"

#include <commctrl.h>

#include <array>

namespace kalvero {

namespace {

enum Id : int {
    kWykryjautomatycznie1 = 101,
    kTrybonline1,
    kTryboffline1,
    kKoniecprogramu1,
    kOdczyt1,
    kZapis1,
    kKasowanie1,
    kDefiniowaniestopek1,
    kStandrukarki1,
    kOprogramie1,
    kbbPrzerwij = 201,
};

const std::map<int, void (TfGlowna::*)()> kHandlers = {
    {kWykryjautomatycznie1, &TfGlowna::Wykryjautomatycznie1Click},
    {kTrybonline1, &TfGlowna::Trybonline1Click},
    {kTryboffline1, &TfGlowna::Tryboffline1Click},
    {kKoniecprogramu1, &TfGlowna::Koniecprogramu1Click},
    {kOdczyt1, &TfGlowna::Odczyt1Click},
    {kZapis1, &TfGlowna::Zapis1Click},
    {kKasowanie1, &TfGlowna::Kasowanie1Click},
    {kDefiniowaniestopek1, &TfGlowna::Definiowaniestopek1Click},
    {kStandrukarki1, &TfGlowna::Standrukarki1Click},
    {kOprogramie1, &TfGlowna::Oprogramie1Click},
    {kbbPrzerwij, &TfGlowna::bbPrzerwijClick},
};

int idOf(MenuEntry entry) {
    switch (entry) {
        case MenuEntry::Trybonline1: return kTrybonline1;
        case MenuEntry::Tryboffline1: return kTryboffline1;
        case MenuEntry::Odczyt1: return kOdczyt1;
        case MenuEntry::Zapis1: return kZapis1;
        case MenuEntry::Kasowanie1: return kKasowanie1;
        case MenuEntry::Definiowaniestopek1: return kDefiniowaniestopek1;
        case MenuEntry::Standrukarki1: return kStandrukarki1;
    }
    return 0;
}

constexpr int kStatusHeight = 32;
constexpr std::array<int, 3> kPanelWidths{80, 340, 140};
constexpr int kStatusPosition = 3;  // "Stan drukarki" on the menu bar, before "Pomoc"

}  // namespace

W32Glowna::W32Glowna()
    : W32Window(L"Kalvero wersja beta", 544, 373, WS_OVERLAPPEDWINDOW),
      W32WindowFace(static_cast<W32Window&>(*this)) {
    buildMenu();
    sbOru = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd(),
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    setFont(sbOru, FontLook{L"Arial", 16, true, EASTEUROPE_CHARSET});
    lOperacja = add(WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, {0, 0, 250, 16});
    pb = add(PROGRESS_CLASSW, L"", PBS_SMOOTH, {0, 0, 250, 20});
    bbPrzerwij = add(WC_BUTTONW, L"Przerwij", BS_PUSHBUTTON, {0, 0, 80, 25}, kbbPrzerwij);
    layout();
}

void W32Glowna::buildMenu() {
    m_menu = CreateMenu();
    const auto submenu = [this](const wchar_t* caption,
                                std::initializer_list<std::pair<int, const wchar_t*>> entries) {
        HMENU menu = CreatePopupMenu();
        for (const auto& [id, text] : entries) {
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text);
        }
        AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), caption);
    };
    submenu(L"Komunikacja", {{kWykryjautomatycznie1, L"Tryb &online - automatycznie"},
                             {kTrybonline1, L"Tryb o&nline - ustaw port"},
                             {kTryboffline1, L"Tryb o&ffline"},
                             {kKoniecprogramu1, L"&Koniec programu"}});
    submenu(L"Wymiana danych",
            {{kOdczyt1, L"Odczyt "}, {kZapis1, L"Zapis"}, {kKasowanie1, L"Kasowanie"}});
    submenu(L"Definiowanie", {{kDefiniowaniestopek1, L"Definiowanie stopek"}});
    submenu(L"Pomoc", {{kOprogramie1, L"O programie"}});
    SetMenu(hwnd(), m_menu);
}

// The button, then the label above the bar, just above the status bar at the right.
void W32Glowna::layout() {
    if (sbOru == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(hwnd(), &client);
    SendMessageW(sbOru, SB_SETMINHEIGHT, static_cast<WPARAM>(scaled(kStatusHeight) - 2), 0);
    SendMessageW(sbOru, WM_SIZE, 0, 0);
    std::array<int, 3> rights{};
    int right = 0;
    for (std::size_t i = 0; i < rights.size(); ++i) {
        right += scaled(kPanelWidths[i]);
        rights[i] = i + 1 < rights.size() ? right : -1;  // the last takes the rest
    }
    SendMessageW(sbOru, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
    const int width = unscaled(client.right);
    const int bottom = unscaled(client.bottom) - kStatusHeight - 9;
    place(pb, {width - 9 - 250, bottom - 20, 250, 20});
    place(lOperacja, {width - 9 - 250, bottom - 20 - 4 - 16, 250, 16});
    place(bbPrzerwij, {width - 9 - 250 - 6 - 80, bottom - 25, 80, 25});
}

void W32Glowna::setPanel(int panel, const std::string& text) {
    // A tab first centres the text in its panel.
    SendMessageW(sbOru, SB_SETTEXTW, static_cast<WPARAM>(panel),
                 reinterpret_cast<LPARAM>((L"\t" + wide(text)).c_str()));
}

void W32Glowna::repaintPanels() {
    UpdateWindow(sbOru);
}

void W32Glowna::checkEntry(MenuEntry entry, bool checked) {
    CheckMenuItem(m_menu, static_cast<UINT>(idOf(entry)),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void W32Glowna::enableEntry(MenuEntry entry, bool enabled) {
    EnableMenuItem(m_menu, static_cast<UINT>(idOf(entry)),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// A Win32 menu has no hidden entries: a hidden one is left out of the bar.
void W32Glowna::showEntry(MenuEntry entry, bool visible) {
    if (entry != MenuEntry::Standrukarki1 || visible == m_statusShown) {
        return;
    }
    if (visible) {
        InsertMenuW(m_menu, kStatusPosition, MF_BYPOSITION | MF_STRING, kStandrukarki1,
                    L"Stan drukarki");
    } else {
        RemoveMenu(m_menu, kStandrukarki1, MF_BYCOMMAND);
    }
    m_statusShown = visible;
    DrawMenuBar(hwnd());
}

void W32Glowna::enableMenu(bool enabled) {
    const int count = GetMenuItemCount(m_menu);
    for (int i = 0; i < count; ++i) {
        EnableMenuItem(m_menu, static_cast<UINT>(i),
                       MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
    DrawMenuBar(hwnd());
}

void W32Glowna::showAbortButton(bool visible) {
    ShowWindow(bbPrzerwij, visible ? SW_SHOWNA : SW_HIDE);
}

void W32Glowna::showOperation(bool visible) {
    ShowWindow(lOperacja, visible ? SW_SHOWNA : SW_HIDE);
}

void W32Glowna::setOperation(const std::string& text) {
    SetWindowTextW(lOperacja, wide(text).c_str());
}

void W32Glowna::showBar(bool visible) {
    ShowWindow(pb, visible ? SW_SHOWNA : SW_HIDE);
}

void W32Glowna::setBar(int minimum, int maximum, int value) {
    SendMessageW(pb, PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
    SendMessageW(pb, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void W32Glowna::repaintProgress() {
    UpdateWindow(lOperacja);
    UpdateWindow(pb);
}

// Asked after every record: only another program's window over this one costs a move.
// Hidden windows (the dialogs, owned, sit just above) and always-on-top ones (which
// no move goes above) are passed over; a move or a foreground check per record costs
// a trip to the window system each.
void W32Glowna::bringToFront() {
    for (HWND above = GetWindow(hwnd(), GW_HWNDPREV); above != nullptr;
         above = GetWindow(above, GW_HWNDPREV)) {
        if (!IsWindowVisible(above) || (GetWindowLongW(above, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
            continue;
        }
        DWORD process = 0;
        GetWindowThreadProcessId(above, &process);
        if (process != GetCurrentProcessId()) {
            SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return;
    }
}

// Escape is the window's cancel key; menus keep every other key.
bool W32Glowna::takeKey(const MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && m_unit != nullptr) {
        m_unit->cancelKey();
        return true;
    }
    return false;
}

LRESULT W32Glowna::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (const auto handler = kHandlers.find(LOWORD(wParam));
                handler != kHandlers.end() && m_unit != nullptr) {
                (m_unit->*handler->second)();
                return 0;
            }
            break;
        case WM_CLOSE:
            if (m_unit == nullptr || m_unit->FormCloseQuery()) {
                ShowWindow(hwnd(), SW_HIDE);
            }
            return 0;
        // Windows ending the session: a transfer stops first, as "Przerwij" stops it,
        // and the window closes when it has; until then this session may not end.
        // Another program may still keep it going: the end comes with WM_ENDSESSION.
        case WM_QUERYENDSESSION:
            return m_unit == nullptr || m_unit->SessionEndQuery() ? TRUE : FALSE;
        case WM_ENDSESSION:
            if (wParam != FALSE && m_unit != nullptr) {
                m_unit->FormCloseQuery();
            }
            return 0;
        default:
            break;
    }
    return W32Window::handle(message, wParam, lParam);
}

}  // namespace kalvero
