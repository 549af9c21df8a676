// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

namespace kalvero {

// Holds a device for one program: an exclusive lock on the device itself, so that
// a second program is refused whatever name it used (a symlink, the device path)
// and even as root, where the tty's own exclusive open does not hold.
class PortLock {
public:
    PortLock() = default;
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // False when another program holds the device.
    bool take(const std::filesystem::path& device);
    void release();

private:
    int m_fd = -1;
};

}  // namespace kalvero
