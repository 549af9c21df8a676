// SPDX-License-Identifier: MIT
#include "app/uKomunikacja.h"

#include <algorithm>
#include <charconv>

#include "link/Connecting.h"
#include "link/OperatingState.h"
#include "link/WinSer.h"
#include "ui/Services.h"

namespace kalvero {

int ChannelFromText(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string::npos) {
        return 1;
    }
    int value = 0;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') {
        ++begin;
    }
    const auto [at, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || at != end) {
        return 1;
    }
    return std::clamp(value, 1, 4);
}

TfKomunikacja::TfKomunikacja(Services& services, ConnectionHost& host, ConnectionFace& face)
    : m_serial(services.serial), m_state(services.state), m_host(host), m_face(face) {
    m_face.attach(*this);
    FormCreate();
}

void TfKomunikacja::FormCreate() {
    m_serial.UnInitializePort();
    for (std::uint8_t n = 1; n <= 10; ++n) {
        if (m_state.PortPresent[n] != 0) {
            m_ports.push_back(n);
            m_face.addPort("COM" + std::to_string(n));
        }
    }
    m_face.showPort(m_ports.empty() ? -1 : 0);
}

int TfKomunikacja::channel() const {
    return ChannelFromText(m_face.channelText());
}

// Typed text is never interpreted: only a list entry names a port.
std::uint8_t TfKomunikacja::chosenPort() const {
    if (m_ports.empty()) {
        return 1;
    }
    const bool chosen = m_chosen >= 0 && m_chosen < static_cast<int>(m_ports.size());
    return m_ports[chosen ? static_cast<std::size_t>(m_chosen) : 0];
}

void TfKomunikacja::open() {
    m_face.show();
}

void TfKomunikacja::bPolaczClick() {
    if (m_host.busy()) {
        return;
    }
    m_face.hide();
    const std::uint8_t port = chosenPort();
    m_host.showConnecting(port);
    const Connection connection = ConnectOnPort(
        m_serial, [this] { return channel(); }, port);
    m_host.showConnectionByHand(connection);
    const bool answered = connection.outcome == ConnectOutcome::Online ||
                          connection.outcome == ConnectOutcome::VersionRefused;
    if (!answered) {
        m_face.show();
    }
}

void TfKomunikacja::bCofnijClick() {
    m_face.showPort(m_ports.empty() ? -1 : 0);
    m_chosen = -1;
    m_face.hide();
}

}  // namespace kalvero
