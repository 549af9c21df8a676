// SPDX-License-Identifier: MIT
#include "emulator/PtyPrinter.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace oru {

namespace {

constexpr auto kDataGap = std::chrono::milliseconds(200);

speed_t speedFor(std::uint32_t baud) {
    return baud == 19200 ? B19200 : B9600;
}

}  // namespace

PtyPrinter::PtyPrinter(PrinterMemory memory, Faults faults, PtyOptions options)
    : m_memory(std::move(memory)), m_protocol(m_memory, faults), m_options(std::move(options)) {}

PtyPrinter::~PtyPrinter() {
    stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    closeAll();
    if (m_wake[0] >= 0) {
        ::close(m_wake[0]);
        ::close(m_wake[1]);
    }
}

bool PtyPrinter::open(std::string& error) {
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (name == nullptr) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    m_slavePath = name;
    m_slaveKeep = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveKeep < 0) {
        error = m_slavePath + ": " + std::strerror(errno);
        return false;
    }
    // Raw from the start, so nothing a host sends is echoed back before it sets the line up.
    termios tio{};
    ::tcgetattr(m_slaveKeep, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(m_slaveKeep, TCSANOW, &tio);

    if (!m_options.link.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(m_options.link.parent_path(), ec);
        std::filesystem::remove(m_options.link, ec);
        std::filesystem::create_symlink(m_slavePath, m_options.link, ec);
        if (ec) {
            error = m_options.link.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

void PtyPrinter::start() {
    m_thread = std::thread([this] { serve(); });
}

void PtyPrinter::stop() {
    if (m_wake[1] >= 0) {
        const char c = 'x';
        [[maybe_unused]] const auto n = ::write(m_wake[1], &c, 1);
    }
}

PrinterMemory PtyPrinter::memory() const {
    const std::lock_guard lock(m_mutex);
    return m_memory;
}

long PtyPrinter::exchanges() const {
    const std::lock_guard lock(m_mutex);
    return m_protocol.exchanges();
}

// On Linux the master sees the line settings that the host made on the slave.
bool PtyPrinter::baudMatches() const {
    termios tio{};
    if (::tcgetattr(m_master, &tio) != 0) {
        return false;
    }
    return ::cfgetospeed(&tio) == speedFor(m_memory.baudRate);
}

// Wire time, 10 bits a byte, kept by two clocks. What the host sends arrives a
// byte time per byte after it was written; what the printer sends starts once
// the command has arrived and follows back to back, so the sleeps' own lateness
// never adds up.
std::chrono::microseconds PtyPrinter::byteTime() const {
    return std::chrono::microseconds(10'000'000 / m_memory.baudRate);
}

void PtyPrinter::paceIn(std::size_t bytes) {
    if (!m_options.pace) {
        return;
    }
    m_receiveClock =
        std::max(m_receiveClock, std::chrono::steady_clock::now()) + bytes * byteTime();
    std::this_thread::sleep_until(m_receiveClock);
}

void PtyPrinter::paceOut() {
    m_sendClock = std::max(m_sendClock, m_receiveClock) + byteTime();
    std::this_thread::sleep_until(m_sendClock);
}

void PtyPrinter::send(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t chunk = m_options.pace ? 1 : bytes.size() - i;
        if (m_options.pace) {
            paceOut();
        }
        const ssize_t n = ::write(m_master, bytes.data() + i, chunk);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return;
        }
        i += static_cast<std::size_t>(n);
    }
}

void PtyPrinter::hangUp() {
    m_hungUp = true;
    closeAll();
}

void PtyPrinter::closeAll() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slaveKeep >= 0) {
        ::close(m_slaveKeep);
        m_slaveKeep = -1;
    }
    if (!m_options.link.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_options.link, ec);
    }
}

void PtyPrinter::serve() {
    std::array<std::uint8_t, 512> buffer{};
    std::vector<std::uint8_t> reply;
    auto deadline = std::chrono::steady_clock::now();
    while (m_master >= 0) {
        int timeout = -1;
        if (m_protocol.inCommand()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::max<long>(0, left.count()));
        }
        std::array<pollfd, 2> fds{pollfd{m_master, POLLIN, 0}, pollfd{m_wake[0], POLLIN, 0}};
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
        if (ready == 0) {
            const std::lock_guard lock(m_mutex);
            m_protocol.dropPartialCommand();
            continue;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        const ssize_t n = ::read(m_master, buffer.data(), buffer.size());
        if (n <= 0) {
            continue;
        }
        // A printer at another speed sees only noise it cannot frame: it stays silent.
        if (!baudMatches()) {
            const std::lock_guard lock(m_mutex);
            m_protocol.dropPartialCommand();
            continue;
        }
        paceIn(static_cast<std::size_t>(n));
        deadline = std::chrono::steady_clock::now() + kDataGap;
        for (ssize_t i = 0; i < n; ++i) {
            reply.clear();
            OruProtocol::Action action = OruProtocol::Action::None;
            {
                const std::lock_guard lock(m_mutex);
                action = m_protocol.feed(buffer[i], reply);
            }
            if (action == OruProtocol::Action::HangUp) {
                hangUp();
                return;
            }
            send(reply);
        }
    }
}

}  // namespace oru
