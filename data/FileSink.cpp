// SPDX-License-Identifier: MIT
#include "data/FileSink.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/FilePath.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace kalvero {

namespace {

const char* openMode(FileSink::Open how) {
    switch (how) {
        case FileSink::Open::Create:
            return "w+b";
        case FileSink::Open::CreateNew:
            return "w+bx";
        case FileSink::Open::Update:
            break;
    }
    return "r+b";
}

std::FILE* openFile(const std::string& name, FileSink::Open how) {
#ifdef _WIN32
    // Windows' C library ignores the "x" of fopen: a new file is asked of open itself.
    if (how == FileSink::Open::CreateNew) {
        const int fd =
            ::_open(name.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0) {
            return nullptr;
        }
        std::FILE* file = ::_fdopen(fd, "w+b");
        if (file == nullptr) {
            // The empty file made here would refuse the next new one of its name.
            const int error = errno;
            ::_close(fd);
            ::_unlink(name.c_str());
            errno = error;
        }
        return file;
    }
#endif
    return std::fopen(name.c_str(), openMode(how));
}

}  // namespace

FileSink::FileSink(std::string name, Open how) : m_name(std::move(name)) {
    m_error.name = m_name;
    std::error_code ec;
    if (how == Open::Update && !std::filesystem::is_regular_file(FilePath(m_name), ec)) {
        fail(ec ? ec.value() : ENOENT);
        return;
    }
    m_file = openFile(m_name, how);
    if (m_file == nullptr) {
        fail(errno);
        return;
    }
    // Unbuffered: every write reaches the file at once, so a failure is seen at the
    // write that caused it and can be undone there.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    if (std::fseek(m_file, 0, SEEK_END) != 0 || (m_size = std::ftell(m_file)) < 0) {
        fail(errno);
        close();
    }
}

FileSink::~FileSink() {
    close();
}

bool FileSink::fail(int error) {
    m_error.reason = std::strerror(error != 0 ? error : EIO);
    return false;
}

std::size_t FileSink::put(const char* bytes, std::size_t count) {
    return std::fwrite(bytes, 1, count, m_file);
}

bool FileSink::writeAt(std::int64_t offset, std::string_view bytes) {
    if (m_file == nullptr) {
        return false;
    }
    if (offset < 0 || offset > m_size) {
        return fail(EINVAL);
    }
    const auto kept = static_cast<std::size_t>(
        std::min<std::int64_t>(m_size - offset, static_cast<std::int64_t>(bytes.size())));
    std::string overwritten(kept, '\0');
    errno = 0;  // a short read sets none: fail() then says EIO
    if (std::fseek(m_file, offset, SEEK_SET) != 0 ||
        std::fread(overwritten.data(), 1, kept, m_file) != kept ||
        std::fseek(m_file, offset, SEEK_SET) != 0) {
        return fail(errno);
    }
    errno = 0;
    if (put(bytes.data(), bytes.size()) != bytes.size()) {
        const int error = errno;
        undo(offset, overwritten);
        return fail(error);
    }
    m_size = std::max<std::int64_t>(m_size, offset + static_cast<std::int64_t>(bytes.size()));
    return true;
}

// Puts the file back as it was before a failed write: the overwritten bytes first,
// then the length. Neither needs a new block on the disk.
void FileSink::undo(std::int64_t offset, const std::string& overwritten) {
    std::clearerr(m_file);
    if (!overwritten.empty() && std::fseek(m_file, offset, SEEK_SET) == 0) {
        std::fwrite(overwritten.data(), 1, overwritten.size(), m_file);
    }
    std::error_code ec;
    std::filesystem::resize_file(FilePath(m_name), static_cast<std::uintmax_t>(m_size), ec);
}

bool FileSink::sync() {
    if (m_file == nullptr) {
        return false;
    }
    if (std::fflush(m_file) != 0) {
        return fail(errno);
    }
#ifdef _WIN32
    const bool synced = ::_commit(::_fileno(m_file)) == 0;
#else
    const bool synced = ::fsync(::fileno(m_file)) == 0;
#endif
    return synced || fail(errno);
}

bool FileSink::close() {
    if (m_file == nullptr) {
        return true;
    }
    // Reported done only once on the disk: a crash right after loses nothing said saved.
    const bool synced = sync();
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return (closed || fail(errno)) && synced;
}

const Sinks& Sinks::files() {
    static const Sinks sinks;
    return sinks;
}

}  // namespace kalvero
