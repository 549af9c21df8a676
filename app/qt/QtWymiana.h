// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <map>

#include "app/uWymiana.h"
#include "ui/qt/Frame.h"
#include "ui/qt/QtWindowFace.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace kalvero {

// The data exchange dialog drawn with Qt, over the main window it opens from.
class QtWymiana final : public QtWindowFace<ExchangeFace> {
public:
    QtWymiana(MessageBoxes& boxes, QWidget& mainWindow);

    void attach(TfWymiana& dialog) override;
    void setStartCaption(const std::string& caption) override;
    void showControl(WymianaControl control, bool visible) override;
    void enableControl(WymianaControl control, bool enabled) override;
    bool ticked(WymianaControl box) const override;
    int maxPlu() const override;
    void showFileName(WymianaControl field, const std::string& name) override;
    void setPickerFolder(const std::string& folder) override;
    std::optional<std::string> pickFile() override;
    void centreOverMainWindow() override;

    QCheckBox* cbWiazania = nullptr;
    QCheckBox* cbStopki = nullptr;
    QPushButton* bDalej = nullptr;
    QPushButton* bAnuluj = nullptr;
    QToolButton* sbZmienStopka = nullptr;
    QToolButton* sbZmienWiazania = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QFileDialog* odPlik = nullptr;
    QSpinBox* seMaxPLU = nullptr;
    QLabel* Label1 = nullptr;

private:
    QWidget* control(WymianaControl control) const;

    Frame<QWidget>& m_window;
    QWidget& m_mainWindow;
};

}  // namespace kalvero
