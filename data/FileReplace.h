// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "data/FileSink.h"

namespace kalvero {

// The one way a whole file is replaced. The new content goes to NAME.new beside it
// and reaches the disk; the file it replaces becomes the newest backup generation by
// a link; NAME.new is renamed over NAME and the folder reaches the disk too. A crash
// at any point leaves NAME whole, old or new, and every backup whole.
//
//   FileReplace replace(name);
//   if (!replace.content().append(bytes)) { ... replace.content().error() ... }
//   if (auto error = replace.commit()) { ... NAME is as it was ... }
//
// Left without commit, the new file is removed.
class FileReplace {
public:
    // What a symbolic link in NAME's place means. A file the user named is replaced
    // where the link leads (the link stays, the new file takes the old one's mode and
    // owner, its backups stay beside it), and a link to anything but a regular file
    // is refused. The program's own files are never written through a link: the link
    // itself is replaced.
    enum class Links { Follow, Replace };

    explicit FileReplace(std::string name, const Sinks& sinks = Sinks::files(),
                         Links links = Links::Follow);
    ~FileReplace();
    FileReplace(const FileReplace&) = delete;
    FileReplace& operator=(const FileReplace&) = delete;

    // Where the new content is written; check isOpen() first.
    FileSink& content() { return *m_content; }
    bool isOpen() const { return m_content->isOpen(); }
    // Why the content could not be written, named by the file it is for.
    FileError contentError() const {
        return {m_name, m_refusal.value_or(m_content->error().reason)};
    }

    // NAME becomes what was written; the previous file is its newest backup.
    std::optional<FileError> commit();
    // The first half of commit: what was written is whole on the disk as NAME.new,
    // where finish() finds it, for replacing several files as one.
    std::optional<FileError> prepare();
    // The second half, also for a NAME.new that an ended run prepared: NAME becomes it,
    // the previous file its newest backup. Nothing to do when there is no NAME.new.
    static std::optional<FileError> finish(const std::string& name,
                                           const Sinks& sinks = Sinks::files());
    // A prepared NAME.new that will not be finished is removed.
    static void drop(const std::string& name);
    // Where NAME is replaced when links are followed; nothing, with the reason, for a
    // link to anything but a regular file.
    static std::optional<std::string> target(const std::string& name, std::string& refusal);
    // The same for a file that must not exist yet: "File exists" when it does.
    std::optional<FileError> commitNew();
    // What was written becomes the file other instead (replacing it); NAME stays.
    std::optional<FileError> keepAs(const std::string& other);

private:
    // finish() for a NAME already resolved.
    static std::optional<FileError> finishAt(const std::string& name, const Sinks& sinks);
    // The new content on the disk and closed.
    std::optional<FileError> finishContent();
    std::optional<FileError> moveInto(const std::string& target);

    std::string m_name;
    std::string m_newName;
    std::optional<std::string> m_refusal;  // why NAME is not replaced where it lives
    const Sinks& m_sinks;
    std::unique_ptr<FileSink> m_content;
    bool m_done = false;
};

}  // namespace kalvero
