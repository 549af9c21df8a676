// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/WinSer.h"
#include "tests/ProtocolWinSer.h"

namespace kalvero::test {

// A shop's ten serial ports COM1..COM10, in-process: each absent, present with
// nothing on it (the line stays silent), refused by the system, or holding a
// printer model that answers only at its own baud rate. Every call is kept in
// order, so that a test sees which ports and speeds were tried.
class ShopPorts final : public WinSer {
public:
    // "Present 3", "Init 3 19200", "UnInit", "RS ff"...
    std::vector<std::string> calls;
    // Runs after each call is kept.
    std::function<void(const std::string& call)> onCall;

    // COMn with a printer on it; the memory is the printer's, for the test to read.
    oru::PrinterMemory& plugIn(int com, oru::PrinterMemory memory = oru::PrinterMemory::factory(),
                               oru::Faults faults = {}) {
        auto port = std::make_unique<Port>();
        port->memory = std::make_unique<oru::PrinterMemory>(std::move(memory));
        port->line = std::make_unique<ProtocolWinSer>(*port->memory, faults);
        return *put(com, std::move(port)).memory;
    }
    // COMn present, with no printer behind it.
    void addSilent(int com) { put(com, std::make_unique<Port>()); }
    // COMn present, but the system will not open it.
    void refuse(int com, std::uint8_t result, OpenFailure why) {
        addSilent(com);
        m_ports[com]->refusal = result;
        m_ports[com]->why = std::move(why);
    }
    // A printer behind a server on the network: once its faults hang the line up,
    // the port says why, as the network layer does.
    void hangUpAs(int com, OpenFailure why) { m_ports.at(com)->line->hangUpAs(std::move(why)); }
    long exchanges(int com) const { return m_ports.at(com)->line->exchanges(); }

    std::uint8_t SerialPortPresent(std::uint8_t port) override {
        keep("Present " + std::to_string(port));
        return port < m_ports.size() && m_ports[port] ? 1 : 0;
    }
    std::uint8_t iInitializePort(std::uint8_t port, std::uint16_t baudRate, std::uint8_t tx,
                                 std::uint8_t rx) override {
        keep("Init " + std::to_string(port) + " " + std::to_string(baudRate));
        m_open = nullptr;
        m_failure.reset();
        Port* at = port < m_ports.size() ? m_ports[port].get() : nullptr;
        if (at == nullptr) {
            m_failure = OpenFailure{"COM" + std::to_string(port), "No such file or directory"};
            return serial::kNoSuchPort;
        }
        if (at->refusal != 0) {
            m_failure = at->why;
            return at->refusal;
        }
        m_open = at;
        m_baudRate = baudRate;
        return at->line ? at->line->iInitializePort(port, baudRate, tx, rx) : 0;
    }
    void UnInitializePort() override {
        keep("UnInit");
        if (m_open != nullptr && m_open->line) {
            m_open->line->UnInitializePort();
        }
        m_open = nullptr;
    }
    void SetDTRLine() override { keep("SetDTR"); }
    void ClearDTRLine() override { keep("ClearDTR"); }
    void SetRTSLine() override { keep("SetRTS"); }
    void ClearRTSLine() override { keep("ClearRTS"); }
    std::optional<OpenFailure> openFailure() const override {
        return m_open != nullptr && m_open->line ? m_open->line->openFailure() : m_failure;
    }

    std::uint8_t RSSequence(std::uint8_t command, std::uint8_t answerCount, std::uint8_t sendCount,
                            SerialBuffer& answer, const SerialBuffer& send) override {
        static const char* hex = "0123456789abcdef";
        keep(std::string("RS ") + hex[command >> 4] + hex[command & 15]);
        if (m_open == nullptr) {
            return serial::kTransmitTimeout;
        }
        // Nothing on the line, or a printer set to another speed: nothing comes back.
        if (!printerHeard()) {
            return serial::kReceiveTimeout;
        }
        return m_open->line->RSSequence(command, answerCount, sendCount, answer, send);
    }
    std::uint8_t ReadByte(std::uint8_t& byte) override {
        return printerHeard() ? m_open->line->ReadByte(byte) : 0;
    }

private:
    struct Port {
        std::unique_ptr<oru::PrinterMemory> memory;  // none: nothing on the line
        std::unique_ptr<ProtocolWinSer> line;
        std::uint8_t refusal = 0;
        OpenFailure why;  // of a refusal
    };

    // What was on COMn goes, unplugged while it may be open.
    Port& put(int com, std::unique_ptr<Port> port) {
        if (m_ports.at(com).get() == m_open) {
            m_open = nullptr;
        }
        m_ports[com] = std::move(port);
        return *m_ports[com];
    }
    bool printerHeard() const {
        return m_open != nullptr && m_open->line && m_open->memory->baudRate == m_baudRate;
    }
    void keep(std::string call) {
        calls.push_back(std::move(call));
        if (onCall) {
            onCall(calls.back());
        }
    }

    std::array<std::unique_ptr<Port>, 11> m_ports;  // COM1..COM10 at 1..10
    Port* m_open = nullptr;
    std::uint16_t m_baudRate = 0;
    std::optional<OpenFailure> m_failure;
};

}  // namespace kalvero::test
