// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>

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

// A lock file that a program gone since left for the device in a lock folder, as
// serial port libraries write them (/run/lock/LCK..ttyS0, the process number first).
struct StaleLock {
    std::string file;  // its real path
    long process = 0;
};
std::optional<StaleLock> FindStaleLock(const std::filesystem::path& device);

}  // namespace kalvero
