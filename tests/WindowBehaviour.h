// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "data/WholeFiles.h"
#include "link/Printer.h"
#include "tests/RecordingFaces.h"
#include "tests/ShopPorts.h"
#include "tests/TempDir.h"
#include "ui/MessageQuestion.h"

namespace kalvero::test {

// The program's six windows over recording faces and a shop's ports, with the data
// files in a private folder. Plug printers in, then start().
class WindowBehaviour : public ::testing::Test {
protected:
    TempDir tmp;
    ShopPorts ports;
    RecordingFaces faces;
    std::unique_ptr<MessageQuestion> question;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<Kalvero> app;

    WindowBehaviour() {
        // What kalvero-cli knew of printers lives here, not in the user's folders.
#ifdef _WIN32
        _putenv_s("LOCALAPPDATA", tmp.path().string().c_str());
#else
        setenv("XDG_DATA_HOME", tmp.path().string().c_str(), 1);
#endif
        ports.onCall = [this](const std::string& call) {
            if (call.rfind("Init", 0) == 0) {
                faces.desk.note("port " + call);
            }
        };
    }

    void start() {
        question = std::make_unique<MessageQuestion>(faces.main);
        printer = std::make_unique<Printer>(ports, *question);
        printer->files = DataFilesIn(tmp);
        app = std::make_unique<Kalvero>(*printer, faces);
    }
    // Started with a printer on COM1 and online with it; the log starts afresh.
    oru::PrinterMemory& startOnline(oru::PrinterMemory memory = oru::PrinterMemory::factory(),
                                    oru::Faults faults = {}) {
        oru::PrinterMemory& plugged = ports.plugIn(1, std::move(memory), faults);
        start();
        EXPECT_TRUE(detect());
        forget();
        return plugged;
    }
    [[nodiscard]] bool detect() {
        main().Wykryjautomatycznie1Click();
        return app->state.OfflineMode == 0;
    }
    void forget() {
        faces.desk.log.clear();
        faces.desk.boxes.clear();
        ports.calls.clear();
    }
    void createFiles() {
        ASSERT_TRUE(CreateDefaultFile(app->files, app->files.FooterFileName));
        ASSERT_TRUE(CreateDefaultFile(app->files, app->files.BindingFileName));
    }

    TfGlowna& main() {
        return *app->fGlowna;
    }
    const std::vector<std::string>& boxes() const {
        return faces.desk.boxes;
    }
    std::vector<std::string> panels() const {
        return {faces.main.panels.begin(), faces.main.panels.end()};
    }
};

using Texts = std::vector<std::string>;

}  // namespace kalvero::test
