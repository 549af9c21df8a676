// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "emulator/OruProtocol.h"
#include "emulator/PrinterMemory.h"

namespace oru {

struct PtyOptions {
    std::filesystem::path link;  // a symlink to create to the pty (a comN entry); empty: none
    bool pace = false;           // answer at wire speed, 10 bits a byte
};

// A printer on a pseudo-terminal. The host opens slavePath(); the printer listens
// on the master side, answers only at its own baud rate (as the host set it on
// the line) and serves until stopped, or until a hang-up fault closes the line.
class PtyPrinter {
public:
    PtyPrinter(PrinterMemory memory, Faults faults, PtyOptions options);
    ~PtyPrinter();

    PtyPrinter(const PtyPrinter&) = delete;
    PtyPrinter& operator=(const PtyPrinter&) = delete;

    bool open(std::string& error);
    const std::string& slavePath() const { return m_slavePath; }

    // Serves on the calling thread until stop() or a hang-up.
    void serve();
    // Serves on a thread of its own.
    void start();
    // Safe from any thread and from a signal handler.
    void stop();

    PrinterMemory memory() const;
    bool hungUp() const { return m_hungUp; }
    long exchanges() const;

private:
    bool baudMatches() const;
    std::chrono::microseconds byteTime() const;
    void paceIn(std::size_t bytes);
    void paceOut();
    void send(const std::vector<std::uint8_t>& bytes);
    void hangUp();
    void closeAll();

    mutable std::mutex m_mutex;  // guards m_memory and m_protocol
    PrinterMemory m_memory;
    OruProtocol m_protocol;
    PtyOptions m_options;
    int m_master = -1;
    int m_slaveKeep = -1;  // keeps the line up while no host has it open
    int m_wake[2] = {-1, -1};
    std::string m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_hungUp{false};
    std::chrono::steady_clock::time_point m_receiveClock{};
    std::chrono::steady_clock::time_point m_sendClock{};
};

}  // namespace oru
