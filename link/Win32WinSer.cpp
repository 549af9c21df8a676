// SPDX-License-Identifier: MIT
#include "link/Win32WinSer.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <type_traits>

#include "link/WireExchange.h"
#include "lang/Language.h"

namespace kalvero {

namespace {

static_assert(std::is_same_v<HANDLE, void*>, "the header holds the HANDLE as void*");

// The ports a scan asks about; one named outright may be any Windows has, past
// COM10 too.
constexpr std::uint8_t kFirstPort = 1;
constexpr std::uint8_t kLastPort = 10;

std::wstring portName(std::uint8_t port) {
    return L"COM" + std::to_wstring(port);
}

// Trimmed of the line break and full stop, so that it reads like strerror's words.
std::string systemMessage(DWORD error) {
    wchar_t text[512];
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, text, static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L' ' || text[length - 1] == L'.')) {
        --length;
    }
    if (length == 0) {
        return fill(_("Windows error %1"), {std::to_string(error)});
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), size, nullptr,
                        nullptr);
    return utf8;
}

// Windows answers a port held by another program with a denied access.
std::uint8_t openResult(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return serial::kNoSuchPort;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return serial::kPortBusy;
        default:
            return serial::kCannotOpen;
    }
}

bool configure(HANDLE port, std::uint16_t baudRate, DWORD txTimeoutMs, DWORD rxTimeoutMs) {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(port, &dcb)) {
        return false;
    }
    dcb.BaudRate = baudRate;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    // Left on by an earlier program, a line error would fail every later read and write.
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(port, &dcb)) {
        return false;
    }
    // Reads are of one byte: it returns as soon as it is there, or after the time-out.
    // A zero time-out takes only what has already come, as a zero wait does in Qt.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = rxTimeoutMs > 0 ? 20 : MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = rxTimeoutMs;
    timeouts.WriteTotalTimeoutConstant = txTimeoutMs;
    return SetCommTimeouts(port, &timeouts);
}

// A write that times out returns fewer bytes; one that fails means the port is gone.
bool writeAll(HANDLE port, const void* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(port, data, size, &written, nullptr) && written == size;
}

// Failures are ignored: a port without modem lines stays usable.
void escape(HANDLE port, DWORD function) {
    if (port != nullptr) {
        EscapeCommFunction(port, function);
    }
}

}  // namespace

Win32WinSer::Win32WinSer(std::chrono::milliseconds tick) : m_tick(tick) {}

Win32WinSer::~Win32WinSer() {
    UnInitializePort();
}

std::uint8_t Win32WinSer::SerialPortPresent(std::uint8_t port) {
    if (port < kFirstPort || port > kLastPort) {
        return 0;
    }
    // A name too long for the buffer still names an existing device.
    wchar_t target[1024];
    const bool present = QueryDosDeviceW(portName(port).c_str(), target,
                                         static_cast<DWORD>(std::size(target))) != 0 ||
                         GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    return present ? 1 : 0;
}

std::uint8_t Win32WinSer::iInitializePort(std::uint8_t port, std::uint16_t baudRate,
                                          std::uint8_t txTimeout, std::uint8_t rxTimeout) {
    UnInitializePort();
    m_failure.reset();
    if (port < kFirstPort) {
        return fail(serial::kNoSuchPort, port, systemMessage(ERROR_FILE_NOT_FOUND));
    }
    const std::wstring path = L"\\\\.\\" + portName(port);
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return fail(openResult(error), port, systemMessage(error));
    }
    m_handle = handle;
    if (!configure(handle, baudRate, static_cast<DWORD>(txTimeout * m_tick.count()),
                   static_cast<DWORD>(rxTimeout * m_tick.count()))) {
        const DWORD error = GetLastError();
        UnInitializePort();
        return fail(serial::kCannotConfigure, port, systemMessage(error));
    }
    return serial::kOk;
}

std::uint8_t Win32WinSer::fail(std::uint8_t code, std::uint8_t port, std::string reason) {
    m_failure = OpenFailure{"COM" + std::to_string(port), std::move(reason), false};
    return code;
}

void Win32WinSer::UnInitializePort() {
    m_received.clear();
    if (m_handle != nullptr) {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
}

void Win32WinSer::SetDTRLine() {
    escape(m_handle, SETDTR);
}
void Win32WinSer::ClearDTRLine() {
    escape(m_handle, CLRDTR);
}
void Win32WinSer::SetRTSLine() {
    escape(m_handle, SETRTS);
}
void Win32WinSer::ClearRTSLine() {
    escape(m_handle, CLRRTS);
}

std::uint8_t Win32WinSer::RSSequence(std::uint8_t command, std::uint8_t answerCount,
                                     std::uint8_t sendCount, SerialBuffer& answer,
                                     const SerialBuffer& send) {
    if (m_handle == nullptr) {
        return serial::kTransmitTimeout;
    }
    // Result ignored: a port that is gone shows on the write that follows.
    PurgeComm(m_handle, PURGE_RXCLEAR);
    m_received.clear();
    return serial::Exchange(
        [this](const std::uint8_t* bytes, std::size_t count) {
            return writeAll(m_handle, bytes, static_cast<DWORD>(count));
        },
        [this](std::uint8_t& byte) { return receive(byte); }, command, answerCount,
        sendCount, answer, send);
}

std::uint8_t Win32WinSer::receive(std::uint8_t& byte) {
    if (m_handle == nullptr) {
        return serial::kTransmitTimeout;
    }
    if (m_received.empty()) {
        // What has come already, at once; else the next byte, within the time-out.
        DWORD errors = 0;
        COMSTAT status{};
        const DWORD waiting = ClearCommError(m_handle, &errors, &status) ? status.cbInQue : 0;
        std::uint8_t bytes[256];
        const DWORD wanted = std::clamp<DWORD>(waiting, 1, sizeof(bytes));
        DWORD got = 0;
        if (!ReadFile(m_handle, bytes, wanted, &got, nullptr)) {
            const DWORD error = GetLastError();
            return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT ? serial::kReceiveTimeout
                                                                        : serial::kTransmitTimeout;
        }
        m_received.insert(m_received.end(), bytes, bytes + got);
    }
    if (m_received.empty()) {
        return serial::kReceiveTimeout;
    }
    byte = m_received.front();
    m_received.pop_front();
    return serial::kOk;
}

std::uint8_t Win32WinSer::ReadByte(std::uint8_t& byte) {
    return receive(byte) == serial::kOk ? serial::kByteCame : 0;
}

}  // namespace kalvero
