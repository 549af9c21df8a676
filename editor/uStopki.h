#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "ResultCode.h"
#include "WindowLinks.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace kalvero {

class LineField;
class NumberField;
class UpDown;
class WidthChoice;
struct Services;

// One line of the footer as last loaded or saved; the editor compares against it.
struct FooterSnapshotLine {
    std::uint8_t width = 0;    // 1: 20 characters
    std::uint8_t enabled = 0;  // 1: printed
    std::string text;          // Windows-1250
};
using FooterSnapshotLines = std::array<FooterSnapshotLine, 4>;

// The footer editor: one footer at a time loaded, edited and saved, and one item
// at a time bound to a footer, in the printer (online) or in the data files.
class TfStopka : public QWidget, public EditorWindow {
    Q_OBJECT
public:
    static constexpr const char* kNoFooterMarker = "!BRAK OPISU STOPKI W PLIKU!";

    TfStopka(Services& services, EditorHost& host);

    // The menu command: shows the window and runs what every opening runs.
    void open() override;
    void setItemNameVisible(bool visible) override;
    bool FooterEdited() const;
    const FooterSnapshotLines& FooterSnapshot() const { return m_snapshot; }
    QString statusText() const;

    QLabel* Label3 = nullptr;
    NumberField* sePLU = nullptr;
    UpDown* udtowar = nullptr;
    QLineEdit* eNazwa = nullptr;
    QLabel* Label1 = nullptr;
    NumberField* seNrStopki = nullptr;
    UpDown* UpDown1 = nullptr;
    std::array<QCheckBox*, 4> w{};
    std::array<LineField*, 4> s{};
    std::array<WidthChoice*, 4> rg{};
    QPushButton* bZatwierdz = nullptr;
    QPushButton* bZatwWiaz = nullptr;
    QPushButton* bWyjdz = nullptr;
    QStatusBar* sbStopka = nullptr;
    QFrame* changeMark = nullptr;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildItemPart();
    void buildFooterPart();
    void FormActivate();
    void rg1Click(int line);
    void seNrStopkiKeyUp();
    void sePLUKeyUp();
    void takeOverLine(int line, const std::string& text, std::uint8_t width20,
                      std::uint8_t enabled);
    std::string lineText(int line) const;
    std::string footerRecordTail() const;
    void setStatus(const QString& text);
    void setBusy(bool busy);
    // Asks whether to create a missing data file and creates it; the failure's text
    // when it could not be created.
    std::optional<QString> createIfWanted(const std::string& name, const QString& text);
    QString failureText(ResultCode rc) const;
    void showChangeMark();
    std::uint8_t mode() const;

    Services& m_services;
    EditorHost& m_host;
    FooterSnapshotLines m_snapshot{};
    QLabel* m_status = nullptr;
    bool m_loading = false;
};

}  // namespace kalvero
