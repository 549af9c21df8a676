// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvero {

// A printer behind a serial-to-network server, named by URL:
//   rfc2217://HOST:PORT   Telnet with the COM-PORT option: speed and lines set from here
//   tcp://HOST:PORT       raw bytes; speed and lines fixed in the server
//   socket://HOST:PORT    the same as tcp://, as pyserial writes it
// HOST is a name, an IPv4 address or an IPv6 one in brackets.
struct NetPort {
    enum class Kind { Rfc2217, Raw };

    Kind kind = Kind::Raw;
    std::string host;
    std::uint16_t port = 0;
    std::string url;  // as written
};

// Nothing for anything that is not such a URL.
std::optional<NetPort> ParseNetPort(std::string_view url);

}  // namespace kalvero
