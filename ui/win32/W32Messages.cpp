// SPDX-License-Identifier: MIT
#include "ui/win32/W32WindowFace.h"

namespace kalvero {

std::wstring& ApplicationTitle() {
    static std::wstring title = L"Kalvero";
    return title;
}

// A box over a hidden window would be lost behind the others: it goes over the
// active window then.
namespace {
HWND visibleOwner(HWND owner) {
    return owner != nullptr && IsWindowVisible(owner) ? owner : GetActiveWindow();
}
}  // namespace

void TellInBox(HWND owner, const std::string& text) {
    MessageBoxW(visibleOwner(owner), wide(text).c_str(), ApplicationTitle().c_str(), MB_OK);
}

bool AskInBox(HWND owner, const std::string& caption, const std::string& text) {
    return MessageBoxW(visibleOwner(owner), wide(text).c_str(), wide(caption).c_str(),
                       MB_YESNO | MB_DEFBUTTON1) == IDYES;
}

}  // namespace kalvero
