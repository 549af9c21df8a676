// SPDX-License-Identifier: MIT
#include "data/OwnFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "data/FilePath.h"
#include "lang/Language.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kalvero {

namespace fs = std::filesystem;

std::string Checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::optional<std::string> ReadOwnFile(const std::string& name, std::uintmax_t most,
                                       std::string& why) {
#ifdef _WIN32
    std::error_code ec;
    const fs::path path = FilePath(name);
    const auto status = fs::symlink_status(path, ec);
    if (!fs::exists(status)) {
        if (ec && ec != std::errc::no_such_file_or_directory) {
            why = ec.message();
        }
        return std::nullopt;
    }
    if (!fs::is_regular_file(status)) {
        why = _("not a regular file");
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(most) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
#else
    // What is opened is what is checked: no link followed, a FIFO not waited for.
    const int fd = ::open(FilePath(name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP) {
            why = _("not a regular file");
        } else if (errno != ENOENT && errno != ENOTDIR) {
            why = std::strerror(errno);
        }
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        why = _("not a regular file");
        return std::nullopt;
    }
    // Never more than most and one: an endless or growing file ends the read there.
    std::string bytes(static_cast<std::size_t>(most) + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
#endif
    if (bytes.size() > most) {
        why = fill(_("larger than %1 bytes"), {std::to_string(most)});
        return std::nullopt;
    }
    return bytes;
}

std::string WhyUnreadable(const std::string& name) {
    std::error_code ec;
    const auto status = fs::status(FilePath(name), ec);
    if (!fs::exists(status)) {
        return _("the file does not exist");
    }
    return fs::is_regular_file(status) ? _("the file cannot be read") : _("not a regular file");
}

}  // namespace kalvero
