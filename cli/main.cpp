// SPDX-License-Identifier: MIT
// kalvero-cli: the printer link and the data files from a terminal, for backups
// from a scheduler and roll-outs to many shops.

#ifndef _WIN32
#include <QCoreApplication>
#endif

#include <optional>
#include <string_view>

#include "cli/CliOptions.h"
#include "cli/Failure.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Several.h"
#include "data/FileNames.h"
#include "data/ImportTransaction.h"
#include "lang/Language.h"

namespace {

using namespace kalvero;
using namespace kalvero::cli;

// --json before the end of the options: a command line too wrong to parse still gets
// its document.
bool asksJson(int argc, char** argv) {
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        if (std::string_view(argv[i]) == "--json") {
            return true;
        }
    }
    return false;
}

// Everything before the printers are asked: the command line, a recovery. An exit
// code when the run ends there.
std::optional<int> runUntilSession(int argc, char** argv, Options& options) {
    if (const auto exit = parse(argc, argv, options)) {
        return exit;
    }
    if (const auto conflict = roleConflict(options)) {
        return usage(*conflict);
    }
    // An import or a read that an earlier run did not end: both data files old or both new.
    kalvero::FileNames names;
    names.FooterFileName = options.footers.value_or(names.FooterFileName);
    names.BindingFileName = options.bindings.value_or(names.BindingFileName);
    if (const auto recovered = kalvero::RecoverImport(names)) {
        if (recovered->failed) {
            complain(recovered->said);
            return kExitFile;
        }
        inform(recovered->said);
    }
    if (options.ports.size() > 1) {
        if (!options.traits.several) {
            return usage(kalvero::fill(_("%1 works on one printer: give --port one port"),
                                       {options.commandName}));
        }
        if (const auto twice = SamePrinterTwice(options.ports)) {
            return usage(*twice);
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
    QCoreApplication application(argc, argv);  // Qt SerialPort wants one on its thread
#endif
    kalvero::lang::useUserLanguage();
    Options options;
    // A failure before any printer is asked has a document of its own.
    const auto failed = [&](int exit) {
        if (exit != kExitOk && (options.json || asksJson(argc, argv))) {
            sayJson({{"command", options.commandName.empty()
                                     ? nlohmann::ordered_json()
                                     : nlohmann::ordered_json(options.commandName)},
                     {"exit", exit},
                     {"error", FailureJson(exit)}});
        }
        return exit;
    };
    if (const auto ended = runUntilSession(argc, argv, options)) {
        return failed(*ended);
    }
    if (options.ports.size() > 1) {
        return RunOnSeveral(options, std::vector<std::string>(argv + 1, argv + argc));
    }
    Session session(options);
    if (const auto& failure = session.traceFailure()) {
        complain(kalvero::fill(_("cannot open the trace file %1"), {*failure}));
        return failed(kExitFile);
    }
    const int exit = stoppedExit(options.command(session));
    if (options.json) {
        sayJson(session.runJson(exit));
    }
    // The run's outcome stands; the user learns only that the trace is not whole.
    if (const auto lost = session.traceLost()) {
        complain(kalvero::fill(_("the trace is not whole: %1"), {*lost}));
    }
    return exit;
}
