// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/WindowFace.h"
#include "ui/WindowLinks.h"

namespace kalvero {

class TfKomunikacja;
class WinSer;
struct OperatingState;
struct Services;

// What the communication dialog shows: the port list cbPort and the channel field seKanal.
class ConnectionFace : public WindowFace {
public:
    virtual void attach(TfKomunikacja& dialog) = 0;
    virtual void addPort(const std::string& entry) = 0;
    // The list entry the field shows; -1 leaves it empty.
    virtual void showPort(int index) = 0;
    // The channel field's text as typed.
    virtual std::string channelText() const = 0;
};

// The channel a text in the channel field names: text that is no number counts as 1,
// and a number outside 1..4 is the nearer end.
int ChannelFromText(const std::string& text);

// The communication dialog: one port and the printer's channel, by hand.
class TfKomunikacja final : public ConnectionDialog {
public:
    // Builds the port list once, from the ports present at creation.
    TfKomunikacja(Services& services, ConnectionHost& host, ConnectionFace& face);

    int channel() const override;
    void open() override;
    void dismiss() override { m_face.hide(); }
    ConnectionFace& face() { return m_face; }

    // A list entry picked by the user; typed text never names a port.
    void cbPortSelect(int index) { m_chosen = index; }
    void bPolaczClick();
    void bCofnijClick();

private:
    void FormCreate();
    std::uint8_t chosenPort() const;

    WinSer& m_serial;
    OperatingState& m_state;
    ConnectionHost& m_host;
    ConnectionFace& m_face;
    std::vector<std::uint8_t> m_ports;  // the list's ports, in its order
    int m_chosen = -1;                  // the list entry the user picked; -1 while none
};

}  // namespace kalvero
