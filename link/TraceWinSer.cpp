// SPDX-License-Identifier: MIT
#include "link/TraceWinSer.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <system_error>

#include "data/Cp1250.h"
#include "data/FilePath.h"
#include "data/ResultText.h"
#include "lang/Language.h"

namespace kalvero {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(std::string& line, std::uint8_t byte) {
    const char text[] = {kHexDigits[byte >> 4], kHexDigits[byte & 15]};
    line.append(text, 2);
}

// " 07 01"
void appendBytes(std::string& line, const std::uint8_t* bytes, std::size_t count) {
    std::size_t at = line.size();
    line.resize(at + 3 * count);
    for (std::size_t i = 0; i < count; ++i, at += 3) {
        line[at] = ' ';
        line[at + 1] = kHexDigits[bytes[i] >> 4];
        line[at + 2] = kHexDigits[bytes[i] & 15];
    }
}

void appendResult(std::string& line, std::uint8_t code) {
    line += "  ";
    line += std::to_string(code);
    line += ' ';
    line += Cp1250ToUtf8(ResultText(code));
}

// Local time of day with milliseconds: "10:15:03.412".
void appendTimeOfDay(std::string& line) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    // The time zone was read once, when the trace opened: localtime would look at it
    // again for every line.
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(ms.count() % 1000));
    line += text;
}

}  // namespace

std::unique_ptr<TraceWinSer> TraceWinSer::open(WinSer& inner, const std::filesystem::path& file,
                                               std::string& reason) {
    // Only a regular file: a FIFO without a reader would hold the open forever, and a
    // device is no place for a trace.
#ifdef _WIN32
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        reason = _("not a regular file");
        return nullptr;
    }
    std::FILE* handle = std::fopen(FileNameText(file).c_str(), "a");
#else
    const int fd =
        ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = errno == ENXIO ? _("not a regular file") : std::strerror(errno);
        return nullptr;
    }
    struct stat node {};
    if (::fstat(fd, &node) != 0 || !S_ISREG(node.st_mode)) {
        ::close(fd);
        reason = _("not a regular file");
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, O_WRONLY | O_APPEND);
    std::FILE* handle = ::fdopen(fd, "a");
    if (handle == nullptr) {
        ::close(fd);
    }
#endif
    if (handle == nullptr) {
        reason = std::strerror(errno);
        return nullptr;
    }
#ifndef _WIN32
    ::tzset();
#endif
    try {
        return std::unique_ptr<TraceWinSer>(new TraceWinSer(inner, handle));
    } catch (const std::system_error& error) {  // no thread to write while the port is open
        reason = error.what();
        return nullptr;
    }
}

TraceWinSer::TraceWinSer(WinSer& inner, std::FILE* file) : m_inner(inner), m_file(file) {
    m_flusher = std::thread([this] { flushWhileOpen(); });
}

TraceWinSer::~TraceWinSer() {
    Lock lock(m_mutex);
    m_ending = true;
    lock.unlock();
    m_waiting.notify_one();
    m_flusher.join();
    lock.lock();
    if (!m_read.empty()) {
        write(lock, {});
    }
    flush(lock);
}

std::optional<std::string> TraceWinSer::lost() {
    Lock lock(m_mutex);
    if (!m_read.empty()) {
        write(lock, {});
    }
    flush(lock);
    return m_lost;
}

// Lines wait in memory, whole, and go to the file many at a time: every tenth of a
// second while any wait, when the port closes, when an exchange fails, when enough have
// come, and at the end (a stop by Ctrl+C or SIGTERM ends the program the ordinary way).
// A line that cannot be written is lost: the trace must never change an exchange.
void TraceWinSer::flush() {
    Lock lock(m_mutex);
    flush(lock);
}

// The lines leave memory in order, and the disk is waited for with the file alone
// held: an exchange adding its line never waits for a slow disk.
void TraceWinSer::flush(Lock& lock) {
    if (m_pending.empty()) {
        return;
    }
    std::string lines;
    lines.swap(m_pending);
    const std::lock_guard file(m_fileMutex);
    lock.unlock();
    errno = 0;
    const bool written =
        std::fwrite(lines.data(), 1, lines.size(), m_file.get()) == lines.size();
    const bool failed = std::fflush(m_file.get()) != 0 || !written;
    const int why = errno != 0 ? errno : EIO;
    lock.lock();
    if (failed && !m_lost) {
        m_lost = std::strerror(why);
    }
}

// A tenth of a second between writes keeps them few during a transfer; bytes read are
// left to gather into one line until none has come for as long. Either way a line is in
// the file within a quarter of a second.
void TraceWinSer::flushWhileOpen() {
    constexpr auto kEvery = std::chrono::milliseconds(100);
    Lock lock(m_mutex);
    // The read line as last seen: unchanged a tenth of a second later, no byte came
    // meanwhile (a clock read per byte would cost more).
    std::size_t seenBytes = 0;
    std::size_t seenLines = 0;
    while (!m_ending) {
        m_waiting.wait(lock, [this] { return m_ending || !m_pending.empty() || !m_read.empty(); });
        if (m_waiting.wait_for(lock, kEvery, [this] { return m_ending; })) {
            break;  // the destructor writes the rest
        }
        if (!m_read.empty() && m_read.size() == seenBytes && m_readLines == seenLines) {
            write(lock, {});
        }
        seenBytes = m_read.size();
        seenLines = m_readLines;
        flush(lock);
    }
}

void TraceWinSer::write(std::string_view what) {
    Lock lock(m_mutex);
    write(lock, what);
}

void TraceWinSer::write(Lock& lock, std::string_view what) {
    std::string prefix;
    appendTimeOfDay(prefix);
    prefix += ' ';
    prefix += m_where;
    prefix += "  ";
    std::string lines;
    if (!m_read.empty()) {
        lines += m_readStarted;  // the read's own time, not the time it is written
        lines += ' ';
        lines += m_where;
        lines += "  read  <";
        appendBytes(lines, m_read.data(), m_read.size());
        lines += '\n';
        m_read.clear();
        ++m_readLines;
    }
    if (!what.empty()) {
        lines += prefix;
        lines += what;
        lines += '\n';
    }
    const bool first = m_pending.empty();
    m_pending += lines;
    constexpr std::size_t kPendingBytes = 64 * 1024;
    if (m_pending.size() >= kPendingBytes || what == "close") {
        flush(lock);
    } else if (first && !m_pending.empty()) {
        m_waiting.notify_one();
    }
}

std::uint8_t TraceWinSer::SerialPortPresent(std::uint8_t port) {
    return m_inner.SerialPortPresent(port);
}

std::uint8_t TraceWinSer::iInitializePort(std::uint8_t port, std::uint16_t baudRate,
                                          std::uint8_t txTimeout, std::uint8_t rxTimeout) {
    const std::uint8_t rc = m_inner.iInitializePort(port, baudRate, txTimeout, rxTimeout);
    m_open = rc == serial::kOk;
    std::string what = "open";
    appendResult(what, rc);
    Lock lock(m_mutex);
    m_where = "COM" + std::to_string(port) + " " + std::to_string(baudRate);
    write(lock, what);
    return rc;
}

void TraceWinSer::UnInitializePort() {
    m_inner.UnInitializePort();
    if (m_open) {
        m_open = false;
        write("close");
    }
}

void TraceWinSer::SetDTRLine() {
    m_inner.SetDTRLine();
    write("DTR 1");
}

void TraceWinSer::ClearDTRLine() {
    m_inner.ClearDTRLine();
    write("DTR 0");
}

void TraceWinSer::SetRTSLine() {
    m_inner.SetRTSLine();
    write("RTS 1");
}

void TraceWinSer::ClearRTSLine() {
    m_inner.ClearRTSLine();
    write("RTS 0");
}

// A failed answer shows no bytes: how many of them came is not known here.
std::uint8_t TraceWinSer::RSSequence(std::uint8_t command, std::uint8_t answerCount,
                                     std::uint8_t sendCount, SerialBuffer& answer,
                                     const SerialBuffer& send) {
    const std::uint8_t rc = m_inner.RSSequence(command, answerCount, sendCount, answer, send);
    std::string what;
    what.reserve(32 + 3 * (sendCount + answerCount));
    appendHex(what, command);
    if (sendCount > 0) {
        what += " >";
        appendBytes(what, send.data(), sendCount);
    }
    if (rc == serial::kOk && answerCount > 0) {
        what += "  <";
        appendBytes(what, answer.data(), answerCount);
    }
    appendResult(what, rc);
    Lock lock(m_mutex);
    write(lock, what);
    if (rc != serial::kOk) {
        flush(lock);  // what led to a failure is on the disk, whatever happens next
    }
    return rc;
}

std::uint8_t TraceWinSer::ReadByte(std::uint8_t& byte) {
    const std::uint8_t came = m_inner.ReadByte(byte);
    std::string what;
    if (came != serial::kByteCame) {
        what = "read";
        appendResult(what, serial::kReceiveTimeout);
    }
    Lock lock(m_mutex);
    if (came == serial::kByteCame) {
        if (m_read.empty()) {
            m_readStarted.clear();
            appendTimeOfDay(m_readStarted);  // once a line: a clock read per byte costs
        }
        const bool first = m_read.empty() && m_pending.empty();
        m_read.push_back(byte);
        if (first) {
            m_waiting.notify_one();
        }
        return came;
    }
    write(lock, what);
    flush(lock);
    return came;
}

}  // namespace kalvero
