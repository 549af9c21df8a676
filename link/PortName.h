// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/NetPort.h"
#include "link/PortMap.h"

namespace kalvero {

// What a user names as a port: COMn (1..10; "COM3", "com3" or "3"), a device path
// (not on Windows), or a printer on the network by URL (see NetPort). Parsed once,
// then carried as this.
class PortName {
public:
    enum class Kind { Com, Device, Network };
    // Why a text names no port.
    enum class Mistake {
        NotAPort,    // none of the three forms
        BadUrl,      // "scheme://" but not HOST:PORT with PORT 1..65535
        Unprintable  // blanks at either end, or a control character
    };

    static std::optional<PortName> parse(const std::string& text, Mistake& mistake);

    Kind kind() const { return m_kind; }
    // The n of COMn; 1 for a device or a URL, the only port of its map.
    std::uint8_t number() const { return m_number; }
    // As the user wrote it.
    const std::string& text() const { return m_text; }
    // One spelling of what was named: "COM3", the device path made absolute (links
    // not followed), the URL with scheme and host in lower case ("socket" as "tcp").
    const std::string& canonical() const { return m_canonical; }
    // The port map the name is looked up in.
    PortMap map() const;
    // What the port reaches, with links followed and the ports directory read: two
    // names that reach one printer give the same.
    std::string reached() const;

private:
    Kind m_kind = Kind::Com;
    std::uint8_t m_number = 1;
    std::optional<NetPort> m_net;  // for a URL
    std::string m_text;
    std::string m_canonical;
};

// A text as it may be shown: a control byte as \xNN.
std::string PrintableText(const std::string& text);

}  // namespace kalvero
