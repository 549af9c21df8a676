// SPDX-License-Identifier: MIT
#include "ui/win32/W32Window.h"

#include <commctrl.h>

namespace kalvero {

namespace {

constexpr const wchar_t* kClassName = L"KalveroWindow";

// The monitor's DPI for a window, where Windows can tell it per monitor (10 1607 on);
// else the system's.
UINT dpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpi != nullptr && hwnd != nullptr) {
        if (const UINT dpi = getDpi(hwnd); dpi != 0) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

ATOM registerClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;  // replaced by each window's own at creation
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    return atom;
}

// The program's own window that holds hwnd, if any.
W32Window* windowOf(HWND hwnd) {
    HWND top = hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    if (top == nullptr || GetClassLongPtrW(top, GCW_ATOM) != registerClass()) {
        return nullptr;
    }
    return reinterpret_cast<W32Window*>(GetWindowLongPtrW(top, GWLP_USERDATA));
}

RECT outerFor(SIZE client, DWORD style, bool menu, UINT dpi) {
    RECT rect{0, 0, MulDiv(client.cx, static_cast<int>(dpi), 96),
              MulDiv(client.cy, static_cast<int>(dpi), 96)};
    AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, 0);
    return rect;
}

}  // namespace

W32Window::W32Window(const std::wstring& caption, int width, int height, DWORD style, HWND owner)
    : m_design{width, height} {
    registerClass();
    m_hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, caption.c_str(), style, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&W32Window::proc));
    m_dpi = dpiOf(m_hwnd);
    const RECT outer = outerFor(m_design, style, false, m_dpi);
    SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

W32Window::~W32Window() {
    DestroyWindow(m_hwnd);
    for (const Fonted& fonted : m_fonts) {
        DeleteObject(fonted.font);
    }
}

HFONT W32Window::makeFont(const FontLook& look) const {
    return CreateFontW(-scaled(look.pixels), 0, 0, 0, look.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                       FALSE, look.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, look.face);
}

HWND W32Window::add(const wchar_t* windowClass, const std::wstring& text, DWORD style, RECT design,
                    int id, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | style, 0, 0, 0, 0,
                                   m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    place(control, design);
    setFont(control, FontLook{});
    return control;
}

void W32Window::place(HWND control, RECT design) {
    bool known = false;
    for (Placed& placed : m_placed) {
        if (placed.control == control) {
            placed.design = design;
            known = true;
        }
    }
    if (!known) {
        m_placed.push_back({control, design});
    }
    SetWindowPos(control, nullptr, scaled(design.left), scaled(design.top), scaled(design.right),
                 scaled(design.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
}

void W32Window::setFont(HWND control, const FontLook& look) {
    HFONT font = makeFont(look);
    for (Fonted& fonted : m_fonts) {
        if (fonted.control == control) {
            DeleteObject(fonted.font);
            fonted = {control, look, font};
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            return;
        }
    }
    m_fonts.push_back({control, look, font});
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void W32Window::hint(HWND control, const std::wstring& text) {
    if (m_hints == nullptr) {
        m_hints = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                  0, 0, 0, 0, m_hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    std::wstring copy = text;
    tool.lpszText = copy.data();
    SendMessageW(m_hints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void W32Window::rescale(UINT dpi) {
    m_dpi = dpi;
    for (Fonted& fonted : m_fonts) {
        HFONT old = fonted.font;
        fonted.font = makeFont(fonted.look);
        SendMessageW(fonted.control, WM_SETFONT, reinterpret_cast<WPARAM>(fonted.font), TRUE);
        DeleteObject(old);
    }
    for (const Placed& placed : m_placed) {
        place(placed.control, placed.design);
    }
    layout();
}

void W32Window::setBusy(bool busy) {
    m_busy = busy;
    POINT at{};
    GetCursorPos(&at);
    if (WindowFromPoint(at) != nullptr &&
        (WindowFromPoint(at) == m_hwnd || IsChild(m_hwnd, WindowFromPoint(at)))) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(busy ? 32514 : 32512)));  // IDC_WAIT
    }
}

LRESULT W32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR:
            // Asked at every move and many a message: the hourglass is set only anew.
            if (m_busy) {
                static const HCURSOR wait = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
                if (GetCursor() != wait) {
                    SetCursor(wait);
                }
                return TRUE;
            }
            break;
        case WM_SIZE:
            layout();
            break;
        case 0x02E0: {  // WM_DPICHANGED: the suggested place, then every control anew
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            rescale(HIWORD(wParam));
            SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK W32Window::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<W32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return window->handle(message, wParam, lParam);
}

bool W32Window::dispatch(MSG& message) {
    W32Window* window = windowOf(message.hwnd);
    const bool key = message.message == WM_KEYDOWN || message.message == WM_KEYUP;
    if (window != nullptr && key && window->takeKey(message)) {
        return false;
    }
    if (window != nullptr && window->m_dialogKeys && IsDialogMessageW(window->m_hwnd, &message)) {
        return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

void W32Window::processWaiting() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            return;
        }
        dispatch(message);
    }
}

}  // namespace kalvero
