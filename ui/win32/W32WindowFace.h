// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include "ui/WindowFace.h"
#include "ui/win32/W32Text.h"
#include "ui/win32/W32Window.h"

namespace kalvero {

// The caption of the program's plain message boxes.
std::wstring& ApplicationTitle();

// Standard message boxes over a window: no icon; a question's Yes is the default.
void TellInBox(HWND owner, const std::string& text);
bool AskInBox(HWND owner, const std::string& caption, const std::string& text);

// What every window face does the same way over its window.
template <class Face>
class W32WindowFace : public Face {
public:
    explicit W32WindowFace(W32Window& window) : m_window(window) {}

    // In front, with the keyboard in its first control, as a dialog opens.
    void show() override {
        HWND window = m_window.hwnd();
        ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(window);
        if (!IsChild(window, GetFocus())) {
            if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) {
                SetFocus(first);
            }
        }
    }
    void hide() override { ShowWindow(m_window.hwnd(), SW_HIDE); }
    bool shown() const override { return IsWindowVisible(m_window.hwnd()) != FALSE; }
    void setEnabled(bool enabled) override { EnableWindow(m_window.hwnd(), enabled ? TRUE : FALSE); }
    void setCaption(const std::string& caption) override {
        SetWindowTextW(m_window.hwnd(), wide(caption).c_str());
    }
    void setBusy(bool busy) override { m_window.setBusy(busy); }
    void tell(const std::string& text) override { TellInBox(m_window.hwnd(), text); }
    bool ask(const std::string& caption, const std::string& text) override {
        return AskInBox(m_window.hwnd(), caption, text);
    }

private:
    W32Window& m_window;
};

// Boxes over whichever window is active: the questions the core asks from inside
// an operation.
class W32Messages final : public Messages {
public:
    void tell(const std::string& text) override { TellInBox(GetActiveWindow(), text); }
    bool ask(const std::string& caption, const std::string& text) override {
        return AskInBox(GetActiveWindow(), caption, text);
    }
};

}  // namespace kalvero
