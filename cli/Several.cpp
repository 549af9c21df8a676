// SPDX-License-Identifier: MIT
#include "cli/Several.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#ifndef _WIN32
#include <QThread>
#endif

#include "cli/ConsoleText.h"
#include "cli/Failure.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "cli/ShellQuote.h"
#include "data/FilePath.h"
#include "data/SnapshotStore.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

struct PrinterRun {
    RunOutcome outcome;
    double seconds = 0;
    nlohmann::ordered_json json;  // the run's document, for --json
};

// The summary's columns, as wide as their widest heading in any language: a column is
// padded by characters, not bytes.
std::string tableRow(const std::vector<std::string>& cells) {
    static constexpr std::size_t kWidths[] = {28, 4, 9, 8};
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        row += cells[i];
        if (i < std::size(kWidths)) {
            const auto shown = static_cast<std::size_t>(std::count_if(
                cells[i].begin(), cells[i].end(), [](char c) { return (c & 0xC0) != 0x80; }));
            row += std::string(kWidths[i] > shown ? kWidths[i] - shown + 1 : 1, ' ');
        }
    }
    return row + "\n";
}

std::string inFolder(const std::string& folder, const std::string& file) {
    return FileNameText(FilePath(folder) / FilePath(file).filename());
}

PrinterRun runOn(const Options& options, const PortName& port) {
    setOutputPrefix("[" + port.text() + "] ");
    const auto start = std::chrono::steady_clock::now();
    Options mine = options;
    mine.port = port;
    mine.ports = {port};
    // Never the same folder for two ports: /dev/a/b and /dev/a_b get their own.
    const std::string folder = SnapshotStore::folderName(port.text());
    if (options.commandName == "read") {
        std::error_code ec;
        std::filesystem::create_directories(FilePath(folder), ec);
        const FileNames defaults;
        const bool both = !options.footers && !options.bindings;
        if (options.footers || both) {
            mine.footers = inFolder(folder, options.footers.value_or(defaults.FooterFileName));
        }
        if (options.bindings || both) {
            mine.bindings = inFolder(folder, options.bindings.value_or(defaults.BindingFileName));
        }
    }
    if (options.trace) {
        mine.trace = *options.trace + "." + folder;
    }
    Session session(mine);
    PrinterRun run;
    if (const auto& failure = session.traceFailure()) {
        session.result(fill(_("cannot open the trace file %1"), {*failure}), kExitFile);
        session.outcome().exit = kExitFile;
    } else {
        session.outcome().exit = mine.command(session);
    }
    run.outcome = session.outcome();
    run.json = session.runJson(stoppedExit(run.outcome.exit));
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    setOutputPrefix({});
    return run;
}

// The same command line for just the printers that did not take it.
void sayRepeat(const std::vector<std::string>& failed, const std::vector<std::string>& args) {
    // A list, unless a port's name holds a comma: then --port once for each.
    const bool comma = std::any_of(failed.begin(), failed.end(), [](const std::string& port) {
        return port.find(',') != std::string::npos;
    });
    std::vector<std::string> words{"kalvero-cli"};
    std::string list;
    for (const std::string& port : failed) {
        if (comma) {
            words.insert(words.end(), {"--port", port});
        } else {
            list += (list.empty() ? "" : ",") + port;
        }
    }
    if (!comma) {
        words.insert(words.end(), {"--port", list});
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port") {
            ++i;  // and its value
        } else if (!args[i].starts_with("--port=")) {
            words.push_back(args[i]);
        }
    }
    complain(fill(_("failed on: %1"), {list}));
    if (const auto command = ShellCommand(words)) {
        complain(fill(_("repeat for them: %1"), {*command}));
    } else {
        complain(_("the command that repeats the run for them cannot be written safely for "
                   "this system's shell: an argument holds a sign it would change"));
    }
}

}  // namespace

std::optional<std::string> SamePrinterTwice(const std::vector<PortName>& ports) {
    for (std::size_t i = 0; i < ports.size(); ++i) {
        for (std::size_t j = i + 1; j < ports.size(); ++j) {
            if (ports[i].reached() == ports[j].reached()) {
                return fill(_("%1 and %2 name the same printer"), {ports[i].text(), ports[j].text()});
            }
        }
    }
    return std::nullopt;
}

int RunOnSeveral(const Options& options, const std::vector<std::string>& args) {
    stopOnSignals();
    std::vector<PrinterRun> runs(options.ports.size());
#ifdef _WIN32
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        threads.emplace_back([&, i] { runs[i] = runOn(options, options.ports[i]); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
#else
    // Qt's serial ports want threads that Qt knows, with their own event dispatcher.
    std::vector<std::unique_ptr<QThread> > threads;
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        threads.emplace_back(
            QThread::create([&, i] { runs[i] = runOn(options, options.ports[i]); }));
        threads.back()->start();
    }
    for (const auto& thread : threads) {
        thread->wait();
    }
#endif
    std::vector<std::string> failed;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].outcome.exit != kExitOk) {
            failed.push_back(options.ports[i].text());
        }
    }
    const int exit = TerminalProgress::interrupted != 0 ? stoppedExit(kExitStopped)
                     : failed.empty()                  ? kExitOk
                                                       : kExitSomeFailed;
    if (options.json) {
        nlohmann::ordered_json printers = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < runs.size(); ++i) {
            nlohmann::ordered_json printer{{"port", options.ports[i].text()},
                                           {"seconds", runs[i].seconds}};
            printer.update(runs[i].json);
            printer.erase("command");
            printers.push_back(printer);
        }
        nlohmann::ordered_json document{
            {"command", options.commandName}, {"exit", exit}, {"printers", printers}};
        if (exit != kExitOk) {
            // The printers' own reasons, each where it failed.
            std::string reasons;
            for (const nlohmann::ordered_json& printer : printers) {
                if (printer.contains("error")) {
                    reasons += (reasons.empty() ? "" : "; ") + printer["port"].get<std::string>() +
                               ": " + printer["error"]["message"].get<std::string>();
                }
            }
            const std::string_view kind = FailureWord(FailureOfExit(exit));
            document["error"] = {{"kind", kind},
                                 {"message", reasons.empty() ? std::string(kind) : reasons}};
        }
        sayJson(document);
    }
    // Quiet, the table is for when something went wrong; JSON has it all.
    const bool table = !options.json && (verbosity() != Verbosity::Quiet || !failed.empty());
    if (table) {
        writeText(stdout,
                  "\n" + tableRow({_("port"), _("no."), _("changed"), _("time"), _("result")}));
    }
    for (std::size_t i = 0; i < runs.size() && table; ++i) {
        const RunOutcome& outcome = runs[i].outcome;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", runs[i].seconds);
        writeText(stdout,
                  tableRow({options.ports[i].text(), outcome.number.empty() ? "-" : outcome.number,
                            std::to_string(outcome.changed), seconds,
                            PrintableText(outcome.result)}));
    }
    std::fflush(stdout);
    if (exit == kExitSomeFailed) {
        sayRepeat(failed, args);
    }
    return exit;
}

}  // namespace kalvero::cli
