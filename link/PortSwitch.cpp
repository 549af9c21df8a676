// SPDX-License-Identifier: MIT
#include "link/PortSwitch.h"

#include <utility>

namespace kalvero {

PortSwitch::PortSwitch(PortMap ports, std::unique_ptr<WinSer> serial,
                       std::unique_ptr<WinSer> network)
    : m_ports(std::move(ports)),
      m_serial(std::move(serial)),
      m_network(std::move(network)),
      m_current(m_serial.get()) {}

WinSer& PortSwitch::libraryFor(std::uint8_t port) const {
    return m_ports.network(port) ? *m_network : *m_serial;
}

std::uint8_t PortSwitch::SerialPortPresent(std::uint8_t port) {
    return libraryFor(port).SerialPortPresent(port);
}

std::uint8_t PortSwitch::iInitializePort(std::uint8_t port, std::uint16_t baudRate,
                                         std::uint8_t txTimeout, std::uint8_t rxTimeout) {
    // One port is open at a time, whichever library holds it.
    m_current->UnInitializePort();
    m_current = &libraryFor(port);
    return m_current->iInitializePort(port, baudRate, txTimeout, rxTimeout);
}

void PortSwitch::UnInitializePort() {
    m_current->UnInitializePort();
}
void PortSwitch::SetDTRLine() {
    m_current->SetDTRLine();
}
void PortSwitch::ClearDTRLine() {
    m_current->ClearDTRLine();
}
void PortSwitch::SetRTSLine() {
    m_current->SetRTSLine();
}
void PortSwitch::ClearRTSLine() {
    m_current->ClearRTSLine();
}

std::uint8_t PortSwitch::RSSequence(std::uint8_t command, std::uint8_t answerCount,
                                    std::uint8_t sendCount, SerialBuffer& answer,
                                    const SerialBuffer& send) {
    return m_current->RSSequence(command, answerCount, sendCount, answer, send);
}

std::uint8_t PortSwitch::ReadByte(std::uint8_t& byte) {
    return m_current->ReadByte(byte);
}

std::optional<OpenFailure> PortSwitch::openFailure() const {
    return m_current->openFailure();
}

}  // namespace kalvero
