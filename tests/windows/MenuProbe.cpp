// SPDX-License-Identifier: MIT
// Loaded by window_driver into the program it drives: a menu belongs to its own
// process, and only there does GetMenuState answer.
#include <windows.h>

struct MenuQuestion {
    HWND window;
    UINT id;
    UINT state;
};

extern "C" __declspec(dllexport) DWORD WINAPI AskMenuState(void* question) {
    auto* asked = static_cast<MenuQuestion*>(question);
    asked->state = GetMenuState(GetMenu(asked->window), asked->id, MF_BYCOMMAND);
    return 0;
}
