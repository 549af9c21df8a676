// SPDX-License-Identifier: MIT
#pragma once

#include <deque>

#include "emulator/OruProtocol.h"
#include "link/WinSer.h"

namespace kalvero::test {

// The serial-port library wired straight to the emulator's printer protocol:
// the whole printer, faults included, without a terminal or time-outs.
class ProtocolWinSer final : public WinSer {
public:
    explicit ProtocolWinSer(oru::PrinterMemory& memory, oru::Faults faults = {})
        : m_protocol(memory, faults) {}

    long exchanges() const { return m_protocol.exchanges(); }
    // A printer behind a server on the network: once the line hangs up, the port says
    // why, as the network layer does.
    void hangUpAs(OpenFailure failure) { m_hangUp = std::move(failure); }
    std::optional<OpenFailure> openFailure() const override {
        return m_hungUp ? m_hangUp : std::nullopt;
    }

    std::uint8_t SerialPortPresent(std::uint8_t) override { return 1; }
    std::uint8_t iInitializePort(std::uint8_t, std::uint16_t, std::uint8_t, std::uint8_t) override {
        m_open = true;
        return 0;
    }
    void UnInitializePort() override { m_open = false; }
    void SetDTRLine() override {}
    void ClearDTRLine() override {}
    void SetRTSLine() override {}
    void ClearRTSLine() override {}

    std::uint8_t RSSequence(std::uint8_t command, std::uint8_t answerCount, std::uint8_t sendCount,
                            SerialBuffer& answer, const SerialBuffer& send) override {
        if (!m_open || m_hungUp) {
            return 20;
        }
        m_pending.clear();
        if (!feed(command)) {
            return 20;
        }
        if (m_pending.empty()) {
            return 21;
        }
        const std::uint8_t reply = m_pending.front();
        m_pending.pop_front();
        if (reply == 0x15) {
            return 24;
        }
        if (reply != 0x06) {
            return 23;
        }
        for (std::uint8_t i = 0; i < sendCount; ++i) {
            if (!feed(send[i])) {
                return 20;
            }
        }
        for (std::uint8_t i = 0; i < answerCount; ++i) {
            if (m_pending.empty()) {
                m_protocol.dropPartialCommand();
                return 21;
            }
            answer[i] = m_pending.front();
            m_pending.pop_front();
        }
        return 0;
    }

    std::uint8_t ReadByte(std::uint8_t& byte) override {
        if (m_pending.empty()) {
            return 0;
        }
        byte = m_pending.front();
        m_pending.pop_front();
        return 1;
    }

private:
    bool feed(std::uint8_t byte) {
        std::vector<std::uint8_t> out;
        if (m_protocol.feed(byte, out) == oru::OruProtocol::Action::HangUp) {
            m_hungUp = true;
            return false;
        }
        m_pending.insert(m_pending.end(), out.begin(), out.end());
        return true;
    }

    oru::OruProtocol m_protocol;
    std::deque<std::uint8_t> m_pending;
    bool m_open = true;
    bool m_hungUp = false;
    std::optional<OpenFailure> m_hangUp;
};

}  // namespace kalvero::test
