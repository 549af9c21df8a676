// SPDX-License-Identifier: MIT
#include "cli/Output.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

#include "cli/ConsoleText.h"
#include "cli/ExitCode.h"
#include "lang/Language.h"
#include "link/PortName.h"

namespace kalvero::cli {

namespace {

thread_local std::string t_prefix;
thread_local std::string t_complaint;
Verbosity g_verbosity = Verbosity::Normal;
bool g_json = false;
std::mutex g_output;

// The progress lines of several printers at the bottom of the terminal, a printer a
// line in the order they first showed progress; what the printers say goes above.
struct ProgressBoard {
    std::vector<std::pair<std::string, std::string>> rows;  // prefix, label
    std::size_t drawn = 0;                                  // lines on the screen now

    void erase() {
        if (drawn > 0) {
            writeText(stderr, "\033[" + std::to_string(drawn) + "A\r\033[J");
            drawn = 0;
        }
    }
    void draw() {
        for (const auto& [prefix, label] : rows) {
            writeText(stderr, "\r\033[K" + prefix + label + "\n");
        }
        drawn = rows.size();
        std::fflush(stderr);
    }
};
ProgressBoard g_board;

void writeLine(std::FILE* stream, const std::string& line) {
    const std::lock_guard lock(g_output);
    g_board.erase();
    writeText(stream, t_prefix + line + "\n");
    std::fflush(stream);
    if (g_board.drawn == 0 && !g_board.rows.empty()) {
        g_board.draw();
    }
}

// The separators given pass (a TAB between the columns of an answer, the line ends of
// an explanation); any other control byte (an ESC from a printer could retitle or
// clear the terminal) shows as \xNN.
std::string shown(const std::string& utf8, const char* separators) {
    std::string text;
    std::size_t start = 0;
    for (std::size_t end = utf8.find_first_of(separators);;
         end = utf8.find_first_of(separators, start)) {
        text += PrintableText(utf8.substr(start, end - start));
        if (end == std::string::npos) {
            return text;
        }
        text += utf8[end];
        start = end + 1;
    }
}

}  // namespace

void setOutputPrefix(std::string prefix) {
    t_prefix = std::move(prefix);
}

const std::string& outputPrefix() {
    return t_prefix;
}

void showProgress(const std::string& label) {
    const std::lock_guard lock(g_output);
    auto row = std::find_if(g_board.rows.begin(), g_board.rows.end(),
                            [](const auto& r) { return r.first == t_prefix; });
    if (row == g_board.rows.end()) {
        g_board.rows.emplace_back(t_prefix, label);
    } else {
        row->second = label;
    }
    g_board.erase();
    g_board.draw();
}

void say(const std::string& utf8) {
    if (!g_json) {
        writeLine(stdout, shown(utf8, "\t"));
    }
}

void complain(const std::string& utf8) {
    t_complaint = utf8;
    writeLine(stderr, "kalvero-cli: " + shown(utf8, "\t\n"));
}

void complainFurther(const std::string& utf8) {
    writeLine(stderr, "kalvero-cli: " + shown(utf8, "\t\n"));
}

void rememberComplaint(const std::string& utf8) {
    t_complaint = utf8;
}

const std::string& lastComplaint() {
    return t_complaint;
}

void inform(const std::string& utf8) {
    if (g_verbosity != Verbosity::Quiet) {
        complainFurther(utf8);
    }
}

void setVerbosity(Verbosity verbosity) {
    g_verbosity = verbosity;
}

Verbosity verbosity() {
    return g_verbosity;
}

void setResultsAsJson(bool json) {
    g_json = json;
}

int usage(const std::string& why) {
    complain(why);
    writeText(stderr, std::string(_("Try 'kalvero-cli --help'.")) + "\n");
    return kExitUsage;
}

}  // namespace kalvero::cli
