// SPDX-License-Identifier: MIT
#include "link/NetPort.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace kalvero {

std::optional<NetPort> ParseNetPort(std::string_view url) {
    static constexpr std::array<std::pair<std::string_view, NetPort::Kind>, 3> kSchemes{{
        {"rfc2217://", NetPort::Kind::Rfc2217},
        {"tcp://", NetPort::Kind::Raw},
        {"socket://", NetPort::Kind::Raw},
    }};
    NetPort net;
    net.url = std::string(url);
    const auto scheme = std::find_if(kSchemes.begin(), kSchemes.end(),
                                     [url](const auto& s) {
                                         // The scheme in any case, as URLs allow.
                                         return url.size() >= s.first.size() &&
                                                std::equal(s.first.begin(), s.first.end(),
                                                           url.begin(), [](char a, char b) {
                                                               return a == std::tolower(
                                                                   static_cast<unsigned char>(b));
                                                           });
                                     });
    if (scheme == kSchemes.end()) {
        return std::nullopt;
    }
    net.kind = scheme->second;
    std::string_view rest = url.substr(scheme->first.size());
    if (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    std::string_view host = rest.substr(0, colon);
    const std::string_view port = rest.substr(colon + 1);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') {
            return std::nullopt;
        }
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return std::nullopt;  // an IPv6 address goes in brackets
    }
    const bool hostOk = std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' ||
               c == ':' || c == '_';
    });
    if (!hostOk || port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const long number = std::stol(std::string(port));
    if (number < 1 || number > 65535) {
        return std::nullopt;
    }
    net.host = std::string(host);
    net.port = static_cast<std::uint16_t>(number);
    return net;
}

}  // namespace kalvero
