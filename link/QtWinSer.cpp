// SPDX-License-Identifier: MIT
#include "link/QtWinSer.h"

#include <QEventLoop>
#include <QTimer>

#ifdef _WIN32
#include <QSerialPortInfo>
#else
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include "link/WireExchange.h"

namespace kalvero {

namespace {

#ifdef _WIN32
// Windows names its ports itself: COMn, present when the system lists it.
QString windowsName(std::uint8_t port) {
    return QStringLiteral("COM%1").arg(port);
}
#else
// A terminal is a character device that the kernel files under "tty"; a pseudo-terminal
// has no such entry and is let through. Asking the device itself would open it.
bool isTerminal(const std::filesystem::path& device) {
    struct stat node {};
    if (::stat(device.c_str(), &node) != 0) {
        return true;  // the open will say why
    }
    if (!S_ISCHR(node.st_mode)) {
        return false;
    }
    const std::string number =
        std::to_string(major(node.st_rdev)) + ":" + std::to_string(minor(node.st_rdev));
    std::error_code ec;
    const auto subsystem =
        std::filesystem::read_symlink("/sys/dev/char/" + number + "/subsystem", ec);
    return ec || subsystem.filename() == "tty";
}
#endif

}  // namespace

QtWinSer::QtWinSer(PortMap ports, std::chrono::milliseconds tick)
    : m_ports(std::move(ports)), m_tick(tick) {}

QtWinSer::~QtWinSer() {
    UnInitializePort();
}

std::uint8_t QtWinSer::SerialPortPresent(std::uint8_t port) {
#ifdef _WIN32
    // The list comes from the system's records: no port is opened to make it.
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.portName() == windowsName(port)) {
            return 1;
        }
    }
    return 0;
#else
    return m_ports.present(port) ? 1 : 0;
#endif
}

std::uint8_t QtWinSer::iInitializePort(std::uint8_t port, std::uint16_t baudRate,
                                       std::uint8_t txTimeout, std::uint8_t rxTimeout) {
    if (m_awaiting) {
        return serial::kPortBusy;  // the line is taken by the exchange that waits
    }
    UnInitializePort();
    m_failure.reset();
    m_txTimeoutMs = static_cast<int>(txTimeout * m_tick.count());
    m_rxTimeoutMs = static_cast<int>(rxTimeout * m_tick.count());
#ifdef _WIN32
    // Windows opens a COM port for one program only: no lock of our own is needed.
    const std::string name = windowsName(port).toStdString();
    if (port < 1 || port > 10) {
        return fail(serial::kNoSuchPort, name, std::strerror(ENOENT));
    }
    m_port.setPortName(windowsName(port));
#else
    const auto device = m_ports.devicePath(port);
    if (!device) {
        return fail(serial::kNoSuchPort, {}, std::strerror(ENOENT));
    }
    // The real device, so that every name of one port leads to the same lock.
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(*device, ec);
    if (ec) {
        return fail(
            ec == std::errc::permission_denied ? serial::kAccessDenied : serial::kNoSuchPort,
            device->string(), ec.message());
    }
    const std::string name = real.string();
    if (!isTerminal(real)) {
        return fail(serial::kCannotOpen, name, std::strerror(ENOTTY), true);
    }
    if (!m_lock.take(real)) {
        return fail(serial::kPortBusy, name, {});
    }
    m_port.setPortName(QString::fromStdString(name));
#endif
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_lock.release();
        const std::string reason = m_port.errorString().toStdString();
        switch (m_port.error()) {
            case QSerialPort::DeviceNotFoundError:
                return fail(serial::kNoSuchPort, name, reason);
            case QSerialPort::PermissionError:
#ifdef _WIN32
                // Windows answers a port held by another program with a denied access.
                return fail(serial::kPortBusy, name, {});
#else
                return refusal(name, reason);
#endif
            default:
                return fail(serial::kCannotOpen, name, reason);
        }
    }
    const bool configured =
        m_port.setBaudRate(baudRate) && m_port.setDataBits(QSerialPort::Data8) &&
        m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const std::string reason = m_port.errorString().toStdString();
        m_port.close();
        m_lock.release();
        return fail(serial::kCannotConfigure, name, reason);
    }
    m_port.clearError();
    m_quiet = false;  // what an earlier user of the line left is dropped first
    return serial::kOk;
}

#ifndef _WIN32
// The device refused this user, or a lock file refused it: a lock whose process is
// gone is named as such, one held by a running process means a busy port.
std::uint8_t QtWinSer::refusal(const std::string& device, const std::string& reason) {
    if (::access(device.c_str(), R_OK | W_OK) != 0) {
        return fail(serial::kAccessDenied, device, reason);
    }
    const auto stale = FindStaleLock(device);
    if (!stale) {
        return fail(serial::kPortBusy, device, {});
    }
    fail(serial::kStaleLock, device, reason);
    m_failure->lockFile = stale->file;
    m_failure->lockProcess = stale->process;
    return serial::kStaleLock;
}
#endif

std::uint8_t QtWinSer::fail(std::uint8_t code, std::string device, std::string reason,
                            bool notSerial) {
    m_failure = OpenFailure{std::move(device), std::move(reason), notSerial};
    return code;
}

void QtWinSer::UnInitializePort() {
    // Asked for by an event served while an answer is awaited ("Tryb offline"): the
    // port closes once that wait is over, not under it.
    if (m_awaiting) {
        m_closeAfterWait = true;
        return;
    }
    if (m_port.isOpen()) {
        m_port.close();
    }
    m_lock.release();
    m_port.clearError();
}

// A pseudo-terminal has no modem lines: the ioctl fails with ENOTTY. That is
// expected and the port stays usable, so the error is cleared and ignored.
void QtWinSer::setLine(bool dtr, bool value) {
    if (!m_port.isOpen()) {
        return;
    }
    if (dtr) {
        m_port.setDataTerminalReady(value);
    } else {
        m_port.setRequestToSend(value);
    }
    if (usable()) {
        m_port.clearError();
    }
}

void QtWinSer::SetDTRLine() {
    setLine(true, true);
}
void QtWinSer::ClearDTRLine() {
    setLine(true, false);
}
void QtWinSer::SetRTSLine() {
    setLine(false, true);
}
void QtWinSer::ClearRTSLine() {
    setLine(false, false);
}

// A pulled adapter shows as a resource error; a hung-up line reads end of file,
// which Qt reports as a read error. Either way the port is gone.
bool QtWinSer::usable() const {
    switch (m_port.error()) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::NotOpenError:
            return false;
        default:
            return m_port.isOpen();
    }
}

bool QtWinSer::writeAll(const char* data, qint64 size) {
#ifndef _WIN32
    // Straight to the device: through Qt's write buffer each write would cost a poll
    // before it, and a data byte sent is a data byte in the kernel's hands either way.
    const int fd = m_port.handle();
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(size));
        if (written > 0) {
            data += written;
            size -= written;
        } else if (written < 0 && errno == EAGAIN) {
            pollfd ready{fd, POLLOUT, 0};
            if (::poll(&ready, 1, m_txTimeoutMs) != 1) {
                return false;
            }
        } else if (written == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
#else
    if (m_port.write(data, size) != size) {
        return false;
    }
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(m_txTimeoutMs)) {
            return false;
        }
    }
    return usable();
#endif
}

bool QtWinSer::awaitInput() {
    if (!s_serveEvents) {
        return m_port.waitForReadyRead(m_rxTimeoutMs);
    }
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&m_port, &QIODevice::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
    limit.start(m_rxTimeoutMs);
    m_awaiting = true;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_awaiting = false;
    if (m_closeAfterWait) {
        m_closeAfterWait = false;
        UnInitializePort();
        return false;
    }
    return m_port.bytesAvailable() > 0;
}

// One byte within the receive time-out: 0, 21 for a silent line, 20 for a port that is gone.
std::uint8_t QtWinSer::receive(std::uint8_t& byte) {
    if (!usable()) {
        return serial::kTransmitTimeout;
    }
    if (m_port.bytesAvailable() == 0 && !awaitInput()) {
        if (!usable()) {
            return serial::kTransmitTimeout;
        }
        m_port.clearError();
        return serial::kReceiveTimeout;
    }
    char c = 0;
    if (m_port.read(&c, 1) != 1) {
        return usable() ? serial::kReceiveTimeout : serial::kTransmitTimeout;
    }
    byte = static_cast<std::uint8_t>(c);
    return serial::kOk;
}

std::uint8_t QtWinSer::RSSequence(std::uint8_t command, std::uint8_t answerCount,
                                  std::uint8_t sendCount, SerialBuffer& answer,
                                  const SerialBuffer& send) {
    // An exchange asked for by an event served while another awaits its answer (an
    // action of assistive technology) would cut into it: the line is taken.
    if (!usable() || m_awaiting) {
        return serial::kTransmitTimeout;
    }
    // Unread input is dropped: what is already here costs nothing; the device itself
    // is flushed only when the line may still carry an answer that came late, after
    // an exchange or a byte that was not all there in time.
    if (!m_quiet) {
        m_port.clear(QSerialPort::Input);
    }
    m_port.readAll();
    const std::uint8_t rc = serial::Exchange(
        [this](const std::uint8_t* bytes, std::size_t count) {
            return writeAll(reinterpret_cast<const char*>(bytes), static_cast<qint64>(count));
        },
        [this](std::uint8_t& byte) { return receive(byte); }, command, answerCount, sendCount,
        answer, send);
    m_quiet = rc == serial::kOk;
    return rc;
}

std::uint8_t QtWinSer::ReadByte(std::uint8_t& byte) {
    const bool came = receive(byte) == serial::kOk;
    m_quiet = m_quiet && came;
    return came ? serial::kByteCame : 0;
}

}  // namespace kalvero
