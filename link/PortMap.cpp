// SPDX-License-Identifier: MIT
#include "link/PortMap.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

#include "data/FilePath.h"
#include "data/OwnFiles.h"
namespace kalvero {

namespace fs = std::filesystem;

namespace {

// A few bytes of text in a regular file: a link to a device is never read.
std::optional<NetPort> ReadEntry(const fs::path& entry) {
    constexpr std::uintmax_t kMostBytes = 1024;
    std::string why;
    const auto text = ReadOwnFile(FileNameText(entry), kMostBytes, why);
    if (!text) {
        return std::nullopt;
    }
    std::string line = text->substr(0, text->find('\n'));
    const std::size_t end = line.find_last_not_of(" \t\r");
    line.erase(end == std::string::npos ? 0 : end + 1);
    const std::size_t start = line.find_first_not_of(" \t");
    line.erase(0, start == std::string::npos ? line.size() : start);
    return ParseNetPort(line);
}

}  // namespace

PortMap::PortMap(fs::path portsDir, fs::path devDir, fs::path sysClassTty)
    : m_portsDir(std::move(portsDir)),
      m_devDir(std::move(devDir)),
      m_sysClassTty(std::move(sysClassTty)) {
    std::error_code ec;
    if (m_portsDir.empty() || !fs::is_directory(m_portsDir, ec)) {
        return;
    }
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        m_network[port - kFirstPort] = ReadEntry(m_portsDir / ("com" + std::to_string(port)));
    }
}

// Beside what the program keeps of each printer on Windows (%LOCALAPPDATA%\Kalvero).
fs::path PortMap::defaultPortsDir() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    return fs::path(local != nullptr ? local : ".") / "Kalvero" / "ports";
#else
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    fs::path config;
    if (xdg != nullptr && *xdg != '\0') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        config = fs::path(home != nullptr ? home : ".") / ".config";
    }
    return config / "kalvero" / "ports";
#endif
}

PortMap PortMap::fromEnvironment() {
    return PortMap(defaultPortsDir(), "/dev", "/sys/class/tty");
}

PortMap PortMap::forDevice(fs::path device) {
    PortMap map({}, {}, "/sys/class/tty");
    map.m_device = std::move(device);
    map.m_onePort = true;
    return map;
}

PortMap PortMap::forNetwork(NetPort net) {
    PortMap map({}, {}, {});
    map.m_network[0] = std::move(net);
    map.m_onePort = true;
    return map;
}

std::optional<NetPort> PortMap::network(int port) const {
    if (port < kFirstPort || port > kLastPort) {
        return std::nullopt;
    }
    return m_network[port - kFirstPort];
}

std::optional<fs::path> PortMap::devicePath(int port) const {
    if (port < kFirstPort || port > kLastPort) {
        return std::nullopt;
    }
    if (m_onePort) {
        return port == kFirstPort && !m_device.empty() ? std::optional(m_device) : std::nullopt;
    }
    std::error_code ec;
    if (fs::is_directory(m_portsDir, ec)) {
        return m_portsDir / ("com" + std::to_string(port));
    }
    if (port <= 4) {
        return m_devDir / ("ttyS" + std::to_string(port - 1));
    }
    if (port <= 8) {
        return m_devDir / ("ttyUSB" + std::to_string(port - 5));
    }
    return m_devDir / ("ttyACM" + std::to_string(port - 9));
}

bool PortMap::present(int port) const {
    if (network(port)) {
        return true;
    }
    const auto path = devicePath(port);
    if (!path) {
        return false;
    }
    std::error_code ec;
    const fs::path device = fs::canonical(*path, ec);  // follows the comN symlink
    if (ec || !fs::exists(device, ec)) {
        return false;
    }
    return !isPhantomUart(device);
}

// The kernel creates ttyS0-3 whether or not a UART is fitted; its type 0 means none.
bool PortMap::isPhantomUart(const fs::path& device) const {
    const std::string name = device.filename().string();
    if (name.rfind("ttyS", 0) != 0) {
        return false;
    }
    std::ifstream type(m_sysClassTty / name / "type");
    int value = 0;
    if (!(type >> value)) {
        return false;  // no sysfs entry to ask: trust the device node
    }
    return value == 0;
}

}  // namespace kalvero
