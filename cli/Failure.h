// SPDX-License-Identifier: MIT
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "data/ResultCode.h"

namespace kalvero::cli {

// Why a run failed, as --json names it: words a script may rely on, whatever the
// language of the message beside them.
enum class FailureKind {
    Usage,
    PortMissing,
    PortBusy,
    PortDenied,
    NoPrinter,
    FileMissing,
    FileNotWhole,
    File,
    PrinterResult,
    Differs,
    ChangedBehind,
    SomeFailed,
    Stopped,
    Terminated,
};

std::string_view FailureWord(FailureKind kind);
// The kind an exit code stands for when nothing finer is known.
FailureKind FailureOfExit(int exit);
// A port that would not open, by the port layer's code.
FailureKind FailureOfPort(ResultCode result);
// The finer kind, when it names a cause of that exit; else the exit's own.
FailureKind FailureFor(int exit, FailureKind noted);

// This thread's run: the failing code notes the finer kind where it knows it.
void noteFailure(FailureKind kind);
// A data file, a snapshot or a CSV that could not be used: missing, or not.
void noteFileFailure(const std::string& name);
// The error object of a run that ended with exit (not 0): its kind and the reason
// last told.
nlohmann::ordered_json FailureJson(int exit);

}  // namespace kalvero::cli
