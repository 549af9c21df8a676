// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <optional>

#include "editor/FooterEditor.h"
#include "editor/FooterEditorForm.h"
#include "data/ResultCode.h"
#include "ui/WindowLinks.h"

class QLabel;

namespace kalvero {

struct Services;

// The footer editor's window over FooterEditor: its fields, keys and focus, the
// status line and the questions it asks before saving, binding or creating a file.
class TfStopka : public QWidget, public EditorWindow, public FooterEditorForm {
    Q_OBJECT
public:
    TfStopka(Services& services, EditorHost& host);

    // The menu command: shows the window and runs what every opening runs.
    void open() override;
    void setItemNameVisible(bool visible) override;
    bool FooterEdited() const;
    QString statusText() const;

public slots:
    void seNrStopkiChange();
    void bZatwierdzClick();
    void sePLUChange();
    void bZatwWiazClick();
    void bWyjdzClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FormActivate();
    void seNrStopkiKeyUp();
    void sePLUKeyUp();
    FooterLines shownLines() const;
    void showLines(const FooterLines& lines, std::size_t count);
    void setStatus(const QString& text);
    void setBusy(bool busy);
    // Asks whether to create a missing data file and creates it; the failure's text
    // when it could not be created.
    std::optional<QString> createIfWanted(DataFile file);
    QString failureText(ResultCode rc) const;
    void showChangeMark();

    Services& m_services;
    EditorHost& m_host;
    FooterEditor m_editor;
    QLabel* m_status = nullptr;
    bool m_loading = false;
};

}  // namespace kalvero
