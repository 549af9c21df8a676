// SPDX-License-Identifier: MIT
#include "cli/LineOption.h"

#include "cli/CliOptions.h"
#include "data/Cp1250.h"
#include "data/RecordFormat.h"
#include "lang/Language.h"

namespace kalvero::cli {

std::optional<std::string> parseLine(const std::string& lineOption, FooterLines& lines) {
    const std::size_t a = lineOption.find(':');
    const std::size_t b = a == std::string::npos ? a : lineOption.find(':', a + 1);
    const std::size_t c = b == std::string::npos ? b : lineOption.find(':', b + 1);
    if (c == std::string::npos) {
        return _("not K:WIDTH:ENABLED:TEXT");
    }
    const auto k = number(lineOption.substr(0, a));
    const std::string width = lineOption.substr(a + 1, b - a - 1);
    const std::string enabled = lineOption.substr(b + 1, c - b - 1);
    const auto text = Utf8ToCp1250(lineOption.substr(c + 1));
    if (!k || *k < 1 || *k > 4 || (width != "40" && width != "20") ||
        (enabled != "0" && enabled != "1")) {
        return _("K is 1..4, WIDTH 40 or 20, ENABLED 0 or 1");
    }
    if (!text) {
        return _("TEXT must be in Windows-1250");
    }
    // The printer keeps only WIDTH characters of a line.
    if (text->size() > (width == "20" ? 20u : 40u)) {
        return fill(_("TEXT is longer than its line's width, %1 characters"), {width});
    }
    if (HasControlCharacter(*text)) {
        return _("TEXT must not hold a control character (TAB, CR, LF...)");
    }
    if (const auto unprintable = FirstUnprintable(*text)) {
        return fill(_("TEXT must not hold \"%1\": the printer cannot print it"),
                    {Cp1250ToUtf8(std::string(1, *unprintable))});
    }
    lines[*k - 1] = {width == "20" ? 1 : 0, enabled == "1" ? 1 : 0, *text};
    return std::nullopt;
}

}  // namespace kalvero::cli
