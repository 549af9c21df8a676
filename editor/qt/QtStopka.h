// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "editor/qt/FooterEditorForm.h"
#include "editor/uStopki.h"
#include "ui/qt/Frame.h"
#include "ui/qt/QtWindowFace.h"

class QLabel;

namespace kalvero {

// The footer editor drawn with Qt, centred over the main window it opens from.
class QtStopka final : public QtWindowFace<EditorFace>, public FooterEditorForm {
public:
    QtStopka(MessageBoxes& boxes, QWidget& mainWindow);

    QString statusText() const;

    void attach(TfStopka& editor) override;
    void centreOverMainWindow() override;
    std::string fieldText(NumberFieldName field) const override;
    void setFieldText(NumberFieldName field, const std::string& text) override;
    void repaintField(NumberFieldName field) override;
    void enableField(NumberFieldName field, bool enabled) override;
    void focusField(NumberFieldName field) override;
    bool fieldFocused(NumberFieldName field) const override;
    FooterLine shownLine(int line) const override;
    void setLineWidth(int line, bool twenty) override;
    void setLineText(int line, const std::string& text) override;
    void setLineEnabled(int line, bool enabled) override;
    void fitLine(int line, bool twenty) override;
    void selectLineText(int line) override;
    void showName(bool visible) override;
    void setName(const std::string& text) override;
    void showChangeMark(bool visible) override;
    void setStatus(const std::string& text) override;

private:
    NumberField* field(NumberFieldName name) const;

    Frame<QWidget>& m_window;
    QWidget& m_mainWindow;
    QLabel* m_status = nullptr;
};

}  // namespace kalvero
