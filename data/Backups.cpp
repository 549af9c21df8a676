// SPDX-License-Identifier: MIT
#include "Backups.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string_view>

#include "DataFiles.h"
#include "FilePath.h"

namespace kalvero {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStampPattern = "dddd-dd-dd_dd-dd-dd";
constexpr std::string_view kSuffix = ".bak";
constexpr std::size_t kChunk = 64 * 1024;

struct Generation {
    std::string stamp;
    long serial = 1;
    fs::path path;
};

// "2026-12-07_10-15-03", or "2026-12-07_10-15-03-2" for the second in that second.
std::optional<Generation> parseGeneration(std::string_view middle) {
    if (middle.size() < kStampPattern.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kStampPattern.size(); ++i) {
        const bool digit = middle[i] >= '0' && middle[i] <= '9';
        if (kStampPattern[i] == 'd' ? !digit : middle[i] != kStampPattern[i]) {
            return std::nullopt;
        }
    }
    Generation generation;
    generation.stamp = std::string(middle.substr(0, kStampPattern.size()));
    const std::string_view rest = middle.substr(kStampPattern.size());
    if (!rest.empty()) {
        generation.serial = rest[0] == '-' ? DecimalField(std::string(rest.substr(1))) : -1;
        if (generation.serial < 2) {
            return std::nullopt;
        }
    }
    return generation;
}

std::vector<Generation> listGenerations(const std::string& name) {
    const fs::path file = FilePath(name);
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const std::string prefix = FileNameText(file.filename()) + ".";
    std::vector<Generation> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string entryName = FileNameText(entry.path().filename());
        if (entryName.size() <= prefix.size() + kSuffix.size() || entryName.rfind(prefix, 0) != 0 ||
            entryName.compare(entryName.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
            continue;
        }
        const std::string_view middle = std::string_view(entryName).substr(
            prefix.size(), entryName.size() - prefix.size() - kSuffix.size());
        if (auto generation = parseGeneration(middle)) {
            generation->path = entry.path();
            found.push_back(std::move(*generation));
        }
    }
    std::sort(found.begin(), found.end(), [](const Generation& a, const Generation& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.serial < b.serial;
    });
    return found;
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const auto sizeA = fs::file_size(a, ec);
    if (ec || sizeA != fs::file_size(b, ec) || ec) {
        return false;
    }
    std::ifstream inA(a, std::ios::binary);
    std::ifstream inB(b, std::ios::binary);
    std::string chunkA(kChunk, '\0');
    std::string chunkB(kChunk, '\0');
    while (inA && inB) {
        inA.read(chunkA.data(), kChunk);
        inB.read(chunkB.data(), kChunk);
        if (inA.gcount() != inB.gcount() ||
            std::memcmp(chunkA.data(), chunkB.data(), static_cast<std::size_t>(inA.gcount())) !=
                0) {
            return false;
        }
    }
    return !inA.bad() && !inB.bad() && inA.eof() && inB.eof();
}

std::string stampNow() {
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", std::localtime(&now));
    return text;
}

}  // namespace

std::vector<fs::path> Backups::generations(const std::string& name) {
    std::vector<fs::path> paths;
    for (Generation& generation : listGenerations(name)) {
        paths.push_back(std::move(generation.path));
    }
    return paths;
}

std::optional<FileError> Backups::keep(const std::string& name) const {
    std::error_code ec;
    if (!fs::is_regular_file(FilePath(name), ec)) {
        return std::nullopt;
    }
    const std::vector<Generation> earlier = listGenerations(name);
    if (!earlier.empty() && sameBytes(FilePath(name), earlier.back().path)) {
        return std::nullopt;
    }
    const std::string stamp = stampNow();
    long serial = 1;
    for (const Generation& generation : earlier) {
        if (generation.stamp == stamp) {
            serial = std::max(serial, generation.serial + 1);
        }
    }
    const std::string target =
        name + "." + stamp + (serial > 1 ? "-" + std::to_string(serial) : "") + ".bak";

    std::ifstream in(name, std::ios::binary);
    if (!in) {
        return FileError{name, std::strerror(errno)};
    }
    const std::unique_ptr<FileSink> sink = m_sinks.open(target, FileSink::Open::CreateNew);
    if (!sink->isOpen()) {
        return sink->error();
    }
    std::string chunk(kChunk, '\0');
    bool copied = true;
    while (copied && in) {
        in.read(chunk.data(), kChunk);
        copied =
            sink->append(std::string_view(chunk.data(), static_cast<std::size_t>(in.gcount())));
    }
    std::optional<FileError> error;
    // Closed either way: Windows removes no file that is still open.
    const bool closed = sink->close();
    if (!copied || !closed) {
        error = sink->error();
    } else if (in.bad()) {
        error = FileError{name, std::strerror(EIO)};
    }
    if (error) {
        fs::remove(FilePath(target), ec);
        return error;
    }
    const std::vector<Generation> all = listGenerations(name);
    for (std::size_t i = 0; i + kGenerations < all.size(); ++i) {
        fs::remove(all[i].path, ec);
    }
    return std::nullopt;
}

}  // namespace kalvero
