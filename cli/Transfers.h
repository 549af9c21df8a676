// SPDX-License-Identifier: MIT
#pragma once

namespace kalvero::cli {

class Session;

// The bulk transfers between the printer and the data files: footers first, then
// bindings, each only when chosen (both when neither is named).
int Read(Session& s);
// A snapshot first, then only what differs, read back (see ApplyChange).
int Write(Session& s);
int Erase(Session& s);

}  // namespace kalvero::cli
