// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "Cp1250.h"
#include "Identification.h"

namespace kalvero {

// Windows-1250 text of the core becomes Unicode only here, at a widget's edge.
inline QString toQt(const std::string& cp1250) {
    return QString::fromStdString(Cp1250ToUtf8(cp1250));
}

inline std::optional<std::string> fromQt(const QString& text) {
    return Utf8ToCp1250(text.toStdString());
}

inline QString printerNumber(const PrinterIdentity& identity) {
    return toQt(identity.numberText);
}

}  // namespace kalvero
