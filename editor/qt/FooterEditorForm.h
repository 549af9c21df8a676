// SPDX-License-Identifier: MIT
#pragma once

#include <array>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QWidget;

namespace kalvero {

class FooterLineRow;
class LineField;
class NumberField;
class UpDown;
class WidthChoice;

// The footer editor window's widgets, placed where the window shows them and in
// its tab order: the item and its name, the footer number, the four lines, the
// buttons and the status bar. What they do is the editor's.
class FooterEditorForm {
public:
    void setupUi(QWidget* window);

    QLabel* Label3 = nullptr;
    NumberField* sePLU = nullptr;
    UpDown* udtowar = nullptr;
    QLineEdit* eNazwa = nullptr;
    QLabel* Label1 = nullptr;
    NumberField* seNrStopki = nullptr;
    UpDown* UpDown1 = nullptr;
    std::array<FooterLineRow*, 4> rows{};
    std::array<QCheckBox*, 4> w{};
    std::array<LineField*, 4> s{};
    std::array<WidthChoice*, 4> rg{};
    QPushButton* bZatwierdz = nullptr;
    QPushButton* bZatwWiaz = nullptr;
    QPushButton* bWyjdz = nullptr;
    QStatusBar* sbStopka = nullptr;
    QFrame* changeMark = nullptr;

private:
    void setupItemPart(QWidget* window);
    void setupFooterPart(QWidget* window);
    void setupButtons(QWidget* window);
};

}  // namespace kalvero
