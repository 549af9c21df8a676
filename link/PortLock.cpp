// SPDX-License-Identifier: MIT
#include "link/PortLock.h"

#include <algorithm>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <signal.h>

#include <cerrno>
#include <fstream>
#endif

namespace kalvero {

PortLock::~PortLock() {
    release();
}

#ifdef _WIN32
// Windows opens a COM port for one program only: there is nothing to add.
bool PortLock::take(const std::filesystem::path& /*device*/) {
    return true;
}

void PortLock::release() {}
#else
// The lock is taken on a descriptor of its own, before the port is opened for
// talking, so that a refused program never touches the line settings of the one
// that holds it. Opening a tty that is already open changes nothing on the line.
bool PortLock::take(const std::filesystem::path& device) {
    release();
    m_fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        // Held with the tty's exclusive open by another program (not root).
        return errno != EBUSY;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        release();
        return !busy;
    }
    return true;
}

void PortLock::release() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

#endif

std::optional<StaleLock> FindStaleLock([[maybe_unused]] const std::filesystem::path& device) {
#ifdef _WIN32
    return std::nullopt;
#else
    namespace fs = std::filesystem;
    // LCK.. and the device's name under /dev with "/" as "_": pts/3 is LCK..pts_3.
    std::string name = device.lexically_relative("/dev").string();
    std::replace(name.begin(), name.end(), '/', '_');
    for (const char* folder : {"/run/lock", "/var/lock", "/var/lock/lockdev", "/var/spool/locks",
                               "/var/spool/uucp", "/etc/locks", "/tmp"}) {
        const fs::path file = fs::path(folder) / ("LCK.." + name);
        std::error_code ec;
        if (!fs::is_regular_file(fs::symlink_status(file, ec)) || fs::file_size(file, ec) > 4096) {
            continue;
        }
        long process = 0;
        std::ifstream(file) >> process;
        if (process > 0 && ::kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH) {
            const fs::path real = fs::canonical(file, ec);
            return StaleLock{ec ? file.string() : real.string(), process};
        }
    }
    return std::nullopt;
#endif
}

}  // namespace kalvero
