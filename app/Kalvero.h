// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "link/Printer.h"
#include "ui/Services.h"

namespace kalvero {

class AboutFace;
class ConnectionFace;
class EditorFace;
class ExchangeFace;
class MainWindowFace;
class StatusFace;
class TAboutBox;
class TfGlowna;
class TfKomunikacja;
class TfStan;
class TfStopka;
class TfWymiana;

// What startup asks of a toolkit: the application's title, and a face for each
// window, made when startup asks for it and living as long as the toolkit.
class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    virtual void setApplicationTitle(const std::string& title) = 0;
    virtual MainWindowFace& fGlowna() = 0;
    virtual ConnectionFace& fKomunikacja() = 0;
    virtual ExchangeFace& fWymiana() = 0;
    virtual EditorFace& fStopka() = 0;
    virtual AboutFace& AboutBox() = 0;
    virtual StatusFace& fStan() = 0;
};

// Startup: the application gets its title, and the six windows are created once, in
// order, over the one printer they share. Only the main window is shown; nothing
// connects by itself.
class Kalvero {
public:
    Kalvero(Printer& printer, WindowFactory& faces);
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
