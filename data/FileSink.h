// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace kalvero {

// A data file that could not be kept, created or written.
struct FileError {
    std::string name;
    std::string reason;  // the system's words
};

// Writes one data file. Each write goes in whole or not at all: a write that fails
// part-way (full disk, I/O error) is undone, the file cut back to where it ended
// and the bytes it overwrote put back, before it is reported. So no reader ever
// meets half a record.
class FileSink {
public:
    enum class Open {
        Create,     // a new, empty file; an existing one is emptied
        CreateNew,  // a new file; fails when the name exists, even as a link
        Update,     // an existing regular file, written in place
    };

    FileSink(std::string name, Open how);
    virtual ~FileSink();
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    std::int64_t size() const { return m_size; }
    // Adds bytes at the end of the file.
    bool append(std::string_view bytes) { return writeAt(m_size, bytes); }
    // Writes bytes at offset, which is at most the file's size.
    bool writeAt(std::int64_t offset, std::string_view bytes);
    // Flushes what was written to the disk itself; false when it could not.
    bool sync();
    // Synced, then closed; false when either failed.
    bool close();
    const FileError& error() const { return m_error; }

protected:
    // The one place bytes reach the file: how many were written, errno set when short.
    virtual std::size_t put(const char* bytes, std::size_t count);

private:
    bool fail(int error);
    void undo(std::int64_t offset, const std::string& overwritten);

    std::string m_name;
    std::FILE* m_file = nullptr;
    std::int64_t m_size = 0;
    FileError m_error;
};

// The points between the steps of replacing a whole file (FileReplace): the new
// file written and on the disk; the old one kept as a backup; the new one in place.
enum class ReplaceStep { Written, BackedUp, Renamed };

// Opens the sinks of the data files; a test gives one whose sinks fail part-way,
// or one that ends the process between the steps of a replace.
class Sinks {
public:
    virtual ~Sinks() = default;
    virtual std::unique_ptr<FileSink> open(const std::string& name, FileSink::Open how) const {
        return std::make_unique<FileSink>(name, how);
    }
    virtual void reached(ReplaceStep /*step*/) const {}
    // Sinks on the real files.
    static const Sinks& files();
};

}  // namespace kalvero
