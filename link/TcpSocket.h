// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvero {

// The client end of one TCP connection, with a time-out on every wait: POSIX sockets,
// or Winsock on Windows. Small writes leave at once (no Nagle delay): an exchange with
// the printer is a byte, then a few.
class TcpSocket {
public:
    enum class Received { Data, Silent, Closed };

    TcpSocket();
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Connects to host:port within timeout: empty, or the system's words for why not.
    std::string connect(const std::string& host, std::uint16_t port,
                        std::chrono::milliseconds timeout);
    bool isOpen() const;
    void close();
    // False when the bytes did not all go within timeout, or the other end is gone.
    bool sendAll(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds timeout);
    // What came within timeout (a zero time-out takes only what is there), appended to out.
    Received receive(std::string& out, std::chrono::milliseconds timeout);

private:
    // Ready to read (or write) within timeout.
    bool wait(bool forWriting, std::chrono::milliseconds timeout) const;

    std::intptr_t m_handle;
};

}  // namespace kalvero
