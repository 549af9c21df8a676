// SPDX-License-Identifier: MIT
// kalvero-cli: the printer link and the data files from a terminal, for backups
// from a scheduler and roll-outs to many shops.

#ifndef _WIN32
#include <QCoreApplication>
#endif

#include "cli/CliOptions.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/Several.h"
#include "data/CsvFiles.h"
#include "data/FileNames.h"
#include "lang/Language.h"

int main(int argc, char** argv) {
    using namespace kalvero;
    using namespace kalvero::cli;
#ifndef _WIN32
    QCoreApplication application(argc, argv);  // Qt SerialPort wants one on its thread
#endif
    kalvero::lang::useUserLanguage();
    Options options;
    if (const auto exit = parse(argc, argv, options)) {
        return *exit;
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
        if (!RunsOnSeveral(options.commandName)) {
            return usage(kalvero::fill(_("%1 works on one printer: give --port one port"),
                                       {options.commandName}));
        }
        if (const auto twice = SamePrinterTwice(options.ports)) {
            return usage(*twice);
        }
        return RunOnSeveral(options, std::vector<std::string>(argv + 1, argv + argc));
    }
    Session session(options);
    if (const auto& failure = session.traceFailure()) {
        complain(kalvero::fill(_("cannot open the trace file %1"), {*failure}));
        return kExitFile;
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
