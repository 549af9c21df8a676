// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kalvero::cli {

class Session;

// One footer, one binding or one answer of the printer: online on the printer, with
// --offline (get and set) on the data files.
int Detect(Session& s);
int GetFooter(Session& s, std::uint8_t footer);
int SetFooter(Session& s, std::uint8_t footer);
int GetBinding(Session& s, std::uint16_t plu);
int SetBinding(Session& s, std::uint16_t plu, std::uint8_t footer);
int Item(Session& s, std::uint16_t plu);
int Status(Session& s);

}  // namespace kalvero::cli
