// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "data/ResultCode.h"
#include "link/WinSer.h"

namespace kalvero {

// Flag n (1..10) is 1 when COMn exists; index 0 is unused.
using PortPresentFlags = std::array<std::uint8_t, 11>;

// Gives the channel (1..4) chosen in the communication dialog at the moment of the call.
using ChannelSource = std::function<int()>;

struct PrinterIdentity {
    bool found = false;
    std::uint8_t version = 0;
    std::string numberText;  // exactly two characters once read
};

constexpr std::uint8_t OpIdentify = 0xFF;
constexpr std::uint8_t OpReadVersion = 0x5B;
constexpr std::uint8_t OpReadPrinterNumber = 0xC0;
constexpr std::uint8_t kPrinterKind = 0x25;  // '%'

// Closes any open port, then fills flags 1..10 from the library; opens nothing.
void ScanSerialPorts(WinSer& serial, PortPresentFlags& portPresent);

// Sets DTR, then RTS, for the channel; any other channel leaves both lines alone.
void ChannelLines(WinSer& serial, int channel);

// Opens the port at the baud rate, selects the channel and asks who is there.
// The outputs are written only at the steps that reach them; every other field of
// identity keeps what the caller put there. The port stays open once opened.
ResultCode IdentifyPrinter(WinSer& serial, const ChannelSource& channel, std::uint8_t port,
                           std::uint16_t baudRate, PrinterIdentity& identity);

}  // namespace kalvero
