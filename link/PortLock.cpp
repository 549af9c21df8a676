// SPDX-License-Identifier: MIT
#include "link/PortLock.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace kalvero
