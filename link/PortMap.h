// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "link/NetPort.h"

namespace kalvero {

// Maps COMn (1..10) to a device path, or to a printer on the network. When the ports
// directory exists it alone defines the ports: entry "comN" is a symlink to a device,
// as in Wine's dosdevices, or a small text file holding a URL such as
// "rfc2217://192.168.1.20:4001" (see NetPort), read and parsed as the map is built.
// Otherwise COM1-4 are ttyS0-3, COM5-8 ttyUSB0-3 and COM9-10 ttyACM0-1.
class PortMap {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 10;

    PortMap(std::filesystem::path portsDir, std::filesystem::path devDir,
            std::filesystem::path sysClassTty);

    // $XDG_CONFIG_HOME/kalvero/ports (default ~/.config/kalvero/ports), /dev, /sys/class/tty.
    static PortMap fromEnvironment();
    static std::filesystem::path defaultPortsDir();
    // COM1 is the given device and no other port exists (a port named by its path).
    static PortMap forDevice(std::filesystem::path device);
    // COM1 is the printer at the given address and no other port exists.
    static PortMap forNetwork(NetPort net);

    // The address of a port on the network; nothing for a serial one.
    std::optional<NetPort> network(int port) const;

    std::optional<std::filesystem::path> devicePath(int port) const;
    // True when the device exists and, for a built-in UART, the kernel reports a real one,
    // or when the port is on the network. Never opens the device (opening would raise
    // DTR), nor connects.
    bool present(int port) const;

private:
    bool isPhantomUart(const std::filesystem::path& device) const;

    std::filesystem::path m_portsDir;
    std::filesystem::path m_devDir;
    std::filesystem::path m_sysClassTty;
    std::filesystem::path m_device;
    bool m_onePort = false;  // COM1 alone, named by its device or address
    // The printers on the network by port, COM1 first.
    std::array<std::optional<NetPort>, kLastPort> m_network;
};

}  // namespace kalvero
