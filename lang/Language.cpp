// SPDX-License-Identifier: MIT
#include "lang/Language.h"

#include <algorithm>
#include <clocale>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "lang/Catalogue.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cstdlib>
#include <filesystem>
#endif

namespace kalvero {

namespace {

// Chosen at the start, before any thread runs; read-only afterwards. A language is
// loaded once: choosing it again keeps the texts that _() has handed out.
std::optional<lang::Catalogue> g_catalogue;
std::string g_language;

void use(const std::string& language, std::optional<lang::Catalogue> catalogue) {
    if (catalogue) {
        g_catalogue = std::move(catalogue);
        g_language = language;
    }
}

#ifdef _WIN32
// Windows has no locale folders: Polish is built into the program.
extern "C" const unsigned char kPolishCatalogue[];
extern "C" const unsigned long kPolishCatalogueSize;

bool load(const std::string& language) {
    if (language != "pl" || g_language == language) {
        return g_language == language;
    }
    use(language, lang::Catalogue::parse(std::string(
                      reinterpret_cast<const char*>(kPolishCatalogue), kPolishCatalogueSize)));
    return g_language == language;
}
#else
// As installed: PREFIX/bin/PROGRAM and PREFIX/share/locale; the build tree has the
// same shape.
std::optional<std::filesystem::path> localeFolder() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.is_absolute()) {
        return std::nullopt;  // never a folder relative to wherever the user is
    }
    return program.parent_path().parent_path() / "share" / "locale";
}

bool load(const std::string& language) {
    if (g_language == language) {
        return true;
    }
    const auto folder = localeFolder();
    if (!folder) {
        return false;
    }
    // A catalogue is a regular file of some KiB: anything else (a FIFO would block,
    // a device never end) is no catalogue.
    constexpr std::uintmax_t kMostBytes = 4 * 1024 * 1024;
    const auto path = *folder / language / "LC_MESSAGES" / "kalvero.mo";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) ||
        std::filesystem::file_size(path, ec) > kMostBytes || ec) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    // Never more than the most a catalogue may hold, whatever the file became.
    std::string bytes(kMostBytes + 1, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    if (bytes.size() > kMostBytes) {
        return false;
    }
    use(language, lang::Catalogue::parse(std::move(bytes)));
    return g_language == language;
}

// What gettext tries, in its order: LANGUAGE's list when there is one (unless the
// locale is C or POSIX), else the locale's own name; each as ll_CC, then ll. An entry
// C ends the list: English from there on.
std::vector<std::string> wantedLanguages() {
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    const std::string name = locale != nullptr ? locale : "C";
    if (name == "C" || name == "POSIX") {
        return {};
    }
    const char* list = std::getenv("LANGUAGE");
    std::vector<std::string> names;
    std::istringstream entries(list != nullptr && *list != '\0' ? list : name);
    for (std::string entry; std::getline(entries, entry, ':');) {
        names.push_back(entry);
    }
    std::vector<std::string> wanted;
    for (std::string entry : names) {
        entry = entry.substr(0, entry.find_first_of(".@"));
        if (entry == "C" || entry == "POSIX") {
            break;
        }
        if (!entry.empty()) {
            wanted.push_back(entry);
            if (const auto country = entry.find('_'); country != std::string::npos) {
                wanted.push_back(entry.substr(0, country));
            }
        }
    }
    return wanted;
}
#endif

}  // namespace

const char* _(const char* english) {
    if (g_catalogue) {
        if (const char* translated = g_catalogue->find(english)) {
            return translated;
        }
    }
    return english;
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const auto index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            text += values.begin()[index];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

namespace lang {

void useUserLanguage() {
#ifdef _WIN32
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_POLISH) {
        load("pl");
    }
#else
    // Messages and characters only: numbers keep the C library's form, which
    // scripts read (Qt may have set them all to the locale's).
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_NUMERIC, "C");
    for (const std::string& language : wantedLanguages()) {
        if (load(language)) {
            return;
        }
    }
#endif
}

void usePolish() {
    load("pl");
}

}  // namespace lang

}  // namespace kalvero
