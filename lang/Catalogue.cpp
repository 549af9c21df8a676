// SPDX-License-Identifier: MIT
#include "lang/Catalogue.h"

#include <cstdint>

namespace kalvero::lang {

namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;

// The catalogue's 32-bit words, in the byte order of the machine that wrote it.
class Words {
public:
    Words(const std::string& bytes, bool swapped) : m_bytes(bytes), m_swapped(swapped) {}

    std::optional<std::uint32_t> at(std::uint64_t offset) const {
        if (offset + 4 > m_bytes.size()) {
            return std::nullopt;
        }
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<unsigned char>(m_bytes[offset + (m_swapped ? i : 3 - i)]);
            word = word << 8 | byte;
        }
        return word;
    }

    // The NUL-ended text that table entry i describes (length, then offset).
    std::optional<std::string_view> text(std::uint32_t table, std::uint32_t i) const {
        const auto length = at(table + std::uint64_t{8} * i);
        const auto offset = at(table + std::uint64_t{8} * i + 4);
        if (!length || !offset || std::uint64_t{*offset} + *length >= m_bytes.size() ||
            m_bytes[*offset + *length] != '\0') {
            return std::nullopt;
        }
        return std::string_view(m_bytes).substr(*offset, *length);
    }

private:
    const std::string& m_bytes;
    bool m_swapped;
};

}  // namespace

std::optional<Catalogue> Catalogue::parse(std::string bytes) {
    Catalogue catalogue(std::move(bytes));
    const std::string& data = *catalogue.m_bytes;
    const auto magic = Words(data, false).at(0);
    if (!magic || (*magic != kMagic && *magic != kSwappedMagic)) {
        return std::nullopt;
    }
    const Words words(data, *magic == kSwappedMagic);
    const auto count = words.at(8);
    const auto originals = words.at(12);
    const auto translations = words.at(16);
    if (!count || !originals || !translations) {
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto english = words.text(*originals, i);
        const auto translated = words.text(*translations, i);
        if (!english || !translated) {
            return std::nullopt;
        }
        // The header (empty English) and untranslated texts are left out.
        if (!english->empty() && !translated->empty()) {
            catalogue.m_texts.emplace(*english, translated->data());
        }
    }
    return catalogue;
}

const char* Catalogue::find(std::string_view english) const {
    const auto found = m_texts.find(english);
    return found == m_texts.end() ? nullptr : found->second;
}

}  // namespace kalvero::lang
