// SPDX-License-Identifier: MIT
// The footer editor as Qt draws it: its keys, fields and frame reach the editor,
// offline on files in a temporary directory and online against the emulator on a pty.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <memory>

#include "data/WholeFiles.h"
#include "editor/qt/EditorFields.h"
#include "editor/uStopki.h"
#include "tests/ScriptedWinSer.h"
#include "tests/WindowTest.h"

namespace kalvero {

namespace {

const QString kMarker = QStringLiteral("!BRAK OPISU STOPKI W PLIKU!");
const QString kSaveCurrent = QStringLiteral("Zmienione dane stopki|Czy zapisac obecną stopkę?");

QString spaces(int n) {
    return QString(n, QLatin1Char(' '));
}

}  // namespace

class EditorTest : public test::WindowTest {
    Q_OBJECT

    QtStopka* ed = nullptr;

    // Offline, on default data files.
    void startOffline() {
        newFolder();
        startKalvero(std::make_unique<test::ScriptedWinSer>());
        CreateDefaultFile(app->files, app->files.FooterFileName);
        CreateDefaultFile(app->files, app->files.BindingFileName);
        ed = &stopka();
    }
    [[nodiscard]] bool startOnline(oru::PrinterMemory memory, oru::Faults faults = {}) {
        const bool online = WindowTest::startOnline(std::move(memory), faults);
        ed = app ? &stopka() : nullptr;
        return online;
    }
    [[nodiscard]] bool open() {
        action("Definiowaniestopek1")->trigger();
        QApplication::setActiveWindow(&ed->widget());
        return QTest::qWaitForWindowActive(&ed->widget());
    }
    void release(QWidget* field, Qt::Key key) {
        QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(field, &event);
    }
    // Key events carrying the text, as a keyboard with Polish letters sends them.
    static void typeText(QWidget* field, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &press);
            QKeyEvent up(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &up);
        }
    }
    void typeInto(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        typeText(field, text);
    }
    void loadFooter(int n) {
        ed->seNrStopki->setText(QString::number(n));
        release(ed->seNrStopki, Qt::Key_Return);
    }
    QStringList lines() const {
        return {ed->s[0]->text(), ed->s[1]->text(), ed->s[2]->text(), ed->s[3]->text()};
    }

private slots:
    void cleanup() {
        closeAll();
        ed = nullptr;
    }

    void editsShowTheMarkUntilSavedAndATwentyWideLineLoadsNarrow() {
        startOffline();
        QVERIFY(open());
        loadFooter(7);
        QCOMPARE(lines(), QStringList(4, kMarker));
        QCOMPARE(ed->statusText(), QStringLiteral("BRAK DEFINICJI STOPKI W PLIKU"));
        typeInto(ed->s[0], QStringLiteral("Dziękujemy"));
        ed->rg[1]->item(1)->click();
        typeInto(ed->s[1], QStringLiteral("Zapraszamy ponownie"));
        ed->w[0]->click();
        QVERIFY(ed->changeMark->isVisible());
        ed->bZatwierdz->click();
        QCOMPARE(ed->statusText(), QStringLiteral("OK"));
        QVERIFY(!ed->changeMark->isVisible());

        loadFooter(0);
        loadFooter(7);
        QCOMPARE(ed->s[1]->text(), QStringLiteral("Zapraszamy ponownie "));
        QCOMPARE(ed->s[1]->geometry(), QRect(427, 110, 150, 21));
        QCOMPARE(ed->s[1]->maxLength(), 20);
        QCOMPARE(ed->s[0]->geometry(), QRect(352, 79, 300, 21));
        QVERIFY(ed->w[0]->isChecked());
        QVERIFY(!app->fStopka->FooterEdited());
    }

    void switchingToTwentyCutsTheTextAndBackToFortyKeepsTheCut() {
        startOffline();
        QVERIFY(open());
        ed->rg[2]->item(0)->click();
        const QString thirty = QStringLiteral("123456789012345678901234567890");
        typeInto(ed->s[2], thirty);
        QCOMPARE(ed->s[2]->text(), thirty);
        ed->rg[2]->item(1)->click();
        QCOMPARE(ed->s[2]->text(), thirty.left(20));
        ed->rg[2]->item(0)->click();
        QCOMPARE(ed->s[2]->text(), thirty.left(20));
        QCOMPARE(ed->s[2]->maxLength(), 40);
        QVERIFY(app->fStopka->FooterEdited());
    }

    void theFooterNumberFieldLimitsAsItIsLeftOrConfirmed() {
        startOffline();
        QVERIFY(open());
        typeInto(ed->seNrStopki, QStringLiteral("999"));
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("999"));
        ed->sePLU->setFocus();  // leaving the field loads
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("200"));
        QCOMPARE(ed->statusText(), QStringLiteral("BRAK DEFINICJI STOPKI W PLIKU"));

        typeInto(ed->seNrStopki, QStringLiteral("-5"));
        ed->sePLU->setFocus();
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("200"));

        typeInto(ed->seNrStopki, QStringLiteral("-5"));
        release(ed->seNrStopki, Qt::Key_Return);
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("0"));
        QCOMPARE(ed->statusText(), QStringLiteral("OK"));

        typeInto(ed->seNrStopki, QStringLiteral("1a;"));
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("1"));
        QTest::keyClick(ed->seNrStopki, Qt::Key_Up);
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("2"));
        ed->seNrStopki->setText(QStringLiteral("200"));
        QTest::keyClick(ed->seNrStopki, Qt::Key_Up);
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("200"));
        QCOMPARE(ed->seNrStopki->maxLength(), 3);

        // After the arrows the focus stays in the field: a Space then marks nothing edited.
        ed->seNrStopki->setFocus();
        auto* up = ed->UpDown1->findChildren<QToolButton*>().first();
        QTest::mouseClick(up, Qt::LeftButton);
        QVERIFY(ed->seNrStopki->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(!app->fStopka->FooterEdited());
    }

    void enterInALineSavesAndEnterInTheNumberFieldOnlyLoads() {
        startOffline();
        QVERIFY(open());
        typeInto(ed->s[3], QStringLiteral("czwarta"));
        QTest::keyClick(ed->seNrStopki, Qt::Key_Return);
        QCOMPARE(ed->s[3]->text(), spaces(40));  // loaded again, nothing saved
        typeInto(ed->s[3], QStringLiteral("czwarta"));
        QTest::keyClick(ed->s[3], Qt::Key_Return);
        QVERIFY(!app->fStopka->FooterEdited());
        QCOMPARE(ed->statusText(), QStringLiteral("OK"));

        ed->bWyjdz->setFocus();
        QTest::keyClick(ed->bWyjdz, Qt::Key_Return);  // Enter on a focused button presses it
        QVERIFY(!ed->widget().isVisible());
    }

    void lettersWindows1250CannotHoldAreRefusedWhereTheyAreTyped() {
        startOffline();
        QVERIFY(open());
        typeInto(ed->s[0], QStringLiteral("żółw"));
        QCOMPARE(ed->s[0]->text(), QStringLiteral("żółw"));
        ed->s[0]->end(false);
        typeText(ed->s[0], QStringLiteral("日"));
        QCOMPARE(QToolTip::text(), QStringLiteral("Drukarka nie drukuje znaku „日”"));
        typeText(ed->s[0], QStringLiteral("€"));
        QCOMPARE(QToolTip::text(), QStringLiteral("Drukarka nie drukuje znaku „€”"));
        ed->s[0]->insert(QStringLiteral("a\tb\ncd"));  // as a paste arrives
        ed->s[0]->insert(QStringLiteral("–©"));
        QCOMPARE(ed->s[0]->text(), QStringLiteral("żółw"));
        ed->s[1]->setText(QStringLiteral("€ Sklep"));  // as a line read from a file
        typeText(ed->s[1], QStringLiteral("日ł€"));
        QCOMPARE(ed->s[1]->text(), QStringLiteral("€ Sklepł"));
    }

    void reopeningAfterLeavingWithEditsAsksFirstAndStoresUnderTheSameNumber() {
        startOffline();
        QVERIFY(open());
        loadFooter(9);
        typeInto(ed->s[0], QStringLiteral("niezapisane"));
        ed->widget().close();  // the close box keeps the footer number
        QVERIFY(mainWindow().isEnabled());
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("9"));
        messages->answers = {true};
        QVERIFY(open());
        QCOMPARE(messages->shown, QStringList({kSaveCurrent}));
        QCOMPARE(ed->sePLU->text(), QStringLiteral("1"));  // every opening starts at item 1
        QCOMPARE(ed->s[0]->text(), spaces(40));            // footer 0 untouched
        loadFooter(9);
        QVERIFY(ed->s[0]->text().startsWith(QStringLiteral("niezapisane")));
    }

    void onlineTheItemNameShowsAndTheBoundFooterLoads() {
        oru::PrinterMemory memory = oru::PrinterMemory::factory();
        memory.bindings[1] = 17;
        QVERIFY(startOnline(memory));
        QVERIFY(open());
        QCOMPARE(ed->widget().windowTitle(),
                 QStringLiteral("Definiowanie stopek - dane z/do drukarki etykiet"));
        QVERIFY(ed->eNazwa->isVisible());
        QCOMPARE(ed->eNazwa->text(), QStringLiteral("CHLEB ŻYTNI       "));
        QCOMPARE(ed->seNrStopki->text(), QStringLiteral("17"));
        QCOMPARE(ed->statusText(), QStringLiteral("OK"));
    }
};

}  // namespace kalvero

QTEST_MAIN(kalvero::EditorTest)
#include "EditorTest.moc"
