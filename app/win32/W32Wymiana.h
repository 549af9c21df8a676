// SPDX-License-Identifier: MIT
#pragma once

#include <map>

#include "app/uWymiana.h"
#include "ui/win32/W32WindowFace.h"

namespace kalvero {

// The data exchange dialog drawn with the Win32 API, over the main window it opens from.
class W32Wymiana final : public W32Window, public W32WindowFace<ExchangeFace> {
public:
    explicit W32Wymiana(HWND mainWindow);

    void attach(TfWymiana& dialog) override { m_unit = &dialog; }
    void setStartCaption(const std::string& caption) override;
    void showControl(WymianaControl control, bool visible) override;
    void enableControl(WymianaControl control, bool enabled) override;
    bool ticked(WymianaControl box) const override;
    int maxPlu() const override;
    void showFileName(WymianaControl field, const std::string& name) override;
    void setPickerFolder(const std::string& folder) override { m_folder = wide(folder); }
    std::optional<std::string> pickFile() override;
    void centreOverMainWindow() override;

private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

    TfWymiana* m_unit = nullptr;
    HWND m_mainWindow;
    std::map<WymianaControl, HWND> m_controls;
    HWND bDalej = nullptr;
    HWND m_maxPluArrows = nullptr;
    std::wstring m_folder;
};

}  // namespace kalvero
