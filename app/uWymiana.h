// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QWidget>

#include "app/MainProgress.h"
#include "ui/WindowLinks.h"
#include "link/orukom.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace kalvero {

struct FileNames;
struct OperatingState;
struct Services;
class Messages;

// The data exchange dialog: what a bulk exchange covers and which files it uses.
class TfWymiana : public QWidget, public ExchangeDialog {
    Q_OBJECT
public:
    // The transfers report on progress, the main window's progress elements.
    TfWymiana(Services& services, TransferHost& host, MainProgress& progress);

    // The caption, the start button and the optional rows for one opening command.
    void open(ExchangeKind kind) override;

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

public slots:
    void bDalejClick();
    void bAnulujClick();
    void sbZmienStopkaClick();
    void sbZmienWiazaniaClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    bool pickFile(std::string& name, const std::string& other, QLineEdit* field);
    // One message box for a transfer's outcome; a stop is reported and the flag cleared.
    void report(ResultCode rc, const QString& stopped, const QString& done);
    // Where what a read that did not finish brought is: one file or two.
    static QString keptApart(const QStringList& files);
    void runTransfers();

    WinSer& m_serial;
    OperatingState& m_state;
    FileNames& m_files;
    TransferHost& m_host;
    Messages& m_messages;
    MainProgress& m_progress;
    QStringList m_partialNotes;  // where reads that did not finish kept what came
    bool m_printerLost = false;  // its server on the network hung up during a transfer
    BulkTransfers m_transfers;
};

}  // namespace kalvero
