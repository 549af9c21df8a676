// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/WinSer.h"

namespace kalvero::serial {

// One exchange after the unread input is dropped, the same over every port library:
// the command byte; ACK goes on, NAK ends with 24, any other byte with 23; the data
// bytes; then the answer's bytes. write(bytes, count) is false when the bytes did not
// all go (20); receive(byte) gives 0, 21 for a silent line, 20 for a port that is gone.
template <typename Write, typename Receive>
std::uint8_t Exchange(const Write& write, const Receive& receive, std::uint8_t command,
                      std::uint8_t answerCount, std::uint8_t sendCount, SerialBuffer& answer,
                      const SerialBuffer& send) {
    if (!write(&command, std::size_t{1})) {
        return kTransmitTimeout;
    }
    std::uint8_t reply = 0;
    if (const std::uint8_t rc = receive(reply); rc != kOk) {
        return rc;
    }
    if (reply == kNakByte) {
        return kNak;
    }
    if (reply != kAck) {
        return kNotAckNak;
    }
    if (sendCount > 0 && !write(send.data(), std::size_t{sendCount})) {
        return kTransmitTimeout;
    }
    for (std::uint8_t i = 0; i < answerCount; ++i) {
        if (const std::uint8_t rc = receive(answer[i]); rc != kOk) {
            return rc;
        }
    }
    return kOk;
}

}  // namespace kalvero::serial
