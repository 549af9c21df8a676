// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kalvero::lang {

// One language's texts, read from the binary catalogue that msgfmt writes (a .mo
// file): each English text and its translation. Bytes that are not a whole catalogue
// give none, never a read outside them.
class Catalogue {
public:
    static std::optional<Catalogue> parse(std::string bytes);

    // The translation of english, or null when the catalogue has none.
    const char* find(std::string_view english) const;
    // Every English text and its translation.
    const std::unordered_map<std::string_view, const char*>& texts() const { return m_texts; }

private:
    explicit Catalogue(std::string bytes)
        : m_bytes(std::make_unique<const std::string>(std::move(bytes))) {}

    // Held apart, so that the views and pointers into it outlive a move.
    std::unique_ptr<const std::string> m_bytes;
    std::unordered_map<std::string_view, const char*> m_texts;
};

}  // namespace kalvero::lang
