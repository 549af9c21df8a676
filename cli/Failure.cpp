// SPDX-License-Identifier: MIT
#include "cli/Failure.h"

#include <filesystem>
#include <optional>

#include "cli/ExitCode.h"
#include "cli/Output.h"
#include "data/FilePath.h"
#include "lang/Language.h"
#include "link/WinSer.h"

namespace kalvero::cli {

namespace {

thread_local std::optional<FailureKind> t_noted;

int exitOf(FailureKind kind) {
    switch (kind) {
        case FailureKind::Usage: return kExitUsage;
        case FailureKind::PortMissing:
        case FailureKind::PortBusy:
        case FailureKind::PortDenied:
        case FailureKind::NoPrinter: return kExitNoPrinter;
        case FailureKind::FileMissing:
        case FailureKind::FileNotWhole:
        case FailureKind::File: return kExitFile;
        case FailureKind::Differs:
        case FailureKind::ChangedBehind: return kExitDiffers;
        case FailureKind::SomeFailed: return kExitSomeFailed;
        case FailureKind::Stopped: return kExitStopped;
        case FailureKind::Terminated: return kExitTerminated;
        case FailureKind::PrinterResult: break;
    }
    return kExitFailed;
}

}  // namespace

std::string_view FailureWord(FailureKind kind) {
    switch (kind) {
        case FailureKind::Usage: return "usage";
        case FailureKind::PortMissing: return "port_missing";
        case FailureKind::PortBusy: return "port_busy";
        case FailureKind::PortDenied: return "port_denied";
        case FailureKind::NoPrinter: return "no_printer";
        case FailureKind::FileMissing: return "file_missing";
        case FailureKind::FileNotWhole: return "file_not_whole";
        case FailureKind::File: return "file";
        case FailureKind::PrinterResult: return "printer_result";
        case FailureKind::Differs: return "differs";
        case FailureKind::ChangedBehind: return "changed_behind";
        case FailureKind::SomeFailed: return "some_failed";
        case FailureKind::Stopped: return "stopped";
        case FailureKind::Terminated: return "terminated";
    }
    return "failed";
}

FailureKind FailureOfExit(int exit) {
    switch (exit) {
        case kExitUsage: return FailureKind::Usage;
        case kExitNoPrinter: return FailureKind::NoPrinter;
        case kExitFile: return FailureKind::File;
        case kExitDiffers: return FailureKind::Differs;
        case kExitSomeFailed: return FailureKind::SomeFailed;
        case kExitStopped: return FailureKind::Stopped;
        case kExitTerminated: return FailureKind::Terminated;
        default: return FailureKind::PrinterResult;
    }
}

FailureKind FailureOfPort(ResultCode result) {
    switch (result) {
        case serial::kNoSuchPort: return FailureKind::PortMissing;
        case serial::kPortBusy:
        case serial::kStaleLock: return FailureKind::PortBusy;
        case serial::kAccessDenied: return FailureKind::PortDenied;
        default: return FailureKind::NoPrinter;
    }
}

FailureKind FailureFor(int exit, FailureKind noted) {
    return exitOf(noted) == exit ? noted : FailureOfExit(exit);
}

void noteFailure(FailureKind kind) {
    t_noted = kind;
}

void noteFileFailure(const std::string& name) {
    std::error_code ec;
    noteFailure(std::filesystem::exists(FilePath(name), ec) ? FailureKind::File
                                                            : FailureKind::FileMissing);
}

nlohmann::ordered_json FailureJson(int exit) {
    const FailureKind kind = t_noted ? FailureFor(exit, *t_noted) : FailureOfExit(exit);
    // A difference is told as the differences themselves, with no complaint.
    const std::string message = !lastComplaint().empty() ? lastComplaint()
                                : exit == kExitDiffers   ? _("the printer differs from the files")
                                                         : std::string(FailureWord(kind));
    return {{"kind", FailureWord(kind)}, {"message", message}};
}

}  // namespace kalvero::cli
