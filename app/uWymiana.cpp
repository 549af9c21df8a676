// SPDX-License-Identifier: MIT
#include "app/uWymiana.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "data/FileNames.h"
#include "data/FilePath.h"
#include "data/ResultText.h"
#include "link/OperatingState.h"
#include "ui/DialogKeys.h"
#include "ui/Messages.h"
#include "ui/Recovery.h"
#include "ui/Services.h"
#include "ui/Text.h"

namespace kalvero {

namespace {

QString fromLocal(const std::string& name) {
    return QString::fromLocal8Bit(name.c_str());
}

}  // namespace

TfWymiana::TfWymiana(Services& services, TransferHost& host, MainProgress& progress)
    : QWidget(nullptr, Qt::Dialog),
      m_serial(services.serial),
      m_state(services.state),
      m_files(services.files),
      m_host(host),
      m_messages(services.messages),
      m_progress(progress),
      m_transfers(services.commands, services.files, services.state, m_progress) {
    setObjectName(QStringLiteral("fWymiana"));
    setFixedSize(371, 196);
    move(207, 163);
    QFont bigger = font();
    bigger.setPixelSize(13);

    cbWiazania = new QCheckBox(QStringLiteral("Wiązania PLU - stopka"), this);
    cbWiazania->setObjectName(QStringLiteral("cbWiazania"));
    cbWiazania->setGeometry(16, 56, 169, 17);
    cbWiazania->setChecked(true);
    cbWiazania->setFont(bigger);
    cbStopki = new QCheckBox(QStringLiteral("Definicje stopek"), this);
    cbStopki->setObjectName(QStringLiteral("cbStopki"));
    cbStopki->setGeometry(16, 24, 137, 17);
    cbStopki->setChecked(true);
    cbStopki->setFont(bigger);
    bDalej = new QPushButton(this);
    bDalej->setObjectName(QStringLiteral("bDalej"));
    bDalej->setGeometry(176, 128, 75, 25);
    bDalej->setDefault(true);
    bDalej->setAutoDefault(true);
    bAnuluj = new QPushButton(QStringLiteral("Anuluj"), this);
    bAnuluj->setObjectName(QStringLiteral("bAnuluj"));
    bAnuluj->setGeometry(56, 128, 75, 25);
    sbZmienStopka = new QToolButton(this);
    sbZmienStopka->setObjectName(QStringLiteral("sbZmienStopka"));
    sbZmienStopka->setText(QStringLiteral("..."));
    sbZmienStopka->setGeometry(312, 24, 23, 22);
    sbZmienStopka->setFocusPolicy(Qt::NoFocus);
    sbZmienWiazania = new QToolButton(this);
    sbZmienWiazania->setObjectName(QStringLiteral("sbZmienWiazania"));
    sbZmienWiazania->setText(QStringLiteral("..."));
    sbZmienWiazania->setGeometry(312, 56, 23, 22);
    sbZmienWiazania->setFocusPolicy(Qt::NoFocus);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(200, 24, 97, 21);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(200, 56, 97, 21);
    odPlik = new QFileDialog(this);
    odPlik->setObjectName(QStringLiteral("odPlik"));
    // A read creates the file it is given: a name that does not exist yet is taken.
    odPlik->setFileMode(QFileDialog::AnyFile);
    seMaxPLU = new QSpinBox(this);
    seMaxPLU->setObjectName(QStringLiteral("seMaxPLU"));
    seMaxPLU->setGeometry(200, 88, 65, 22);
    seMaxPLU->setRange(1, 9983);
    seMaxPLU->setValue(9983);
    Label1 = new QLabel(QStringLiteral("odczyt do PLU nr"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(bigger);
    // At least its design width, wider where this system's font needs it.
    Label1->setGeometry(64, 91, std::max(101, Label1->sizeHint().width()), 16);

    setTabOrder(cbWiazania, cbStopki);
    setTabOrder(cbStopki, bDalej);
    setTabOrder(bDalej, bAnuluj);
    setTabOrder(bAnuluj, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, seMaxPLU);

    connect(bDalej, &QPushButton::clicked, this, &TfWymiana::bDalejClick);
    connect(bAnuluj, &QPushButton::clicked, this, &TfWymiana::bAnulujClick);
    new DialogKeys(this, bDalej, bAnuluj);
    connect(sbZmienStopka, &QToolButton::clicked, this, &TfWymiana::sbZmienStopkaClick);
    connect(sbZmienWiazania, &QToolButton::clicked, this, &TfWymiana::sbZmienWiazaniaClick);
    FormCreate();
}

void TfWymiana::FormCreate() {
    odPlik->setDirectory(QDir::currentPath());
    Edit1->setText(fromLocal(m_files.FooterFileName));
    Edit2->setText(fromLocal(m_files.BindingFileName));
}

void TfWymiana::open(ExchangeKind kind) {
    static const char* const captions[] = {"Zapis danych do drukarki etykiet",
                                           "Odczyt danych z drukarki etykiet",
                                           "Kasowanie danych z drukarki etykiet"};
    static const char* const buttons[] = {"Zapis", "Odczyt", "Kasowanie"};
    const int index = static_cast<int>(kind) - 1;
    setWindowTitle(QString::fromUtf8(captions[index]));
    bDalej->setText(QString::fromUtf8(buttons[index]));
    for (QCheckBox* box : {cbStopki, cbWiazania}) {
        box->show();
        box->setEnabled(true);
    }
    const bool files = kind != ExchangeKind::Erase;
    for (QWidget* w : {static_cast<QWidget*>(Edit1), static_cast<QWidget*>(sbZmienStopka),
                       static_cast<QWidget*>(Edit2), static_cast<QWidget*>(sbZmienWiazania)}) {
        w->setVisible(files);
    }
    Label1->setVisible(kind == ExchangeKind::Read);
    seMaxPLU->setVisible(kind == ExchangeKind::Read);
    // Over the main window, where the eye already is.
    move(m_progress.window().frameGeometry().center() - rect().center());
    show();
    raise();
}

bool TfWymiana::pickFile(std::string& name, const std::string& other, QLineEdit* field) {
    if (odPlik->exec() != QDialog::Accepted || odPlik->selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = QFileInfo(odPlik->selectedFiles().constFirst()).absoluteFilePath();
    // One file cannot hold both: a read would keep only the bindings.
    if (SameFile(path.toLocal8Bit().toStdString(), other)) {
        m_messages.inform(this, QStringLiteral("Plik stopek i plik wiązań muszą być różnymi "
                                               "plikami: %1")
                                    .arg(path));
        return false;
    }
    name = path.toLocal8Bit().toStdString();
    field->setText(path);
    return true;
}

QString TfWymiana::keptApart(const QStringList& files) {
    return files.size() == 1
               ? QStringLiteral("Odczytane dane są w pliku %1, dotychczasowy plik jest bez zmian")
                     .arg(files.front())
               : QStringLiteral("Odczytane dane są w plikach %1, dotychczasowe pliki są bez zmian")
                     .arg(files.join(QStringLiteral(" i ")));
}

void TfWymiana::sbZmienStopkaClick() {
    pickFile(m_files.FooterFileName, m_files.BindingFileName, Edit1);
}

void TfWymiana::sbZmienWiazaniaClick() {
    pickFile(m_files.BindingFileName, m_files.FooterFileName, Edit2);
}

void TfWymiana::bDalejClick() {
    m_state.AbortRequested = 0;
    hide();
    m_host.enableInput();
    m_host.beginTransfer();
    m_partialNotes.clear();
    m_printerLost = false;
    // Files an import left half-way are never read or sent.
    if (RecoverDataFiles(m_files, m_messages, this)) {
        runTransfers();
    }
    m_host.endTransfer();
    // Stays after the transfer, on the operation label, until the next operation.
    if (!m_partialNotes.isEmpty()) {
        m_progress.showNote(keptApart(m_partialNotes));
    }
}

// Footers first, then bindings, each only when ticked; the binding transfer runs
// whatever became of the footer one, unless the main window is closing.
void TfWymiana::runTransfers() {
    struct Transfer {
        ExchangeKind kind;
        bool footers;  // else the bindings
        // done comes in as the row's text and leaves as the text to show.
        ResultCode (*run)(TfWymiana& dialog, QString& done);
        QStringView stopped;
        QStringView done;
    };
    static const Transfer transfers[] = {
        {ExchangeKind::Write, true,
         [](TfWymiana& dialog, QString& done) {
             std::uint16_t count = 0;
             const ResultCode rc = dialog.m_transfers.WriteAllFooters(count);
             done = done.arg(count);
             return rc;
         },
         u"Zapis stopek przerwany przez użytkownika", u"Zapis stopek: OK, zapisano %1"},
        {ExchangeKind::Write, false,
         [](TfWymiana& dialog, QString&) { return dialog.m_transfers.WriteAllBindings(); },
         u"Zapis wiązań przerwany przez użytkownika", u"Zapis wiązań: OK"},
        {ExchangeKind::Read, true,
         [](TfWymiana& dialog, QString&) { return dialog.m_transfers.ReadAllFooters(); },
         u"Odczyt stopek przerwany przez użytkownika", u"Odczyt stopek: OK"},
        {ExchangeKind::Read, false,
         [](TfWymiana& dialog, QString&) {
             return dialog.m_transfers.ReadAllBindings(
                 static_cast<std::uint16_t>(dialog.seMaxPLU->value()));
         },
         u"Odczyt wiązań przerwany przez użytkownika", u"Odczyt wiązań: OK"},
        {ExchangeKind::Erase, true,
         [](TfWymiana& dialog, QString&) { return dialog.m_transfers.EraseAllFooters(); },
         u"Kasowanie stopek przerwane przez użytkownika", u"Kasowanie stopek: OK"},
        {ExchangeKind::Erase, false,
         [](TfWymiana& dialog, QString&) { return dialog.m_transfers.EraseAllBindings(); },
         u"Kasowanie wiązań przerwane przez użytkownika", u"Kasowanie wiązań: OK"},
    };
    const bool footers = cbStopki->isChecked();
    const bool bindings = cbWiazania->isChecked();
    for (const Transfer& transfer : transfers) {
        if (transfer.kind != m_state.ExchangeMode || !(transfer.footers ? footers : bindings) ||
            (!transfer.footers && m_host.closeRequested())) {
            continue;
        }
        QString done = transfer.done.toString();
        const ResultCode rc = transfer.run(*this, done);
        report(rc, transfer.stopped.toString(), done);
        if (m_printerLost) {
            m_host.printerLost();
            break;  // said once: the bindings could not reach it either
        }
    }
}

void TfWymiana::report(ResultCode rc, const QString& stopped, const QString& done) {
    m_progress.flush();
    if (m_host.closeRequested()) {
        return;
    }
    // A read that did not finish says in its box where what came is.
    QString kept;
    if (const auto& partial = m_transfers.partialFile()) {
        const QString file = QString::fromLocal8Bit(partial->c_str());
        m_partialNotes << file;
        kept = QStringLiteral("\n") + keptApart({file});
    }
    if (rc == kFileErrorCode && m_transfers.fileError()) {
        const FileError& error = *m_transfers.fileError();
        m_messages.inform(&m_progress.window(),
                          QStringLiteral("Nie można zapisać pliku %1\n%2")
                                  .arg(QString::fromLocal8Bit(error.name.c_str()),
                                       QString::fromLocal8Bit(error.reason.c_str())) +
                              kept);
    } else if (rc != 0) {
        // A printer on the network whose server hung up: named with its address.
        QString text = toQt(ResultText(rc));
        if (const auto gone = rc == serial::kTransmitTimeout ? m_serial.openFailure() : std::nullopt) {
            text += QStringLiteral("; ") + QString::fromStdString(gone->reason);
            m_printerLost = true;
        }
        m_messages.inform(&m_progress.window(), text + kept);
    } else if (m_state.AbortRequested != 0) {
        m_messages.inform(&m_progress.window(), stopped + kept);
        m_state.AbortRequested = 0;
    } else {
        m_messages.inform(&m_progress.window(), done);
    }
}

void TfWymiana::bAnulujClick() {
    hide();
    m_host.enableInput();
}

// The close box enables the main window and hides its operation label. The
// status bar stays: nothing would ever show it again.
void TfWymiana::closeEvent(QCloseEvent* event) {
    m_host.enableInput();
    m_progress.showLabel(false);
    event->accept();
}

}  // namespace kalvero
