// SPDX-License-Identifier: MIT
#include "cli/RecordCommands.h"

#include <array>
#include <cstdio>
#include <filesystem>

#include "cli/Change.h"
#include "cli/Failure.h"
#include "cli/LineOption.h"
#include "cli/Output.h"
#include "cli/Session.h"
#include "data/Cp1250.h"
#include "data/FilePath.h"
#include "data/WholeFiles.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

// What a file that ends before the record lacks.
std::string footerRecord(std::uint8_t footer) {
    return fill(_("the file has no footer %1"), {std::to_string(footer)});
}

std::string bindingRecord(std::uint16_t plu) {
    return fill(_("the file has no binding of item %1"), {std::to_string(plu)});
}

// Offline the record is looked up in the file, which must be there unless a set
// may create it; online the printer must be found first.
int prepare(Session& s, const std::string& file, bool set) {
    if (!s.options().offline) {
        if (set) {
            // From the start: a signal while the printer is sought stops the change too.
            stopOnSignals();
            return s.connectForChange();
        }
        return s.connect(true);
    }
    std::error_code ec;
    if (std::filesystem::exists(FilePath(file), ec) || (set && s.options().create)) {
        return kExitOk;
    }
    noteFailure(FailureKind::FileMissing);
    complain(fill(set ? _("%1: the file does not exist (--create creates it)")
                      : _("%1: the file does not exist"),
                  {file}));
    return kExitFile;
}

int done(Session& s) {
    return s.result("OK", kExitOk);
}

// One record changed on the printer as every change is: its old value read and kept
// as a small snapshot that restore puts back, then written and read back.
int changeOne(Session& s, Change& change) {
    change.partial = true;
    s.holdSuccess(true);
    const int exit = ApplyChange(s, change);
    s.holdSuccess(false);
    return exit == kExitOk ? done(s) : exit;
}

}  // namespace

int Detect(Session& s) {
    if (s.options().all) {
        return s.detectAll();
    }
    const int rc = s.connect(false);
    if (rc == kExitOk) {
        say("DURAX ORU nr: " + Cp1250ToUtf8(s.identity().numberText));
        say(fill(_("port: %1,%2"), {s.portName(), std::to_string(s.state().BaudRate)}));
        s.result(fill(_("version: %1"), {std::to_string(s.identity().version)}), kExitOk);
    }
    return rc;
}

// The four lines are shown only once all four came: no half a footer.
int GetFooter(Session& s, std::uint8_t footer) {
    const std::string& file = s.names().FooterFileName;
    if (const int rc = prepare(s, file, false); rc != kExitOk) {
        return rc;
    }
    std::array<std::string, 4> shown;
    for (std::uint8_t k = 1; k <= 4; ++k) {
        std::string text;
        std::uint8_t width20 = 0;
        std::uint8_t enabled = 0;
        const ResultCode rc = s.commands().ReadFooterLine(s.mode(), footer, k, text, width20, enabled);
        if (rc != 0) {
            return s.fail(rc, file, footerRecord(footer));
        }
        if (width20 != 0) {
            text.resize(20);
        }
        shown[k - 1] = std::to_string(k) + "\t" + (width20 != 0 ? "20" : "40") + "\t" +
                       (enabled != 0 ? "1" : "0") + "\t" + Cp1250ToUtf8(text);
    }
    for (const std::string& line : shown) {
        say(line);
    }
    return kExitOk;
}

int SetFooter(Session& s, std::uint8_t footer) {
    FooterLines lines{};
    for (const std::string& lineOption : s.options().lines) {
        if (const auto why = parseLine(lineOption, lines)) {
            return usage(fill(_("bad --line %1: %2"), {lineOption, *why}));
        }
    }
    const std::string& file = s.names().FooterFileName;
    if (const int rc = prepare(s, file, true); rc != kExitOk) {
        return rc;
    }
    std::error_code ec;
    if (s.mode() == 1 && s.options().create && !std::filesystem::exists(FilePath(file), ec)) {
        FileError error;
        if (!CreateDefaultFile(s.names(), file, &error)) {
            noteFileFailure(error.name);
            return s.result(error.name + ": " + error.reason, kExitFile);
        }
    }
    if (s.mode() == 1) {
        std::string tail;
        for (std::size_t k = 0; k < 4; ++k) {
            auto [width20, enabled, text] = lines[k];
            text.resize(40, ' ');
            tail += std::string(k > 0 ? "\t" : "") + (width20 ? "1" : "0") + "\t" +
                    (enabled ? "1" : "0") + "\t" + text;
        }
        const ResultCode rc = s.commands().WriteFooterLine(1, footer, 1, tail, 0, 0);
        return rc == 0 ? done(s) : s.fail(rc, file, footerRecord(footer));
    }
    FooterRecord record{footer, {}};
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& [width20, enabled, text] = lines[k];
        record.lines[k] = {static_cast<std::uint8_t>(width20 ? 1 : 0),
                           static_cast<std::uint8_t>(enabled ? 1 : 0), text};
    }
    Change change;
    change.command = "footer set";
    change.footers = std::vector{record};
    return changeOne(s, change);
}

int GetBinding(Session& s, std::uint16_t plu) {
    const std::string& file = s.names().BindingFileName;
    if (const int rc = prepare(s, file, false); rc != kExitOk) {
        return rc;
    }
    std::uint8_t bound = 0;
    const ResultCode rc = s.commands().ReadBinding(s.mode(), plu, bound);
    if (rc != 0) {
        return s.fail(rc, file, bindingRecord(plu));
    }
    say(std::to_string(bound));
    return kExitOk;
}

int SetBinding(Session& s, std::uint16_t plu, std::uint8_t footer) {
    const std::string& file = s.names().BindingFileName;
    if (const int rc = prepare(s, file, true); rc != kExitOk) {
        return rc;
    }
    if (s.mode() == 0) {
        Change change;
        change.command = "binding set";
        change.bindings = std::vector{BindingRecord{plu, footer}};
        return changeOne(s, change);
    }
    const ResultCode rc = s.commands().WriteBinding(s.mode(), plu, footer);
    return rc == 0 ? done(s) : s.fail(rc, file, bindingRecord(plu));
}

int Item(Session& s, std::uint16_t plu) {
    if (const int rc = s.connect(true); rc != kExitOk) {
        return rc;
    }
    std::string name;
    const ResultCode rc = s.commands().ReadItemName(0, plu, name);
    if (rc != 0) {
        return s.fail(rc);
    }
    say(Cp1250ToUtf8(name));
    return kExitOk;
}

int Status(Session& s) {
    if (const int rc = s.connect(true); rc != kExitOk) {
        return rc;
    }
    std::array<std::uint8_t, 4> bytes{};
    const ResultCode rc = s.commands().ReadPrinterStatus(bytes);
    if (rc != 0) {
        return s.fail(rc);
    }
    s.json()["status"] = bytes;
    char line[16];
    std::snprintf(line, sizeof line, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    return s.result(fill(_("%1: printer number %2 (the first byte's high digit); the four bytes "
                           "answer the status queries 9B, 94, 95 and 96, in hex"),
                         {line, std::to_string(bytes[0] >> 4)}),
                    kExitOk);
}

}  // namespace kalvero::cli
