// SPDX-License-Identifier: MIT
#include "data/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/Backups.h"
#include "data/FilePath.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kalvero {

namespace fs = std::filesystem;

namespace {

// The folder's entries reach the disk too, so that a rename in it survives a crash.
// Windows has no such call for a folder; NTFS journals its renames.
void syncFolder([[maybe_unused]] const std::string& name) {
#ifndef _WIN32
    const fs::path file = FilePath(name);
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

}  // namespace

FileReplace::FileReplace(std::string name, const Sinks& sinks)
    : m_name(std::move(name)), m_newName(m_name + ".new"), m_sinks(sinks) {
    // One left by a run that was ended part-way is ours to drop.
    std::error_code ec;
    fs::remove(FilePath(m_newName), ec);
    m_content = sinks.open(m_newName, FileSink::Open::CreateNew);
    m_done = !m_content->isOpen();
}

FileReplace::~FileReplace() {
    if (!m_done) {
        // Closed first: Windows removes no file that is still open.
        m_content->close();
        std::error_code ec;
        fs::remove(FilePath(m_newName), ec);
    }
}

std::optional<FileError> FileReplace::finishContent() {
    if (m_done) {
        return contentError();
    }
    if (!m_content->close()) {
        return contentError();
    }
    m_sinks.reached(ReplaceStep::Written);
    return std::nullopt;
}

std::optional<FileError> FileReplace::moveInto(const std::string& target) {
    std::error_code ec;
    fs::rename(FilePath(m_newName), FilePath(target), ec);
    if (ec) {
        return FileError{target, ec.message()};
    }
    m_done = true;
    syncFolder(target);
    return std::nullopt;
}

std::optional<FileError> FileReplace::prepare() {
    if (auto error = finishContent()) {
        return error;
    }
    m_done = true;  // NAME.new stays for finish()
    return std::nullopt;
}

std::optional<FileError> FileReplace::finish(const std::string& name, const Sinks& sinks) {
    const std::string newName = name + ".new";
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(FilePath(newName), ec))) {
        return std::nullopt;
    }
    std::optional<fs::path> made;
    if (auto error = Backups::take(name, made)) {
        return error;
    }
    sinks.reached(ReplaceStep::BackedUp);
    fs::rename(FilePath(newName), FilePath(name), ec);
    if (ec) {
        if (made) {
            Backups::undo(name, *made);
        }
        return FileError{name, ec.message()};
    }
    syncFolder(name);
    sinks.reached(ReplaceStep::Renamed);
    if (made) {
        Backups::prune(name, *made);
    }
    return std::nullopt;
}

void FileReplace::drop(const std::string& name) {
    std::error_code ec;
    fs::remove(FilePath(name + ".new"), ec);
}

std::optional<FileError> FileReplace::commit() {
    if (auto error = prepare()) {
        return error;
    }
    const std::optional<FileError> error = finish(m_name, m_sinks);
    if (error) {
        drop(m_name);
    }
    return error;
}

std::optional<FileError> FileReplace::commitNew() {
    if (auto error = finishContent()) {
        return error;
    }
    std::error_code ec;
    if (fs::exists(fs::symlink_status(FilePath(m_name), ec))) {
        return FileError{m_name, std::strerror(EEXIST)};
    }
    return moveInto(m_name);
}

std::optional<FileError> FileReplace::keepAs(const std::string& other) {
    if (auto error = finishContent()) {
        return error;
    }
    return moveInto(other);
}

}  // namespace kalvero
