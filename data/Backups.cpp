// SPDX-License-Identifier: MIT
#include "data/Backups.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string_view>

#include "data/FilePath.h"
#include "data/RecordFormat.h"

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
    fs::file_time_type made;
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
        // Only what could have been made here: a link or a folder of that name is not ours.
        std::error_code entryError;
        if (!entry.is_regular_file(entryError) || entry.is_symlink(entryError)) {
            continue;
        }
        const std::string_view middle = std::string_view(entryName).substr(
            prefix.size(), entryName.size() - prefix.size() - kSuffix.size());
        if (auto generation = parseGeneration(middle)) {
            generation->path = entry.path();
            generation->made = entry.last_write_time(entryError);
            found.push_back(std::move(*generation));
        }
    }
    // By when each was made, which taking a generation records as its time; the name
    // only breaks a tie.
    std::sort(found.begin(), found.end(), [](const Generation& a, const Generation& b) {
        if (a.made != b.made) {
            return a.made < b.made;
        }
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

namespace {

// File systems without hard links (FAT, some network shares) say so in one of these.
bool noLinksHere(const std::error_code& ec) {
    return ec == std::errc::operation_not_permitted || ec == std::errc::operation_not_supported ||
           ec == std::errc::function_not_supported || ec == std::errc::too_many_links;
}

fs::path generationPath(const std::string& name, const std::string& stamp, long serial) {
    return FilePath(name + "." + stamp + (serial > 1 ? "-" + std::to_string(serial) : "") + ".bak");
}

// Whether the file is missing or already kept as the newest generation.
bool nothingToKeep(const std::string& name) {
    std::error_code ec;
    if (!fs::is_regular_file(FilePath(name), ec)) {
        return true;
    }
    const std::vector<Generation> earlier = listGenerations(name);
    return !earlier.empty() && sameBytes(FilePath(name), earlier.back().path);
}

}  // namespace

std::optional<FileError> Backups::take(const std::string& name, std::optional<fs::path>& made) {
    made.reset();
    if (nothingToKeep(name)) {
        return std::nullopt;
    }
    const std::string stamp = stampNow();
    std::error_code ec;
    for (long serial = 1;; ++serial) {
        const fs::path target = generationPath(name, stamp, serial);
        if (fs::exists(fs::symlink_status(target, ec))) {
            continue;
        }
        fs::create_hard_link(FilePath(name), target, ec);
        if (ec == std::errc::file_exists) {
            continue;
        }
        if (noLinksHere(ec)) {
            fs::rename(FilePath(name), target, ec);
        }
        if (ec) {
            return FileError{name, ec.message()};
        }
        made = target;
        break;
    }
    // Its time says when it was made, so that the order of generations holds
    // whatever the names say.
    fs::last_write_time(*made, fs::file_time_type::clock::now(), ec);
    return std::nullopt;
}

void Backups::undo(const std::string& name, const fs::path& made) {
    std::error_code ec;
    if (fs::equivalent(FilePath(name), made, ec)) {
        fs::remove(made, ec);
    } else {
        fs::rename(made, FilePath(name), ec);
    }
}

void Backups::prune(const std::string& name, const fs::path& made) {
    std::vector<Generation> all = listGenerations(name);
    std::error_code ec;
    for (std::size_t i = 0; i < all.size() && all.size() > kGenerations; ++i) {
        // Both name the same folder, one as "." perhaps: the names tell them apart.
        if (all[i].path.filename() != made.filename()) {
            fs::remove(all[i].path, ec);
            all.erase(all.begin() + static_cast<std::ptrdiff_t>(i--));
        }
    }
}

}  // namespace kalvero
