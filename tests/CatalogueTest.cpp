// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "lang/Catalogue.h"
#include "lang/Language.h"

namespace kalvero::lang {
namespace {

std::string builtPolish() {
    std::ifstream file(KALVERO_LOCALE_DIR "/pl/LC_MESSAGES/kalvero.mo", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return std::move(bytes).str();
}

std::multiset<std::string> placeholders(const std::string& text) {
    std::multiset<std::string> found;
    const std::regex placeholder("%[1-9]");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
         it != std::sregex_iterator(); ++it) {
        found.insert(it->str());
    }
    return found;
}

// A translation that drops or adds a %N would lose a file name or print a wrong one.
TEST(CatalogueTest, EveryPolishTextKeepsTheValuesOfItsEnglish) {
    const auto catalogue = Catalogue::parse(builtPolish());
    ASSERT_TRUE(catalogue.has_value());
    EXPECT_GT(catalogue->texts().size(), 200u);
    for (const auto& [english, polish] : catalogue->texts()) {
        EXPECT_EQ(placeholders(std::string(english)), placeholders(polish)) << english;
    }
    EXPECT_STREQ(catalogue->find("no such device"), "nie ma takiego urządzenia");
    EXPECT_EQ(catalogue->find("not in the catalogue"), nullptr);
}

TEST(CatalogueTest, BytesThatAreNotAWholeCatalogueGiveNone) {
    const std::string whole = builtPolish();
    std::string offsetsOutside = whole;
    offsetsOutside.replace(16, 4, "\xFF\xFF\xFF\x7F");  // the table of translations far beyond the end
    std::string unterminated = whole;
    unterminated.back() = 'x';  // the last text without its NUL
    for (const std::string& bytes :
         {std::string(), std::string("\xDE\x12\x04\x95", 4), whole.substr(0, whole.size() / 2),
          offsetsOutside, unterminated, std::string(whole.size(), '\0')}) {
        EXPECT_FALSE(Catalogue::parse(bytes).has_value()) << bytes.size();
    }
    // Written on a machine of the other byte order: every word of the header and the
    // two tables swapped, the same texts.
    const auto word = [&whole](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | static_cast<unsigned char>(whole[at + static_cast<std::size_t>(i)]);
        }
        return value;
    };
    std::string swapped = whole;
    const auto swapWords = [&swapped](std::size_t from, std::size_t count) {
        for (std::size_t at = from; at < from + 4 * count; at += 4) {
            std::swap(swapped[at], swapped[at + 3]);
            std::swap(swapped[at + 1], swapped[at + 2]);
        }
    };
    swapWords(0, 7);
    swapWords(word(12), 2 * word(8));
    swapWords(word(16), 2 * word(8));
    const auto bigEndian = Catalogue::parse(swapped);
    ASSERT_TRUE(bigEndian.has_value());
    EXPECT_STREQ(bigEndian->find("no such device"), "nie ma takiego urządzenia");
}

TEST(CatalogueTest, FillPutsEachValueWhereTheLanguageWantsIt) {
    EXPECT_EQ(fill("%2 z %1, %3%", {"7", "3", "100"}), "3 z 7, 100%");
    EXPECT_EQ(fill("%1 and %4", {"a"}), "a and %4");
}

}  // namespace
}  // namespace kalvero::lang
