// SPDX-License-Identifier: MIT
#include "link/Identification.h"

namespace kalvero {

namespace {
constexpr std::uint8_t kTimeoutTenths = 5;
}

void ScanSerialPorts(WinSer& serial, PortPresentFlags& portPresent) {
    serial.UnInitializePort();
    for (std::uint8_t n = 1; n <= 10; ++n) {
        portPresent[n] = serial.SerialPortPresent(n) != 0 ? 1 : 0;
    }
}

void ChannelLines(WinSer& serial, int channel) {
    switch (channel) {
        case 1:
            serial.ClearDTRLine();
            serial.SetRTSLine();
            break;
        case 2:
            serial.SetDTRLine();
            serial.SetRTSLine();
            break;
        case 3:
            serial.ClearDTRLine();
            serial.ClearRTSLine();
            break;
        case 4:
            serial.SetDTRLine();
            serial.ClearRTSLine();
            break;
        default:
            break;
    }
}

ResultCode IdentifyPrinter(WinSer& serial, const ChannelSource& channel, std::uint8_t port,
                           std::uint16_t baudRate, PrinterIdentity& identity) {
    serial.UnInitializePort();
    if (const std::uint8_t rc =
            serial.iInitializePort(port, baudRate, kTimeoutTenths, kTimeoutTenths);
        rc != 0) {
        return rc;
    }
    ChannelLines(serial, channel());

    SerialBuffer answer{};
    const SerialBuffer send{};
    if (const std::uint8_t rc = serial.RSSequence(OpIdentify, 2, 0, answer, send); rc != 0) {
        return rc;
    }
    if (answer[0] != kPrinterKind) {
        identity.found = false;
        return 0;
    }
    identity.found = true;

    if (const std::uint8_t rc = serial.RSSequence(OpReadVersion, 2, 0, answer, send); rc != 0) {
        return rc;
    }
    identity.version = answer[0] >> 4;

    if (const std::uint8_t rc = serial.RSSequence(OpReadPrinterNumber, 3, 0, answer, send);
        rc != 0) {
        return rc;
    }
    identity.numberText = {static_cast<char>(answer[0]), static_cast<char>(answer[1])};
    return 0;
}

}  // namespace kalvero
