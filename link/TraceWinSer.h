// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/WinSer.h"

namespace kalvero {

// Wraps the serial-port library and writes one UTF-8 line per exchange to a trace
// file, so that a conversation with the printer can be read afterwards:
//   10:15:03.412 COM3 19200  2B > 07 01  < 00  0 OK
//   10:15:03.413 COM3 19200  read  < 00 08 41 42 ...
// Opening, closing and the DTR and RTS lines have a line too; the port scan
// (SerialPortPresent) has none, as it never touches a port. Consecutive ReadBytes
// share one line, written when a read gets nothing, at the next other call, when no
// byte has come for a while, or at the end: a write per byte would cost more than the
// transfer. A line is in the file within a quarter of a second, so that the trace can
// be watched as it grows (tail -f). Every call is handed to the wrapped library
// unchanged and its result handed back unchanged.
//
//   std::string reason;
//   auto traced = TraceWinSer::open(serial, path, reason);
//   if (!traced) { ... the file cannot be written, reason says why ... }
//   WinSer& port = *traced;
class TraceWinSer final : public WinSer {
public:
    // Appends to the file (created when missing); empty, with the system's words in
    // reason, when it cannot be opened. The wrapped library must outlive the trace.
    static std::unique_ptr<TraceWinSer> open(WinSer& inner, const std::filesystem::path& file,
                                             std::string& reason);
    ~TraceWinSer() override;

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
    std::optional<OpenFailure> openFailure() const override { return m_inner.openFailure(); }

    // Why a line could not be written whole (a full disk...), from the first one lost.
    // What is still in memory is written first.
    std::optional<std::string> lost();

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    using Lock = std::unique_lock<std::mutex>;

    TraceWinSer(WinSer& inner, std::FILE* file);
    // A line of the bytes read so far, if any, then one of what happened, if anything:
    // each the time, the port and baud rate, then the text.
    void write(std::string_view what);
    void write(Lock& lock, std::string_view what);
    void flush();
    // Unlocks while the disk is written.
    void flush(Lock& lock);
    // Writes what waits in memory every so often while anything does (the thread below).
    void flushWhileOpen();

    WinSer& m_inner;
    std::unique_ptr<std::FILE, FileCloser> m_file;
    bool m_open = false;  // a close is traced only when it ends an open port

    // The rest is shared with the thread that writes what waits.
    std::mutex m_mutex;
    std::condition_variable m_waiting;  // something waits, or the trace ends
    bool m_ending = false;
    std::string m_where = "-";         // "COM3 19200" from the last iInitializePort
    std::vector<std::uint8_t> m_read;  // what ReadBytes gave that is not yet written
    std::string m_readStarted;         // the time of its first byte
    std::size_t m_readLines = 0;       // how many read lines were made, for the thread
    std::optional<std::string> m_lost;
    std::string m_pending;  // whole lines not yet in the file
    std::mutex m_fileMutex;  // the file, while lines go to it; taken after m_mutex
    std::thread m_flusher;
};

}  // namespace kalvero
