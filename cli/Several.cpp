// SPDX-License-Identifier: MIT
#include "cli/Several.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

#ifndef _WIN32
#include <QThread>
#endif

#include "cli/ConsoleText.h"
#include "cli/Session.h"
#include "cli/Snapshots.h"
#include "data/Cp1250.h"
#include "data/FilePath.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

struct Outcome {
    std::string port;
    std::string number;
    int exit = kExitOk;
    std::string result;
    long changed = 0;
    double seconds = 0;
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
    const auto path = (FilePath(folder) / FilePath(file).filename()).u8string();
    return std::string(path.begin(), path.end());
}

Outcome runOn(const Options& options, const std::string& port) {
    Outcome outcome;
    outcome.port = port;
    std::vector<std::string> lines;
    setOutputPrefix("[" + port + "] ", &lines);
    const auto start = std::chrono::steady_clock::now();
    Options mine = options;
    mine.port = port;
    mine.ports = {port};
    const std::string folder = Snapshots::folderWord(port);
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
    if (const auto& failure = session.traceFailure()) {
        complain(fill(_("cannot open the trace file %1"), {*failure}));
        outcome.exit = kExitFile;
    } else {
        outcome.exit = mine.command(session);
    }
    outcome.number = Cp1250ToUtf8(session.identity().numberText);
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.changed = session.changedRecords();
    // The last word of the printer's run, without the program's name before it.
    for (auto line = lines.rbegin(); line != lines.rend() && outcome.result.empty(); ++line) {
        const std::string text = line->rfind("kalvero-cli: ", 0) == 0 ? line->substr(13) : *line;
        if (!isSnapshotLine(text) || outcome.exit != kExitOk) {
            outcome.result = text;
        }
    }
    setOutputPrefix({}, nullptr);
    return outcome;
}

// An argument as a shell takes it back.
std::string quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t'\"\\$`*?;&|<>()") == std::string::npos) {
        return arg;
    }
    std::string out = "'";
    for (const char c : arg) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

}  // namespace

bool RunsOnSeveral(const std::string& command) {
    static const std::set<std::string> kCommands{"write",  "erase",  "restore", "diff",
                                                 "detect", "status", "read"};
    return kCommands.contains(command);
}

int RunOnSeveral(const Options& options, const std::vector<std::string>& args) {
    stopOnCtrlC();
    std::vector<Outcome> outcomes(options.ports.size());
#ifdef _WIN32
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        threads.emplace_back([&, i] { outcomes[i] = runOn(options, options.ports[i]); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
#else
    // Qt's serial ports want threads that Qt knows, with their own event dispatcher.
    std::vector<std::unique_ptr<QThread> > threads;
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        threads.emplace_back(
            QThread::create([&, i] { outcomes[i] = runOn(options, options.ports[i]); }));
        threads.back()->start();
    }
    for (const auto& thread : threads) {
        thread->wait();
    }
#endif
    writeText(stdout, "\n" + tableRow({_("port"), _("no."), _("changed"), _("time"), _("result")}));
    std::vector<std::string> failed;
    for (const Outcome& outcome : outcomes) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", outcome.seconds);
        writeText(stdout, tableRow({outcome.port, outcome.number.empty() ? "-" : outcome.number,
                                    std::to_string(outcome.changed), seconds, outcome.result}));
        if (outcome.exit != kExitOk) {
            failed.push_back(outcome.port);
        }
    }
    std::fflush(stdout);
    if (failed.empty()) {
        return kExitOk;
    }
    // The same command line for just the printers that did not take it.
    std::string again = "kalvero-cli --port ";
    for (std::size_t i = 0; i < failed.size(); ++i) {
        again += (i > 0 ? "," : "") + failed[i];
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port") {
            ++i;  // and its value
        } else if (args[i].rfind("--port=", 0) != 0) {
            again += " " + quoted(args[i]);
        }
    }
    std::string names;
    for (const std::string& port : failed) {
        names += (names.empty() ? "" : ", ") + port;
    }
    complain(fill(_("failed on: %1"), {names}));
    complain(fill(_("repeat for them: %1"), {again}));
    return kExitSomeFailed;
}

}  // namespace kalvero::cli
