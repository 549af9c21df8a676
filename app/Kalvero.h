// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "link/Printer.h"
#include "ui/Messages.h"
#include "ui/Services.h"

namespace kalvero {

class TfGlowna;
class TfKomunikacja;
class TfWymiana;
class TfStopka;
class TAboutBox;
class TfStan;

// Startup: the application gets its title, and the six windows are created once, in
// order, over the one printer they share. Only the main window is shown; nothing
// connects by itself.
class Kalvero {
public:
    Kalvero(Printer& printer, Messages& messages);
    ~Kalvero();

    Kalvero(const Kalvero&) = delete;
    Kalvero& operator=(const Kalvero&) = delete;

    OperatingState& state;
    FileNames& files;
    Services services;
    std::unique_ptr<TfGlowna> fGlowna;
    std::unique_ptr<TfKomunikacja> fKomunikacja;
    std::unique_ptr<TfWymiana> fWymiana;
    std::unique_ptr<TfStopka> fStopka;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TfStan> fStan;
};

}  // namespace kalvero
