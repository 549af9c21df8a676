// SPDX-License-Identifier: MIT
#include "editor/uStopki.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "editor/EditorFields.h"
#include "editor/FooterLineRow.h"
#include "ui/Messages.h"
#include "data/ResultText.h"
#include "ui/Recovery.h"
#include "ui/Services.h"
#include "ui/Text.h"

namespace kalvero {

TfStopka::TfStopka(Services& services, EditorHost& host)
    : QWidget(nullptr, Qt::Window),
      m_services(services),
      m_host(host),
      m_editor(services.commands, services.records, services.files, services.state) {
    setupUi(this);
    m_status = new QLabel(sbStopka);
    sbStopka->addWidget(m_status, 1);

    connect(sePLU, &NumberField::keyReleased, this, &TfStopka::sePLUKeyUp);
    connect(udtowar, &UpDown::released, this, [this](Qt::MouseButton) {
        sePLUChange();
        sePLU->setFocus();
    });
    connect(seNrStopki, &NumberField::keyReleased, this, &TfStopka::seNrStopkiKeyUp);
    connect(seNrStopki, &NumberField::focusLeft, this, &TfStopka::seNrStopkiChange);
    connect(UpDown1, &UpDown::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            seNrStopkiChange();
        }
    });
    for (FooterLineRow* row : rows) {
        connect(row, &FooterLineRow::changed, this, &TfStopka::showChangeMark);
        // Enter in a line's field, box or selector saves the footer.
        connect(row, &FooterLineRow::enterPressed, this, &TfStopka::bZatwierdzClick);
    }
    connect(bZatwierdz, &QPushButton::clicked, this, &TfStopka::bZatwierdzClick);
    connect(bZatwWiaz, &QPushButton::clicked, this, &TfStopka::bZatwWiazClick);
    connect(bWyjdz, &QPushButton::clicked, this, &TfStopka::bWyjdzClick);
}

QString TfStopka::statusText() const {
    return m_status->text();
}

void TfStopka::setStatus(const QString& text) {
    m_status->setText(text);
    m_status->repaint();
}

void TfStopka::setBusy(bool busy) {
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void TfStopka::setItemNameVisible(bool visible) {
    eNazwa->setVisible(visible);
}

// The mark says that the shown footer differs from what was last loaded or saved.
void TfStopka::showChangeMark() {
    changeMark->setVisible(FooterEdited());
}

std::optional<QString> TfStopka::createIfWanted(DataFile file) {
    const QString text = file == DataFile::Footers
                             ? QStringLiteral("Czy utworzyc plik z danymi stopek ?")
                             : QStringLiteral("Czy utworzyc plik z danymi wiązań ?");
    if (!m_services.messages.ask(this, QStringLiteral("Brak pliku"), text)) {
        return std::nullopt;
    }
    if (const auto error = m_editor.create(file)) {
        return QStringLiteral("Nie utworzono pliku %1: %2")
            .arg(QString::fromStdString(error->name), QString::fromStdString(error->reason));
    }
    return std::nullopt;
}

// A file the system would not create or write is named with the system's reason.
QString TfStopka::failureText(ResultCode rc) const {
    if (const auto error = m_editor.writeError()) {
        return QStringLiteral("Nie zapisano pliku %1: %2")
            .arg(QString::fromStdString(error->name), QString::fromStdString(error->reason));
    }
    return toQt(ResultText(rc));
}

void TfStopka::open() {
    if (!RecoverDataFiles(m_services.files, m_services.messages, this)) {
        return;  // files an import left half-way are not edited
    }
    show();
    raise();
    activateWindow();
    FormActivate();
}

void TfStopka::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_host.setEditorOpen(true);
    if (event->spontaneous()) {
        return;  // restored from the task bar: it stays where the user left it
    }
    // Centred on the main window, but never pushed off the screen.
    QRect placed = rect();
    placed.moveCenter(m_host.editorCentre());
    if (const QScreen* screen = this->screen()) {
        const QRect free = screen->availableGeometry();
        placed.moveLeft(std::clamp(placed.left(), free.left(),
                                   std::max(free.left(), free.right() - placed.width())));
        placed.moveTop(std::clamp(placed.top(), free.top(),
                                  std::max(free.top(), free.bottom() - placed.height())));
    }
    move(placed.topLeft());
}

// A minimized editor is hidden too, but still open: the main window stays disabled.
void TfStopka::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!isVisible()) {
        m_host.setEditorOpen(false);
    }
}

// The close box only hides: the footer number stays, so edits asked about at the
// next opening are stored under the footer they belong to, never as footer 0.
void TfStopka::closeEvent(QCloseEvent* event) {
    event->accept();
}

void TfStopka::FormActivate() {
    setWindowTitle(m_editor.offline()
                       ? QStringLiteral("Definiowanie stopek - dane z/do plików")
                       : QStringLiteral("Definiowanie stopek - dane z/do drukarki etykiet"));
    seNrStopki->setEnabled(true);
    sePLU->setEnabled(true);
    seNrStopki->setRange(0, kLastFooter);
    seNrStopki->setValue(seNrStopki->limited(seNrStopki->value()));
    sePLU->setValue(1);
    sePLU->setRange(1, kLastPlu);
    changeMark->hide();
    sePLUChange();
    sePLU->setFocus();
}

void TfStopka::bWyjdzClick() {
    hide();
}

void TfStopka::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && sePLU->hasFocus()) {
        sePLUChange();
    }
}

void TfStopka::seNrStopkiKeyUp() {
    seNrStopki->setValue(seNrStopki->limited(seNrStopki->value()));
    seNrStopkiChange();
    seNrStopki->setFocus();
}

void TfStopka::sePLUKeyUp() {
    sePLU->setValue(sePLU->limited(sePLU->value()));
    sePLUChange();
    sePLU->setFocus();
}

FooterLines TfStopka::shownLines() const {
    FooterLines lines;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        lines[k] = rows[k]->shown();
    }
    return lines;
}

void TfStopka::showLines(const FooterLines& lines, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        rows[k]->show(lines[k]);
    }
}

void TfStopka::seNrStopkiChange() {
    if (m_loading) {
        return;
    }
    m_loading = true;
    setStatus(QStringLiteral("Odczyt danych stopki..."));
    auto number = static_cast<std::uint16_t>(seNrStopki->value());
    if (number > kLastFooter) {
        number = kLastFooter;
        seNrStopki->setValue(number);
        seNrStopki->repaint();
    }
    // Disabling the focused field would hand the focus on to the next control.
    const bool focused = seNrStopki->hasFocus();
    seNrStopki->setEnabled(false);
    const FooterLoad load = m_editor.load(static_cast<std::uint8_t>(number));
    seNrStopki->setEnabled(true);
    if (focused) {
        seNrStopki->setFocus();
    }
    showLines(m_editor.FooterSnapshot(), load.lines);
    if (load.lines == 0) {
        QString status = QStringLiteral("BRAK DEFINICJI STOPKI W PLIKU");
        if (m_editor.offline() && m_editor.missing(DataFile::Footers)) {
            status = createIfWanted(DataFile::Footers).value_or(status);
        }
        const FooterLine marker{0, 0, FooterEditor::kNoFooterMarker};
        showLines({marker, marker, marker, marker}, 4);
        setStatus(status);
    } else {
        setStatus(load.result != 0 ? toQt(ResultText(load.result)) : QStringLiteral("OK"));
    }
    showChangeMark();
    m_loading = false;
}

bool TfStopka::FooterEdited() const {
    return m_editor.FooterEdited(shownLines());
}

void TfStopka::bZatwierdzClick() {
    if (m_editor.offline() && m_editor.missing(DataFile::Footers)) {
        if (const auto failure = createIfWanted(DataFile::Footers)) {
            setStatus(*failure);
            return;
        }
    }
    setStatus(QStringLiteral("Zapis danych stopki..."));
    setBusy(true);
    const auto footer = static_cast<std::uint8_t>(seNrStopki->limited(seNrStopki->value()));
    const ResultCode rc = m_editor.save(footer, shownLines());
    setStatus(rc != 0 ? failureText(rc) : QStringLiteral("OK"));
    setBusy(false);
    showChangeMark();
}

void TfStopka::sePLUChange() {
    if (FooterEdited() && m_services.messages.ask(this, QStringLiteral("Zmienione dane stopki"),
                                                  QStringLiteral("Czy zapisac obecną stopkę?"))) {
        bZatwierdzClick();
    }
    auto item = static_cast<std::uint16_t>(sePLU->value());
    if (item > kLastPlu) {
        item = kLastPlu;
        sePLU->setValue(item);
    }
    eNazwa->setVisible(!m_editor.offline());
    std::string name;
    ResultCode rc = m_editor.readItemName(item, name);
    if (rc != 0) {
        setStatus(toQt(ResultText(rc)));
        setBusy(false);
        return;
    }
    eNazwa->setText(toQt(name));

    std::uint8_t footer = 0;
    setBusy(true);
    rc = m_editor.readBinding(item, footer);
    setBusy(false);
    if (rc != 0) {
        std::optional<QString> failure;
        if (m_editor.missing(DataFile::Bindings)) {
            failure = createIfWanted(DataFile::Bindings);
        }
        setStatus(QStringLiteral("BRAK WIĄZANIA PLU-STOPKA W PLIKU"));
        seNrStopki->setValue(0);
        seNrStopkiChange();
        if (failure) {
            setStatus(*failure);
        }
        eNazwa->show();
        eNazwa->setText(QStringLiteral("!!BRAK WIĄZANIA PLU-STOPKA W PLIKU!!"));
        return;
    }
    setStatus(QStringLiteral("OK"));
    seNrStopki->setValue(seNrStopki->limited(footer));
    seNrStopkiChange();
    sePLU->setFocus();
}

void TfStopka::bZatwWiazClick() {
    if (FooterEdited() && m_services.messages.ask(this, QStringLiteral("Zmienione dane stopki"),
                                                  QStringLiteral("Czy zapisac również stopkę?"))) {
        bZatwierdzClick();
    }
    setStatus(QStringLiteral("Zapis wiązania..."));
    setBusy(true);
    const auto item = static_cast<std::uint16_t>(sePLU->value());
    const auto footer = static_cast<std::uint8_t>(seNrStopki->limited(seNrStopki->value()));
    const ResultCode rc = m_editor.bind(item, footer);
    setBusy(false);
    if (rc != 0) {
        setStatus(failureText(rc));
        return;
    }
    setStatus(QStringLiteral("OK"));
    sePLUChange();
}

}  // namespace kalvero
