// SPDX-License-Identifier: MIT
#pragma once

#include <map>

#include "app/uGlowna.h"
#include "ui/win32/W32WindowFace.h"

namespace kalvero {

// The main window drawn with the Win32 API: the menu, the common controls' status bar
// sbOru and, above it at the right, the stop button, the operation label and the bar.
class W32Glowna final : public W32Window, public W32WindowFace<MainWindowFace> {
public:
    W32Glowna();

    void attach(TfGlowna& window) override { m_unit = &window; }
    void setPanel(int panel, const std::string& text) override;
    void repaintPanels() override;
    void checkEntry(MenuEntry entry, bool checked) override;
    void enableEntry(MenuEntry entry, bool enabled) override;
    void showEntry(MenuEntry entry, bool visible) override;
    void enableMenu(bool enabled) override;
    void close() override { SendMessageW(hwnd(), WM_CLOSE, 0, 0); }
    void quit() override { PostQuitMessage(0); }

    void showAbortButton(bool visible) override;
    void showOperation(bool visible) override;
    void setOperation(const std::string& text) override;
    void showBar(bool visible) override;
    void setBar(int minimum, int maximum, int value) override;
    void repaintProgress() override;
    void bringToFront() override;
    void processEvents() override { processWaiting(); }

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool takeKey(const MSG& message) override;
    void layout() override;
    void buildMenu();

    TfGlowna* m_unit = nullptr;
    HMENU m_menu = nullptr;
    HWND sbOru = nullptr;
    HWND lOperacja = nullptr;
    HWND pb = nullptr;
    HWND bbPrzerwij = nullptr;
    bool m_statusShown = false;  // the hidden "Stan drukarki" entry
};

}  // namespace kalvero
