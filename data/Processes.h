// SPDX-License-Identifier: MIT
#pragma once

namespace kalvero {

// This process's number, to write where a later run asks whether its writer is gone.
long ThisProcess();
// Whether the process may still be running (on this machine): a file it was writing
// is not for another run to finish or remove. Unsure counts as running.
bool ProcessRunning(long process);

}  // namespace kalvero
