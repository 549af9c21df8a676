// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "emulator/PrinterMemory.h"

namespace oru {

// Faults the printer can be told to show. NAK, error status and the wrong
// acknowledgement start at exchange faultsFrom (counted from 1); forgotten writes
// are forgotten from the first exchange.
struct Faults {
    bool silent = false;                        // never answers anything
    bool nakAll = false;                        // NAK every command
    std::optional<std::uint8_t> nakCommand{};   // NAK this command byte
    std::optional<std::uint8_t> errorStatus{};  // this status byte instead of 0
    std::optional<std::uint8_t> notAckByte{};   // this byte instead of ACK
    long faultsFrom = 1;
    long stopAfter = 0;    // > 0: silent from exchange stopAfter + 1 on
    long hangUpAfter = 0;  // > 0: hangs up when exchange hangUpAfter + 1 begins
    // Writes to these footers, and of these PLUs' bindings, answer status 0 as usual
    // but keep the old value: a write that only a read-back can catch.
    std::set<int> forgetFooters{};
    std::set<int> forgetPlus{};
};

// The printer's side of the wire: command byte, ACK (or NAK), data bytes, answer
// bytes and further bytes. Fed one received byte at a time; pure, no I/O.
class OruProtocol {
public:
    enum class Action { None, HangUp };

    static constexpr std::uint8_t kAck = 0x06;
    static constexpr std::uint8_t kNak = 0x15;
    static constexpr std::uint8_t kStatusOutOfRange = 3;
    static constexpr std::uint8_t kStatusNoItem = 5;
    static constexpr std::uint8_t kStatusNoName = 0x66;

    OruProtocol(PrinterMemory& memory, Faults faults);

    // Appends what the printer sends in reply to byte to out.
    Action feed(std::uint8_t byte, std::vector<std::uint8_t>& out);
    // A command whose data stopped coming is forgotten.
    void dropPartialCommand();
    bool inCommand() const { return m_expected > 0; }
    long exchanges() const { return m_exchanges; }

private:
    Action begin(std::uint8_t command, std::vector<std::uint8_t>& out);
    void complete(std::vector<std::uint8_t>& out);
    bool faultActive() const { return m_exchanges >= m_faults.faultsFrom; }
    std::uint8_t statusOr(std::uint8_t status) const;

    void readItemName(std::vector<std::uint8_t>& out);
    void writeFooterLine(std::vector<std::uint8_t>& out);
    void readFooterLine(std::vector<std::uint8_t>& out);
    void writeBinding(std::vector<std::uint8_t>& out);
    void readBinding(std::vector<std::uint8_t>& out);
    int plu() const { return m_data[0] | (m_data[1] << 8); }

    PrinterMemory& m_memory;
    Faults m_faults;
    long m_exchanges = 0;
    std::uint8_t m_command = 0;
    std::vector<std::uint8_t> m_data;
    std::size_t m_expected = 0;  // data bytes still to come for the current command
};

}  // namespace oru
