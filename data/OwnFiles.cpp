// SPDX-License-Identifier: MIT
#include "data/OwnFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "data/FilePath.h"
#include "lang/Language.h"

namespace kalvero {

namespace fs = std::filesystem;

std::optional<std::string> ReadOwnFile(const std::string& name, std::uintmax_t most,
                                       std::string& why) {
    std::error_code ec;
    const fs::path path = FilePath(name);
    const auto status = fs::symlink_status(path, ec);
    if (ec || !fs::exists(status)) {
        return std::nullopt;
    }
    if (!fs::is_regular_file(status)) {
        why = _("not a regular file");
        return std::nullopt;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > most) {
        why = ec ? ec.message() : fill(_("larger than %1 bytes"), {std::to_string(most)});
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(size));
    // Read no more than it held when looked at, whatever it grows to meanwhile.
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (!in && !in.eof()) {
        why = _("cannot be read");
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
