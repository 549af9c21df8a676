// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "link/PortMap.h"
#include "link/WinSer.h"

namespace kalvero {

// COM1 to COM10 as the port map names them: each is a serial port of the system's
// library or a printer on the network, and every call goes to the one the last
// opening chose.
class PortSwitch final : public WinSer {
public:
    PortSwitch(PortMap ports, std::unique_ptr<WinSer> serial, std::unique_ptr<WinSer> network);

    std::uint8_t SerialPortPresent(std::uint8_t port) override;
    std::uint8_t iInitializePort(std::uint8_t port, std::uint16_t baudRate, std::uint8_t txTimeout,
                                 std::uint8_t rxTimeout) override;
    void UnInitializePort() override;
    void SetDTRLine() override;
    void ClearDTRLine() override;
    void SetRTSLine() override;
    void ClearRTSLine() override;
    std::uint8_t RSSequence(std::uint8_t command, std::uint8_t answerCount, std::uint8_t sendCount,
                            SerialBuffer& answer, const SerialBuffer& send) override;
    std::uint8_t ReadByte(std::uint8_t& byte) override;
    std::optional<OpenFailure> openFailure() const override;

private:
    WinSer& libraryFor(std::uint8_t port) const;

    PortMap m_ports;
    std::unique_ptr<WinSer> m_serial;
    std::unique_ptr<WinSer> m_network;
    WinSer* m_current;
};

}  // namespace kalvero
