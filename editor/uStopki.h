// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "data/ResultCode.h"
#include "editor/FooterEditor.h"
#include "ui/WindowFace.h"
#include "ui/WindowLinks.h"

namespace kalvero {

class TfStopka;
struct Services;

// The editor's two number fields: the item sePLU and the footer seNrStopki.
enum class NumberFieldName { sePLU, seNrStopki };

// What the footer editor's window shows and reads. Line texts are Windows-1250, as
// the footers hold them; other texts UTF-8. Lines are 0..3, from the top.
class EditorFace : public WindowFace {
public:
    virtual void attach(TfStopka& editor) = 0;
    virtual void centreOverMainWindow() = 0;

    virtual std::string fieldText(NumberFieldName field) const = 0;
    virtual void setFieldText(NumberFieldName field, const std::string& text) = 0;
    // Draws the field now, before a load blocks the window.
    virtual void repaintField(NumberFieldName field) = 0;
    virtual void enableField(NumberFieldName field, bool enabled) = 0;
    virtual void focusField(NumberFieldName field) = 0;
    virtual bool fieldFocused(NumberFieldName field) const = 0;

    // A line as its box, field and selector show it.
    virtual FooterLine shownLine(int line) const = 0;
    // The selector's choice, which the face reports back as rg1Click.
    virtual void setLineWidth(int line, bool twenty) = 0;
    virtual void setLineText(int line, const std::string& text) = 0;
    virtual void setLineEnabled(int line, bool enabled) = 0;
    // The line field as wide as, and taking at most, 20 or 40 characters.
    virtual void fitLine(int line, bool twenty) = 0;
    virtual void selectLineText(int line) = 0;

    // The item-name field eNazwa.
    virtual void showName(bool visible) = 0;
    virtual void setName(const std::string& text) = 0;
    virtual void showChangeMark(bool visible) = 0;
    // The status line sbStopka, drawn at once.
    virtual void setStatus(const std::string& text) = 0;
};

// A number field's rules: the characters it takes as typed (digits, "+", "-", the
// decimal separators and the control keys, but never Enter, which would otherwise
// reach the window's default button), and its value: text that is no number counts
// as the lowest value.
bool NumberFieldTakes(char32_t character);
struct NumberRange {
    int minimum = 0;
    int maximum = 0;
    int valueOf(const std::string& text) const;
    int limited(int value) const;
};

// A footer line's text after an edit: nothing when it may stand, else the character
// refused, as the user typed it (empty for a control character, a TAB or a line end,
// which would split the record). Text the program set keeps what it holds, and so do
// the characters an edit kept of it; typed characters must be ones Windows-1250 holds
// and the printer prints.
std::optional<std::string> RefusedInLine(const std::string& utf8, const std::string& heldCp1250,
                                         bool edited);

// The footer editor over FooterEditor: its fields, keys and focus, the status line
// and the questions it asks before saving, binding or creating a file.
class TfStopka final : public EditorWindow {
public:
    TfStopka(Services& services, EditorHost& host, EditorFace& face);

    // The menu command: shows the window and runs what every opening runs.
    void open() override;
    void setItemNameVisible(bool visible) override { m_face.showName(visible); }
    EditorFace& face() { return m_face; }
    bool FooterEdited() const;

    void seNrStopkiChange();
    void bZatwierdzClick();
    void sePLUChange();
    void bZatwWiazClick();
    void bWyjdzClick() { m_face.hide(); }
    // Up or Down pressed in a number field, or its arrows clicked: one step within its range.
    void stepField(NumberFieldName field, int step);
    // Up, Down or Enter released in a number field.
    void seNrStopkiKeyUp();
    void sePLUKeyUp();
    // The focus left seNrStopki for another control of the window.
    void seNrStopkiExit() { seNrStopkiChange(); }
    void UpDown1MouseUp(bool leftButton);
    void UDTOWARMouseUp();
    // A mouse button released on a bare part of the window.
    void FormMouseUp(bool leftButton);
    // A line's selector changed, by the user or by a load.
    void rg1Click(int line);
    // A line's text, box or selector changed by the user.
    void lineChanged() { showChangeMark(); }
    // A line field got the focus or was clicked.
    void sEnter(int line) { m_face.selectLineText(line); }
    void FormShow() { m_host.setEditorOpen(true); }
    // Hidden, not minimized.
    void FormHide() { m_host.setEditorOpen(false); }

private:
    void FormActivate();
    NumberRange& range(NumberFieldName field);
    int value(NumberFieldName field);
    void setValue(NumberFieldName field, int value);
    FooterLines shownLines() const;
    void showLines(const FooterLines& lines, std::size_t count);
    void setStatus(const std::string& text) { m_face.setStatus(text); }
    // Asks whether to create a missing data file and creates it; the failure's text
    // when it could not be created.
    std::optional<std::string> createIfWanted(DataFile file);
    std::string failureText(ResultCode rc) const;
    void showChangeMark();

    Services& m_services;
    EditorHost& m_host;
    EditorFace& m_face;
    FooterEditor m_editor;
    NumberRange m_plu{0, kLastPlu};
    NumberRange m_footer{-1, kLastFooter};
    bool m_loading = false;
};

}  // namespace kalvero
