// SPDX-License-Identifier: MIT
#include "data/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/Backups.h"
#include "data/FilePath.h"
#include "lang/Language.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
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

// The new file takes the mode and, where the process may, the owner of the one it
// replaces, which a shared or protected file relies on.
void keepModeAndOwner([[maybe_unused]] const std::string& from,
                      [[maybe_unused]] const std::string& to) {
#ifndef _WIN32
    struct stat old {};
    if (::stat(FilePath(from).c_str(), &old) == 0) {
        // The owner first: a change of owner clears the set-group-ID bit.
        [[maybe_unused]] const int owned = ::chown(FilePath(to).c_str(), old.st_uid, old.st_gid);
        ::chmod(FilePath(to).c_str(), old.st_mode & 07777);
    }
#endif
}

}  // namespace

std::optional<std::string> FileReplace::target(const std::string& name, std::string& refusal) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(FilePath(name), ec))) {
        return name;
    }
    const fs::path real = fs::canonical(FilePath(name), ec);
    if (ec || !fs::is_regular_file(fs::status(real, ec))) {
        refusal = _("a link to something that is not a regular file");
        return std::nullopt;
    }
    return FileNameText(real);
}

FileReplace::FileReplace(std::string name, const Sinks& sinks, Links links)
    : m_name(std::move(name)), m_sinks(sinks) {
    if (links == Links::Follow) {
        std::string refusal;
        if (const auto real = target(m_name, refusal)) {
            m_name = *real;
        } else {
            m_refusal = refusal;
        }
    }
    m_newName = m_name + ".new";
    // One left by a run that was ended part-way is ours to drop.
    std::error_code ec;
    if (!m_refusal) {
        fs::remove(FilePath(m_newName), ec);
    }
    // A refused name gets a sink that is not open: nothing is made beside the link.
    m_content = sinks.open(m_refusal ? std::string() : m_newName, FileSink::Open::CreateNew);
    m_done = !m_content->isOpen();
    if (!m_done) {
        keepModeAndOwner(m_name, m_newName);  // before any byte: a private file stays so
    }
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

std::optional<FileError> FileReplace::finish(const std::string& link, const Sinks& sinks) {
    std::string refusal;
    const auto real = target(link, refusal);
    return real ? finishAt(*real, sinks) : FileError{link, refusal};
}

std::optional<FileError> FileReplace::finishAt(const std::string& name, const Sinks& sinks) {
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

void FileReplace::drop(const std::string& link) {
    std::string refusal;
    std::error_code ec;
    fs::remove(FilePath(target(link, refusal).value_or(link) + ".new"), ec);
}

std::optional<FileError> FileReplace::commit() {
    if (auto error = prepare()) {
        return error;
    }
    // NAME as it was resolved when the new file was made: never resolved again.
    const std::optional<FileError> error = finishAt(m_name, m_sinks);
    if (error) {
        std::error_code ec;
        fs::remove(FilePath(m_newName), ec);
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
