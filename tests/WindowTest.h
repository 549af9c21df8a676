// SPDX-License-Identifier: MIT
#pragma once

#include <QAction>
#include <QObject>
#include <QTest>
#include <memory>
#include <vector>

#include "app/Kalvero.h"
#include "app/qt/QtAboutBox.h"
#include "app/qt/QtFaces.h"
#include "app/qt/QtGlowna.h"
#include "app/qt/QtKomunikacja.h"
#include "app/qt/QtStan.h"
#include "app/qt/QtWymiana.h"
#include "app/uGlowna.h"
#include "editor/qt/QtStopka.h"
#include "lang/Language.h"
#include "link/Printer.h"
#include "link/QtWinSer.h"
#include "tests/PrinterOnPort.h"
#include "tests/ScriptedMessages.h"
#include "tests/TempDir.h"
#include "ui/MessageQuestion.h"

namespace kalvero::test {

// What the window tests share: a private folder with its ports directory and data
// files, emulated printers on its COM ports, scripted message boxes and the
// program's windows. Helpers that check report by their result, so that the test
// stops at a failed one: QVERIFY(start(...)).
class WindowTest : public QObject {
protected:
    std::unique_ptr<TempDir> tmp;
    std::vector<std::unique_ptr<oru::PtyPrinter>> printers;
    std::unique_ptr<WinSer> serial;
    std::unique_ptr<ScriptedMessages> messages;
    std::unique_ptr<QtMessages> questionBoxes;
    std::unique_ptr<MessageQuestion> question;
    std::unique_ptr<Printer> printerLink;
    std::unique_ptr<QtFaces> faces;
    std::unique_ptr<Kalvero> app;

    // A fresh folder, with nothing plugged in yet.
    void newFolder() {
        closeAll();
        tmp = std::make_unique<TempDir>();
        std::filesystem::create_directories(*tmp / "ports");
    }
    // An emulated printer on COMn of the folder's ports directory.
    [[nodiscard]] bool plugIn(int com, oru::PrinterMemory memory = oru::PrinterMemory::factory(),
                              oru::Faults faults = {}, bool pace = false) {
        printers.push_back(plugInPrinter(tmp->path(), com, std::move(memory), faults, pace));
        return printers.back() != nullptr;
    }
    oru::PtyPrinter& printer(std::size_t i = 0) { return *printers.at(i); }
    // The program's windows on the given port layer, or on the real one pointed at
    // the folder's ports; the data files live in the folder.
    void startKalvero(std::unique_ptr<WinSer> port = nullptr) {
        serial = port ? std::move(port) : portLayer(tmp->path());
        messages = std::make_unique<ScriptedMessages>();
        openWindows();
        app->files.FooterFileName = (*tmp / "stopki.txt").string();
        app->files.BindingFileName = (*tmp / "wiazplu.txt").string();
    }
    // The windows over one printer on serial, answered by messages.
    void openWindows() {
        lang::usePolish();                        // as the program does: the windows speak Polish,
        QtWinSer::serveEventsWhileWaiting(true);  // and serve events while answers come
        questionBoxes = std::make_unique<QtMessages>(*messages);
        question = std::make_unique<MessageQuestion>(*questionBoxes);
        printerLink = std::make_unique<Printer>(*serial, *question);
        faces = std::make_unique<QtFaces>(*messages);
        app = std::make_unique<Kalvero>(*printerLink, *faces);
    }
    // Automatic detection; true when the program went online.
    [[nodiscard]] bool detect() {
        app->fGlowna->Wykryjautomatycznie1Click();
        return app->state.OfflineMode == 0;
    }
    // One printer on COM1 and the program online with it.
    [[nodiscard]] bool startOnline(oru::PrinterMemory memory = oru::PrinterMemory::factory(),
                                   oru::Faults faults = {}) {
        newFolder();
        if (!plugIn(1, std::move(memory), faults)) {
            return false;
        }
        startKalvero();
        return detect();
    }
    // The windows as Qt draws them.
    QtGlowna& glowna() const { return faces->glowna(); }
    QMainWindow& mainWindow() const { return glowna().window(); }
    QtKomunikacja& komunikacja() const { return faces->komunikacja(); }
    QtWymiana& wymiana() const { return faces->wymiana(); }
    QtStopka& stopka() const { return faces->stopka(); }
    QtAboutBox& about() const { return faces->about(); }
    QtStan& stan() const { return faces->stan(); }
    // A child of the main window by its name.
    template <class Widget>
    Widget* child(const char* name) const {
        return mainWindow().findChild<Widget*>(QString::fromLatin1(name));
    }
    // A menu entry of the main window, or null when there is none by that name.
    QAction* action(const char* name) const { return child<QAction>(name); }
    QStringList panels() const {
        return {glowna().panelText(0), glowna().panelText(1), glowna().panelText(2)};
    }
    void closeAll() {
        app.reset();
        faces.reset();
        printerLink.reset();
        question.reset();
        questionBoxes.reset();
        messages.reset();
        serial.reset();
        printers.clear();
        tmp.reset();
    }
};

}  // namespace kalvero::test
