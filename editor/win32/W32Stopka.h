// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "editor/uStopki.h"
#include "ui/win32/W32WindowFace.h"

namespace kalvero {

// The footer editor drawn with the Win32 API, centred over the main window it opens
// from. Its number fields and line fields hand their keys to the editor.
class W32Stopka final : public W32Window, public W32WindowFace<EditorFace> {
public:
    explicit W32Stopka(HWND mainWindow);
    ~W32Stopka() override;

    void attach(TfStopka& editor) override { m_unit = &editor; }
    void centreOverMainWindow() override;
    std::string fieldText(NumberFieldName field) const override;
    void setFieldText(NumberFieldName field, const std::string& text) override;
    void repaintField(NumberFieldName field) override { UpdateWindow(this->field(field)); }
    void enableField(NumberFieldName field, bool enabled) override;
    void focusField(NumberFieldName field) override { SetFocus(this->field(field)); }
    bool fieldFocused(NumberFieldName field) const override {
        return GetFocus() == this->field(field);
    }
    FooterLine shownLine(int line) const override;
    void setLineWidth(int line, bool twenty) override;
    void setLineText(int line, const std::string& text) override;
    void setLineEnabled(int line, bool enabled) override;
    void fitLine(int line, bool twenty) override;
    void selectLineText(int line) override;
    void showName(bool visible) override { ShowWindow(eNazwa, visible ? SW_SHOWNA : SW_HIDE); }
    void setName(const std::string& text) override { SetWindowTextW(eNazwa, wide(text).c_str()); }
    void showChangeMark(bool visible) override;
    void setStatus(const std::string& text) override;

private:
    struct Line {
        HWND enabled;  // w1..w4
        HWND text;     // s1..s4
        std::array<HWND, 2> width;  // rg1..rg4: "40", "20"
        int y;
    };

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void layout() override;
    HWND field(NumberFieldName name) const { return name == NumberFieldName::sePLU ? sePLU : seNrStopki; }
    void command(int id, int code);
    static LRESULT CALLBACK numberProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK lineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK arrowsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
    // Whether text typed or pasted into a line field may stand; refused, it beeps and
    // says why.
    bool lineTakes(int line, const std::wstring& input);

    TfStopka* m_unit = nullptr;
    HWND m_mainWindow;
    HWND sePLU = nullptr;
    HWND udtowar = nullptr;
    HWND eNazwa = nullptr;
    HWND seNrStopki = nullptr;
    HWND UpDown1 = nullptr;
    std::array<Line, 4> m_lines{};
    HWND changeMark = nullptr;
    HWND sbStopka = nullptr;
    HBRUSH m_aqua = nullptr;
    bool m_setting = false;  // the program, not the user, changes a line
};

}  // namespace kalvero
