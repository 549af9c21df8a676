// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "data/Cp1250.h"

namespace kalvero {

// The behaviour's UTF-8 becomes a QString only here, at a widget's edge.
inline QString toQt(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// Windows-1250 text of the core, as a widget shows it.
inline QString fromCp1250(const std::string& cp1250) {
    return QString::fromStdString(Cp1250ToUtf8(cp1250));
}

// Nothing when a character has no Windows-1250 byte.
inline std::optional<std::string> toCp1250(const QString& text) {
    return Utf8ToCp1250(text.toStdString());
}

}  // namespace kalvero
