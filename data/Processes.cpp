// SPDX-License-Identifier: MIT
#include "data/Processes.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

namespace kalvero {

long ThisProcess() {
#ifdef _WIN32
    return static_cast<long>(::GetCurrentProcessId());
#else
    return static_cast<long>(::getpid());
#endif
}

bool ProcessRunning(long process) {
    if (process <= 0) {
        return false;
    }
#ifdef _WIN32
    const HANDLE handle = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process));
    if (handle == nullptr) {
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool alive = ::WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    ::CloseHandle(handle);
    return alive;
#else
    // A number no pid_t holds names no process (and must never become -1: all of them).
    if (process > INT_MAX) {
        return false;
    }
    return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
#endif
}

}  // namespace kalvero
