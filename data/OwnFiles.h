// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kalvero {

// A file the program reads by name because it is its own (remembered speeds, a port
// entry, a snapshot's manifest and files): read only when it is a regular file (a
// FIFO, device or socket is never opened, so nothing can block) of at most `most`
// bytes. Nothing for a missing file; nothing, with the reason in why, for any other.
std::optional<std::string> ReadOwnFile(const std::string& name, std::uintmax_t most,
                                       std::string& why);

// A checksum the program keeps with its own files, to tell them whole and unchanged:
// 16 hexadecimal digits (FNV-1a, 64 bits).
std::string Checksum(std::string_view bytes);

// Why a file the user named cannot be read as one: missing, not a regular file (a
// FIFO, a device, a folder), or unreadable.
std::string WhyUnreadable(const std::string& name);

}  // namespace kalvero
