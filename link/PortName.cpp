// SPDX-License-Identifier: MIT
#include "link/PortName.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "data/FilePath.h"

namespace kalvero {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool printable(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string canonicalUrl(const NetPort& net) {
    const std::string host = lower(net.host);
    const bool v6 = host.find(':') != std::string::npos;
    return std::string(net.kind == NetPort::Kind::Rfc2217 ? "rfc2217://" : "tcp://") +
           (v6 ? "[" + host + "]" : host) + ":" + std::to_string(net.port);
}

}  // namespace

std::string PrintableText(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            shown += std::string("\\x") + hex[byte >> 4] + hex[byte & 15];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::optional<PortName> PortName::parse(const std::string& text, Mistake& mistake) {
    PortName name;
    name.m_text = text;
    if (!printable(text)) {
        mistake = Mistake::Unprintable;
        return std::nullopt;
    }
    // A scheme says a URL was meant, so a mistake in it is named as one.
    if (text.find("://") != std::string::npos) {
        name.m_net = ParseNetPort(text);
        if (!name.m_net) {
            mistake = Mistake::BadUrl;
            return std::nullopt;
        }
        name.m_kind = Kind::Network;
        name.m_canonical = canonicalUrl(*name.m_net);
        return name;
    }
    if (text.empty() || text.front() == ' ' || text.back() == ' ') {
        mistake = Mistake::Unprintable;
        return std::nullopt;
    }
#ifndef _WIN32  // a device path is a Linux port's other name
    if (text.find('/') != std::string::npos) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(FilePath(text), ec).lexically_normal();
        name.m_kind = Kind::Device;
        name.m_canonical = ec ? text : FileNameText(absolute);
        return name;
    }
#endif
#ifdef _WIN32
    // Ports past COM10, which USB adapters often get, also in Windows' own spelling.
    const std::string port = text.starts_with("\\\\.\\") ? text.substr(4) : text;
    constexpr int kLastPort = 255;
#else
    const std::string& port = text;
    constexpr int kLastPort = PortMap::kLastPort;
#endif
    // A bare number is no port's name: "1" is not COM1.
    const std::string digits = lower(port).starts_with("com") ? port.substr(3) : "";
    const bool decimal = !digits.empty() && digits.size() <= 3 &&
                         std::all_of(digits.begin(), digits.end(),
                                     [](char c) { return c >= '0' && c <= '9'; });
    const int n = decimal ? std::stoi(digits) : 0;
    if (n < PortMap::kFirstPort || n > kLastPort) {
        mistake = Mistake::NotAPort;
        return std::nullopt;
    }
    name.m_number = static_cast<std::uint8_t>(n);
    name.m_canonical = "COM" + std::to_string(n);
    return name;
}

PortMap PortName::map() const {
    switch (m_kind) {
        case Kind::Network:
            return PortMap::forNetwork(*m_net);
        case Kind::Device:
            return PortMap::forDevice(FilePath(m_text));
        case Kind::Com:
            break;
    }
    return PortMap::fromEnvironment();
}

std::string PortName::reached() const {
    if (m_net) {
        return m_canonical;
    }
    const PortMap ports = map();
    if (const auto net = ports.network(m_number)) {
        return canonicalUrl(*net);
    }
    const auto device = ports.devicePath(m_number);
    if (!device) {
        return m_canonical;
    }
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(*device, ec);
    return ec ? m_canonical : FileNameText(real);
}

}  // namespace kalvero
