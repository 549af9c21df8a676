// SPDX-License-Identifier: MIT
#include "link/PortLock.h"

#include <algorithm>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "data/OwnFiles.h"
#include "data/Processes.h"
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
        // Any user may make such a name in /tmp: read only a small regular file there.
        std::string why;
        const std::string text = ReadOwnFile(file.string(), 4096, why).value_or("");
        // The process number first, as text (blanks before it in the older form).
        const std::size_t digits = std::min(text.find_first_not_of(' '), text.size());
        const std::size_t end =
            std::min(text.find_first_not_of("0123456789", digits), text.size());
        if (end == digits || end - digits > 9) {
            continue;
        }
        const long process = std::stol(text.substr(digits, end - digits));
        if (!ProcessRunning(process)) {
            std::error_code ec;
            const fs::path real = fs::canonical(file, ec);
            return StaleLock{ec ? file.string() : real.string(), process};
        }
    }
    return std::nullopt;
#endif
}

}  // namespace kalvero
