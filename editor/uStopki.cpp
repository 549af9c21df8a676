#include "uStopki.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <filesystem>

#include "DataFiles.h"
#include "EditorFields.h"
#include "Messages.h"
#include "OperatingState.h"
#include "PrinterCommands.h"
#include "RecordFiles.h"
#include "ResultText.h"
#include "Services.h"
#include "Text.h"

namespace kalvero {

namespace {

constexpr int kRowsY[4] = {79, 110, 142, 174};
const char* const kLineHints[4] = {"Pierwsza linia stopki", "Druga linia stopki",
                                   "Trzecia linia stopki", "Czwarta linia stopki"};

bool fileExists(const std::string& name) {
    std::error_code ec;
    return std::filesystem::exists(name, ec);
}

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QFrame* bevel(QWidget* parent, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    frame->lower();
    return frame;
}

}  // namespace

TfStopka::TfStopka(Services& services, EditorHost& host)
    : QWidget(nullptr, Qt::Window), m_services(services), m_host(host) {
    setObjectName(QStringLiteral("fStopka"));
    setWindowTitle(QStringLiteral("Definiowanie stopek"));
    setFixedSize(774, 312);
    bevel(this, QRect(240, 8, 521, 49));
    bevel(this, QRect(240, 60, 521, 193));
    buildItemPart();
    buildFooterPart();

    bZatwierdz = new QPushButton(QStringLiteral("Zatwierdź dane stopki"), this);
    bZatwierdz->setObjectName(QStringLiteral("bZatwierdz"));
    bZatwierdz->setToolTip(QStringLiteral("Zapis bieżącej stopki do drukarki etykiet"));
    bZatwierdz->setGeometry(496, 264, 160, 25);
    bZatwierdz->setDefault(true);
    bZatwWiaz = new QPushButton(QStringLiteral("Zatwierdź wiązanie"), this);
    bZatwWiaz->setObjectName(QStringLiteral("bZatwWiaz"));
    bZatwWiaz->setToolTip(QStringLiteral("Zapis wiązania towar-stopka do drukarki etykiet"));
    bZatwWiaz->setGeometry(336, 264, 145, 25);
    bWyjdz = new QPushButton(QStringLiteral("&Wyjdź"), this);
    bWyjdz->setObjectName(QStringLiteral("bWyjdz"));
    bWyjdz->setGeometry(672, 264, 89, 25);
    connect(bZatwierdz, &QPushButton::clicked, this, &TfStopka::bZatwierdzClick);
    connect(bZatwWiaz, &QPushButton::clicked, this, &TfStopka::bZatwWiazClick);
    connect(bWyjdz, &QPushButton::clicked, this, &TfStopka::bWyjdzClick);
    // Enter on a focused button presses it.
    for (QPushButton* button : {bZatwierdz, bZatwWiaz, bWyjdz}) {
        button->setAutoDefault(true);
    }

    sbStopka = new QStatusBar(this);
    sbStopka->setObjectName(QStringLiteral("sbStopka"));
    sbStopka->setSizeGripEnabled(false);
    sbStopka->setGeometry(0, 292, 774, 20);
    m_status = new QLabel(sbStopka);
    sbStopka->addWidget(m_status, 1);

    QWidget* previous = sePLU;
    const auto chain = [this, &previous](QWidget* next) {
        setTabOrder(previous, next);
        previous = next;
    };
    chain(seNrStopki);
    for (int k = 0; k < 4; ++k) {
        chain(w[k]);
        chain(s[k]);
        chain(rg[k]->item(0));
        chain(rg[k]->item(1));
    }
    chain(bZatwierdz);
    chain(bZatwWiaz);
    chain(bWyjdz);
}

void TfStopka::buildItemPart() {
    QFont bold = font();
    bold.setBold(true);
    Label3 = new QLabel(QStringLiteral("Towar"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(bold);
    Label3->setGeometry(256, 20, 60, 21);
    sePLU = new NumberField(4, this);
    sePLU->setObjectName(QStringLiteral("sePLU"));
    sePLU->setToolTip(
        QStringLiteral("Zmiana towaru spowoduje odczytanie towaru i związanej z nim stopki"));
    sePLU->setGeometry(328, 19, 49, 22);
    sePLU->setRange(0, kLastPlu);
    sePLU->setValue(0);
    udtowar = new UpDown(*sePLU, this);
    udtowar->setObjectName(QStringLiteral("udtowar"));
    udtowar->setGeometry(377, 19, 16, 22);
    eNazwa = new QLineEdit(this);
    eNazwa->setObjectName(QStringLiteral("eNazwa"));
    eNazwa->setReadOnly(true);
    eNazwa->setEnabled(false);
    eNazwa->setFocusPolicy(Qt::NoFocus);
    eNazwa->setGeometry(408, 20, 300, 21);
    eNazwa->hide();

    connect(sePLU, &NumberField::keyReleased, this, &TfStopka::sePLUKeyUp);
    connect(udtowar, &UpDown::released, this, [this](Qt::MouseButton) {
        sePLUChange();
        sePLU->setFocus();
    });
}

void TfStopka::buildFooterPart() {
    QFont bold = font();
    bold.setBold(true);
    Label1 = new QLabel(QStringLiteral("Stopka"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(bold);
    Label1->setGeometry(256, 79, 60, 21);
    seNrStopki = new NumberField(3, this);
    seNrStopki->setObjectName(QStringLiteral("seNrStopki"));
    seNrStopki->setToolTip(QStringLiteral("Zmiana numeru spowoduje odczytanie stopki z ORU"));
    seNrStopki->setGeometry(256, 110, 42, 22);
    seNrStopki->setRange(-1, kLastFooter);
    seNrStopki->setValue(-1);
    UpDown1 = new UpDown(*seNrStopki, this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(298, 110, 16, 22);
    connect(seNrStopki, &NumberField::keyReleased, this, &TfStopka::seNrStopkiKeyUp);
    connect(seNrStopki, &NumberField::focusLeft, this, &TfStopka::seNrStopkiChange);
    connect(UpDown1, &UpDown::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            seNrStopkiChange();
        }
    });

    for (int k = 0; k < 4; ++k) {
        const QString n = QString::number(k + 1);
        w[k] = new QCheckBox(this);
        w[k]->setObjectName(QStringLiteral("w") + n);
        w[k]->setGeometry(328, kRowsY[k], 20, 21);
        s[k] = new LineField(this);
        s[k]->setObjectName(QStringLiteral("s") + n);
        s[k]->setToolTip(QString::fromUtf8(kLineHints[k]));
        s[k]->setGeometry(352, kRowsY[k], 300, 21);
        s[k]->setMaxLength(40);
        rg[k] = new WidthChoice(this);
        rg[k]->setObjectName(QStringLiteral("rg") + n);
        rg[k]->setToolTip(QStringLiteral("Liczba znaków w linii"));
        rg[k]->setGeometry(664, kRowsY[k] - 2, 90, 25);

        connect(rg[k], &WidthChoice::changed, this, [this, k] {
            rg1Click(k);
            showChangeMark();
        });
        connect(s[k], &LineField::entered, s[k], &QLineEdit::selectAll, Qt::QueuedConnection);
        connect(s[k], &QLineEdit::textEdited, this, &TfStopka::showChangeMark);
        connect(w[k], &QCheckBox::clicked, this, &TfStopka::showChangeMark);
        // Enter in a line's field, box or selector saves the footer.
        for (QObject* control :
             {static_cast<QObject*>(w[k]), static_cast<QObject*>(s[k]),
              static_cast<QObject*>(rg[k]->item(0)), static_cast<QObject*>(rg[k]->item(1))}) {
            control->installEventFilter(this);
        }
    }

    changeMark = new QFrame(this);
    changeMark->setObjectName(QStringLiteral("changeMark"));
    changeMark->setGeometry(272, 144, 25, 15);
    changeMark->setStyleSheet(QStringLiteral("background: aqua; border-radius: 7px;"));
    changeMark->hide();
}

bool TfStopka::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        bZatwierdzClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

std::uint8_t TfStopka::mode() const {
    return m_services.state.OfflineMode;
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

std::optional<QString> TfStopka::createIfWanted(const std::string& name, const QString& text) {
    if (!m_services.messages.ask(this, QStringLiteral("Brak pliku"), text)) {
        return std::nullopt;
    }
    FileError error;
    if (CreateDefaultFile(m_services.files, name, &error)) {
        return std::nullopt;
    }
    return QStringLiteral("Nie utworzono pliku %1: %2")
        .arg(QString::fromStdString(error.name), QString::fromStdString(error.reason));
}

// A file the system would not create or write is named with the system's reason.
QString TfStopka::failureText(ResultCode rc) const {
    if (mode() == 1) {
        if (const auto& error = m_services.records.fileError()) {
            return QStringLiteral("Nie zapisano pliku %1: %2")
                .arg(QString::fromStdString(error->name), QString::fromStdString(error->reason));
        }
    }
    return toQt(ResultText(rc));
}

void TfStopka::open() {
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
    setWindowTitle(mode() == 1
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

void TfStopka::rg1Click(int line) {
    // The field is the one whose name ends as the selector's does: rg3 is s3's.
    LineField* field = findChild<LineField*>(QStringLiteral("s") + rg[line]->objectName().back());
    if (rg[line]->itemIndex() == 1) {
        field->setMaxLength(20);  // cuts the text to its first 20 characters
        field->setGeometry(427, kRowsY[line], 150, 21);
    } else {
        field->setMaxLength(40);
        field->setGeometry(352, kRowsY[line], 300, 21);
    }
}

std::string TfStopka::lineText(int line) const {
    return fromQt(s[line]->text()).value_or(std::string());
}

void TfStopka::takeOverLine(int line, const std::string& text, std::uint8_t width20,
                            std::uint8_t enabled) {
    FooterSnapshotLine& snapshot = m_snapshot[line];
    snapshot.text = width20 == 1 ? text.substr(0, 20) : text;
    snapshot.width = width20;
    snapshot.enabled = enabled;
    // The width first: a 20-character field would cut a 40-character text.
    rg[line]->setItemIndex(width20 == 1 ? 1 : 0);
    s[line]->setText(toQt(snapshot.text));
    w[line]->setChecked(enabled != 0);
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
    const auto footer = static_cast<std::uint8_t>(number);

    std::string text;
    std::uint8_t width20 = 0;
    std::uint8_t enabled = 0;
    // Disabling the focused field would hand the focus on to the next control.
    const bool focused = seNrStopki->hasFocus();
    seNrStopki->setEnabled(false);
    ResultCode rc = m_services.commands.ReadFooterLine(mode(), footer, 1, text, width20, enabled);
    seNrStopki->setEnabled(true);
    if (focused) {
        seNrStopki->setFocus();
    }
    if (rc != 0) {
        QString status = QStringLiteral("BRAK DEFINICJI STOPKI W PLIKU");
        if (mode() == 1 && !fileExists(m_services.files.FooterFileName)) {
            status = createIfWanted(m_services.files.FooterFileName,
                                    QStringLiteral("Czy utworzyc plik z danymi stopek ?"))
                         .value_or(status);
        }
        for (int k = 0; k < 4; ++k) {
            rg[k]->setItemIndex(0);
            s[k]->setText(QString::fromLatin1(kNoFooterMarker));
            w[k]->setChecked(false);
        }
        setStatus(status);
        showChangeMark();
        m_loading = false;
        return;
    }
    takeOverLine(0, text, width20, enabled);
    for (std::uint8_t k = 2; k <= 4; ++k) {
        rc = m_services.commands.ReadFooterLine(mode(), footer, k, text, width20, enabled);
        if (rc != 0) {
            setStatus(toQt(ResultText(rc)));
            showChangeMark();
            m_loading = false;
            return;
        }
        takeOverLine(k - 1, text, width20, enabled);
    }
    setStatus(QStringLiteral("OK"));
    showChangeMark();
    m_loading = false;
}

bool TfStopka::FooterEdited() const {
    if (s[0]->text() == QLatin1String(kNoFooterMarker)) {
        return false;
    }
    for (int k = 0; k < 4; ++k) {
        if (lineText(k) != m_snapshot[k].text || rg[k]->itemIndex() != m_snapshot[k].width ||
            (w[k]->isChecked() ? 1 : 0) != m_snapshot[k].enabled) {
            return true;
        }
    }
    return false;
}

std::string TfStopka::footerRecordTail() const {
    FooterRecord record;
    for (std::size_t k = 0; k < record.lines.size(); ++k) {
        record.lines[k] = {static_cast<std::uint8_t>(rg[k]->itemIndex() == 1 ? 1 : 0),
                           static_cast<std::uint8_t>(w[k]->isChecked() ? 1 : 0), lineText(int(k))};
    }
    return record.tail();
}

void TfStopka::bZatwierdzClick() {
    if (mode() == 1 && !fileExists(m_services.files.FooterFileName)) {
        if (const auto failure =
                createIfWanted(m_services.files.FooterFileName,
                               QStringLiteral("Czy utworzyc plik z danymi stopek ?"))) {
            setStatus(*failure);
            return;
        }
    }
    setStatus(QStringLiteral("Zapis danych stopki..."));
    setBusy(true);
    const auto footer = static_cast<std::uint8_t>(seNrStopki->limited(seNrStopki->value()));
    ResultCode rc = 0;
    if (mode() == 0) {
        for (int k = 0; k < 4 && rc == 0; ++k) {
            const std::uint8_t width20 = rg[k]->itemIndex() == 1 ? 1 : 0;
            const std::uint8_t enabled = w[k]->isChecked() ? 1 : 0;
            const std::string text = lineText(k);
            rc = m_services.commands.WriteFooterLine(0, footer, static_cast<std::uint8_t>(k + 1),
                                                     text, width20, enabled);
            if (rc == 0) {
                m_snapshot[k] = {width20, enabled, text};
            }
        }
    } else {
        rc = m_services.commands.WriteFooterLine(1, footer, 1, footerRecordTail(),
                                                 rg[0]->itemIndex() == 1 ? 1 : 0,
                                                 w[0]->isChecked() ? 1 : 0);
        if (rc == 0) {
            for (int k = 0; k < 4; ++k) {
                m_snapshot[k] = {static_cast<std::uint8_t>(rg[k]->itemIndex() == 1 ? 1 : 0),
                                 static_cast<std::uint8_t>(w[k]->isChecked() ? 1 : 0), lineText(k)};
            }
        }
    }
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
    eNazwa->setVisible(mode() == 0);
    std::string name;
    ResultCode rc = m_services.commands.ReadItemName(mode(), item, name);
    if (rc != 0) {
        setStatus(toQt(ResultText(rc)));
        setBusy(false);
        return;
    }
    eNazwa->setText(toQt(name));

    std::uint8_t footer = 0;
    setBusy(true);
    rc = m_services.commands.ReadBinding(mode(), item, footer);
    setBusy(false);
    if (rc != 0) {
        std::optional<QString> failure;
        if (!fileExists(m_services.files.BindingFileName)) {
            failure = createIfWanted(m_services.files.BindingFileName,
                                     QStringLiteral("Czy utworzyc plik z danymi wiązań ?"));
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
    const ResultCode rc = m_services.commands.WriteBinding(mode(), item, footer);
    setBusy(false);
    if (rc != 0) {
        setStatus(failureText(rc));
        return;
    }
    setStatus(QStringLiteral("OK"));
    sePLUChange();
}

}  // namespace kalvero
