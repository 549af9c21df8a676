// SPDX-License-Identifier: MIT
#include "link/TcpSocket.h"
#include "lang/Language.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <memory>

namespace kalvero {

namespace {

#ifdef _WIN32
using Native = SOCKET;
constexpr std::intptr_t kNone = static_cast<std::intptr_t>(INVALID_SOCKET);

// Winsock wants its start once per program; it is never undone, as the program ends.
bool winsockReady() {
    static const bool ready = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

// The words of the POSIX systems for the failures a user meets, so that a message
// reads the same on Windows, in the user's language as there.
std::string winsockWords(int error) {
    switch (error) {
        case WSAECONNREFUSED:
            return _("Connection refused");
        case WSAETIMEDOUT:
            return _("Connection timed out");
        case WSAEHOSTUNREACH:
            return _("No route to host");
        case WSAENETUNREACH:
            return _("Network is unreachable");
        case WSAECONNRESET:
            return _("Connection reset by peer");
        default:
            return fill(_("Winsock error %1"), {std::to_string(error)});
    }
}

std::string lastError() {
    return winsockWords(WSAGetLastError());
}

bool inProgress() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

bool wouldBlock() {
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

void closeNative(Native s) {
    closesocket(s);
}

void makeNonBlocking(Native s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}

timeval toTimeval(std::chrono::milliseconds timeout) {
    timeval tv{};
    tv.tv_sec = static_cast<decltype(tv.tv_sec)>(timeout.count() / 1000);
    tv.tv_usec = static_cast<decltype(tv.tv_usec)>((timeout.count() % 1000) * 1000);
    return tv;
}

constexpr int kSendFlags = 0;
#else
using Native = int;
constexpr std::intptr_t kNone = -1;

bool winsockReady() {
    return true;
}

std::string lastError() {
    return std::strerror(errno);
}

bool inProgress() {
    return errno == EINPROGRESS;
}

bool wouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

void closeNative(Native s) {
    ::close(s);
}

void makeNonBlocking(Native s) {
    ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) | O_NONBLOCK);
}

// A peer that closed must not end the program with SIGPIPE.
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

Native native(std::intptr_t handle) {
    return static_cast<Native>(handle);
}

struct AddressList {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

}  // namespace

TcpSocket::TcpSocket() : m_handle(kNone) {}

TcpSocket::~TcpSocket() {
    close();
}

bool TcpSocket::isOpen() const {
    return m_handle != kNone;
}

void TcpSocket::close() {
    if (isOpen()) {
        closeNative(native(m_handle));
        m_handle = kNone;
    }
}

bool TcpSocket::wait(bool forWriting, std::chrono::milliseconds timeout) const {
#ifdef _WIN32
    // Winsock reports a connection that failed among the exceptions, not as writable.
    fd_set set;
    fd_set failed;
    FD_ZERO(&set);
    FD_ZERO(&failed);
    FD_SET(native(m_handle), &set);
    FD_SET(native(m_handle), &failed);
    timeval tv = toTimeval(timeout);
    return ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr,
                    forWriting ? &failed : nullptr, &tv) > 0;
#else
    // poll, as select cannot hold a descriptor numbered past FD_SETSIZE.
    pollfd entry{native(m_handle), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    return ::poll(&entry, 1, static_cast<int>(timeout.count())) > 0;
#endif
}

std::string TcpSocket::connect(const std::string& host, std::uint16_t port,
                               std::chrono::milliseconds timeout) {
    close();
    if (!winsockReady()) {
        return lastError();
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        rc != 0) {
        return gai_strerror(rc);
    }
    const std::unique_ptr<addrinfo, AddressList> list(found);
    std::string why = _("no address");
    for (const addrinfo* at = found; at != nullptr; at = at->ai_next) {
        const Native s = ::socket(at->ai_family, at->ai_socktype, at->ai_protocol);
        if (static_cast<std::intptr_t>(s) == kNone) {
            why = lastError();
            continue;
        }
        makeNonBlocking(s);
        m_handle = static_cast<std::intptr_t>(s);
        if (::connect(s, at->ai_addr, static_cast<int>(at->ai_addrlen)) != 0 && !inProgress()) {
            why = lastError();
            close();
            continue;
        }
        if (!wait(true, timeout)) {
            why = fill(_("no answer within %1 ms"), {std::to_string(timeout.count())});
            close();
            continue;
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
        if (error != 0) {
#ifdef _WIN32
            why = winsockWords(error);
#else
            why = std::strerror(error);
#endif
            close();
            continue;
        }
        const int on = 1;
        ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        return {};
    }
    return why;
}

bool TcpSocket::sendAll(const std::uint8_t* data, std::size_t size,
                        std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (isOpen() && size > 0) {
        const auto sent = ::send(native(m_handle), reinterpret_cast<const char*>(data),
                                 static_cast<int>(size), kSendFlags);
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (sent == 0 || !wouldBlock() || left.count() <= 0 || !wait(true, left)) {
            return false;
        }
    }
    return isOpen();
}

TcpSocket::Received TcpSocket::receive(std::string& out, std::chrono::milliseconds timeout) {
    if (!isOpen()) {
        return Received::Closed;
    }
    if (!wait(false, timeout)) {
        return Received::Silent;
    }
    char buffer[4096];
    const auto got = ::recv(native(m_handle), buffer, static_cast<int>(sizeof buffer), 0);
    if (got > 0) {
        out.append(buffer, static_cast<std::size_t>(got));
#ifdef TCP_QUICKACK
        // A server that holds small writes back until they are acknowledged (Nagle's
        // rule) would otherwise wait for the delayed acknowledgement, 40 ms an answer.
        // Linux forgets the setting after a while, so it is renewed with every read.
        const int on = 1;
        ::setsockopt(native(m_handle), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
        return Received::Data;
    }
    if (got < 0 && wouldBlock()) {
        return Received::Silent;
    }
    return Received::Closed;
}

}  // namespace kalvero
