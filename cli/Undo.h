// SPDX-License-Identifier: MIT
#pragma once

namespace kalvero::cli {

class Session;

// Undoes the newest group of changes of the printer on the port not yet undone, or
// with --snapshot puts that snapshot back; refuses when the printer was changed
// behind the journal's back, unless --force.
int Restore(Session& s);
// Every printer's journal.
int ListSnapshots(Session& s);

}  // namespace kalvero::cli
