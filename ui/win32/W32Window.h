// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kalvero {

// A font as a window asks for it at 96 DPI.
struct FontLook {
    const wchar_t* face = L"MS Shell Dlg";  // the dialog font Windows maps "MS Sans Serif" to
    int pixels = 11;
    bool bold = false;
    BYTE charset = DEFAULT_CHARSET;
};

// One top-level window of the program, drawn with the Win32 API: its controls sit at
// their design places in 96-DPI pixels, scaled for the monitor's DPI, again whenever
// the window moves to a monitor of another DPI. Messages go to handle().
class W32Window {
public:
    // Created hidden, with a client area of width x height at 96 DPI.
    W32Window(const std::wstring& caption, int width, int height, DWORD style, HWND owner = nullptr);
    virtual ~W32Window();
    W32Window(const W32Window&) = delete;
    W32Window& operator=(const W32Window&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // A control at its design place, in the window's font.
    HWND add(const wchar_t* windowClass, const std::wstring& text, DWORD style, RECT design,
             int id = 0, DWORD exStyle = 0);
    // Moves a control to another design place.
    void place(HWND control, RECT design);
    void setFont(HWND control, const FontLook& font);
    // The hint a control shows under the pointer.
    void hint(HWND control, const std::wstring& text);
    int scaled(int pixels) const { return MulDiv(pixels, static_cast<int>(m_dpi), 96); }
    int unscaled(int pixels) const { return MulDiv(pixels, 96, static_cast<int>(m_dpi)); }
    // The client area's size at 96 DPI.
    SIZE designSize() const { return m_design; }

    void setBusy(bool busy);
    bool busy() const { return m_busy; }
    // Tab, Enter and Escape move and press as in a dialog, while this window is active.
    void takeDialogKeys() { m_dialogKeys = true; }

    // The program's message loop: a message for a window that takes dialog keys goes
    // through them first. False when it was one.
    static bool dispatch(MSG& message);
    // Every waiting message, once.
    static void processWaiting();

protected:
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // A key for the window or one of its controls, before dialog keys and menus see
    // it: true when the window took it.
    virtual bool takeKey(const MSG& /*message*/) { return false; }
    // The window was resized or rescaled: controls that follow its edges move.
    virtual void layout() {}

private:
    struct Placed {
        HWND control;
        RECT design;
    };
    struct Fonted {
        HWND control;
        FontLook look;
        HFONT font;
    };
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void rescale(UINT dpi);
    HFONT makeFont(const FontLook& look) const;

    HWND m_hwnd = nullptr;
    HWND m_hints = nullptr;
    UINT m_dpi = 96;
    SIZE m_design{};
    std::vector<Placed> m_placed;
    std::vector<Fonted> m_fonts;
    bool m_busy = false;
    bool m_dialogKeys = false;
};

}  // namespace kalvero
