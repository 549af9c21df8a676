// SPDX-License-Identifier: MIT
#include "cli/Snapshots.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "data/FilePath.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace fs = std::filesystem;

namespace {}  // namespace

std::string Snapshots::folderWord(const std::string& text) {
    std::string word = text;
    std::replace_if(
        word.begin(), word.end(),
        [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '.' && c != '_';
        },
        '_');
    return word;
}

namespace {

constexpr std::string_view kBuilding = ".partial";

std::string now() {
    const auto time = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() %
        1000;
    std::tm local{};
#ifdef _WIN32
    gmtime_s(&local, &seconds);
#else
    gmtime_r(&seconds, &local);
#endif
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02d.%03dZ", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

std::string utf8(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

Snapshots::Snapshots(std::string root) : m_root(std::move(root)) {}

Snapshots Snapshots::fromEnvironment() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    return Snapshots(std::string(local != nullptr ? local : ".") + "\\Kalvero\\snapshots");
#else
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = data != nullptr && *data != '\0'
                                 ? std::string(data)
                                 : std::string(home != nullptr ? home : ".") + "/.local/share";
    return Snapshots(base + "/kalvero/snapshots");
#endif
}

std::string Snapshots::printerFolder(const std::string& port, const std::string& number) const {
    return utf8(FilePath(m_root) / (folderWord(port) + "-" + folderWord(number)));
}

std::optional<std::string> Snapshots::create(const std::string& port, const std::string& number,
                                             std::string& reason) const {
    const fs::path folder =
        FilePath(printerFolder(port, number)) / (now() + std::string(kBuilding));
    std::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    // A new folder only: two changes within one millisecond would share it.
    if (ec || !fs::create_directory(folder, ec)) {
        reason = ec ? ec.message() : std::generic_category().message(EEXIST);
        return std::nullopt;
    }
    return utf8(folder);
}

std::optional<std::string> Snapshots::finish(const std::string& building, std::string& reason) {
    const std::string done = building.substr(0, building.size() - kBuilding.size());
    std::error_code ec;
    fs::rename(FilePath(building), FilePath(done), ec);
    if (ec) {
        reason = ec.message();
        return std::nullopt;
    }
    return done;
}

void Snapshots::drop(const std::string& building) {
    std::error_code ec;
    fs::remove_all(FilePath(building), ec);
}

std::optional<std::string> Snapshots::newest(const std::string& port,
                                             const std::string& number) const {
    std::optional<std::string> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(FilePath(printerFolder(port, number)), ec)) {
        const std::string folder = utf8(entry.path());
        if (entry.is_directory() && !folder.ends_with(kBuilding) && (!found || folder > *found)) {
            found = folder;  // the names are times, which sort as text
        }
    }
    return found;
}

std::vector<Snapshots::Entry> Snapshots::list() const {
    std::vector<Entry> entries;
    std::error_code ec;
    for (const auto& printer : fs::directory_iterator(FilePath(m_root), ec)) {
        for (const auto& snapshot : fs::directory_iterator(printer.path(), ec)) {
            if (!snapshot.is_directory() || utf8(snapshot.path()).ends_with(kBuilding)) {
                continue;
            }
            Entry entry{utf8(printer.path().filename()),
                        utf8(snapshot.path().filename()),
                        {},
                        0,
                        utf8(snapshot.path())};
            for (const char* file : {"stopki.txt", "wiazplu.txt"}) {
                std::error_code sizeError;
                const auto size = fs::file_size(snapshot.path() / file, sizeError);
                if (!sizeError) {
                    entry.kinds += std::string(entry.kinds.empty() ? "" : "+") +
                                   (file[0] == 's' ? _("footers") : _("bindings"));
                    entry.size += size;
                }
            }
            entries.push_back(entry);
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.printer != b.printer ? a.printer < b.printer : a.time < b.time;
    });
    return entries;
}

}  // namespace kalvero::cli
