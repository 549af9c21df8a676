// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "data/FileNames.h"
#include "ui/MessageQuestion.h"
#include "link/OperatingState.h"
#include "link/PrinterCommands.h"
#include "data/RecordFiles.h"
#include "ui/Services.h"

namespace kalvero {

class TfGlowna;
class TfKomunikacja;
class TfWymiana;
class TfStopka;
class TAboutBox;
class TfStan;

// Startup: the operating state and file names take their first values, the
// application gets its title, and the six windows are created once, in order.
// Only the main window is shown; nothing connects by itself.
class Kalvero {
public:
    Kalvero(WinSer& serial, Messages& messages);
    ~Kalvero();

    Kalvero(const Kalvero&) = delete;
    Kalvero& operator=(const Kalvero&) = delete;

    OperatingState state;
    FileNames files;

private:
    MessageQuestion m_question;
    RecordFiles m_records;
    PrinterCommands m_commands;

public:
    Services services;
    std::unique_ptr<TfGlowna> fGlowna;
    std::unique_ptr<TfKomunikacja> fKomunikacja;
    std::unique_ptr<TfWymiana> fWymiana;
    std::unique_ptr<TfStopka> fStopka;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TfStan> fStan;
};

}  // namespace kalvero
