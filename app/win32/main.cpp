// SPDX-License-Identifier: MIT
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "app/Kalvero.h"
#include "app/ProgramOptions.h"
#include "app/win32/W32Faces.h"
#include "lang/Console.h"
#include "lang/Language.h"
#include "link/Printer.h"
#include "link/SystemPorts.h"
#include "ui/MessageQuestion.h"
#include "ui/win32/W32WindowFace.h"

using kalvero::_;

int main(int argc, char** argv) {
    // The terminal's answers in the user's language; the windows speak Polish.
    kalvero::lang::useUserLanguage();
    const kalvero::ProgramOptions options = kalvero::ReadProgramOptions(argc, argv);
    if (options.exitCode) {
        return *options.exitCode;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                            ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const std::unique_ptr<kalvero::WinSer> ports =
        kalvero::SystemPorts(kalvero::PortMap::fromEnvironment());
    kalvero::W32Messages messages;
    kalvero::MessageQuestion question(messages);
    kalvero::Printer printer(*ports, question, options.traceFile);
    if (const auto& failure = printer.traceFailure()) {
        const std::string text = kalvero::fill(_("cannot open the trace file %1"), {*failure});
        kalvero::AnswerOnTerminal();
        std::fprintf(stderr, "kalvero: %s\n", text.c_str());
        MessageBoxW(nullptr, kalvero::wide(text).c_str(), L"Kalvero", MB_OK | MB_ICONERROR);
        return kalvero::kExitUsage;
    }
    kalvero::lang::usePolish();
    kalvero::W32Faces faces;
    const kalvero::Kalvero kalvero(printer, faces);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        kalvero::W32Window::dispatch(message);
    }
    return 0;
}
