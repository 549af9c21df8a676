// SPDX-License-Identifier: MIT
#include "lang/Console.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#endif

namespace kalvero {

void AnswerOnTerminal() {
#ifdef _WIN32
    const bool outFree = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN;
    const bool errorFree = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_UNKNOWN;
    if ((outFree || errorFree) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (outFree) {
            std::freopen("CONOUT$", "w", stdout);
        }
        if (errorFree) {
            std::freopen("CONOUT$", "w", stderr);
        }
    }
#endif
}

}  // namespace kalvero
