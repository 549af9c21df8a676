// SPDX-License-Identifier: MIT
#include "cli/ConsoleText.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kalvero::cli {

#ifdef _WIN32
namespace {

// The console behind the stream, or null for a file, a pipe or NUL.
HANDLE consoleOf(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

void writeText(std::FILE* stream, const std::string& utf8) {
    const HANDLE console = consoleOf(stream);
    if (console == nullptr || utf8.empty()) {
        std::fwrite(utf8.data(), 1, utf8.size(), stream);
        return;
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    std::fflush(stream);  // what the C library still holds goes first
    DWORD written = 0;
    WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool redrawsLines(std::FILE* stream) {
    const HANDLE console = consoleOf(stream);
    DWORD mode = 0;
    return console != nullptr && GetConsoleMode(console, &mode) &&
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
#else
void writeText(std::FILE* stream, const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

bool redrawsLines(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}
#endif

}  // namespace kalvero::cli
