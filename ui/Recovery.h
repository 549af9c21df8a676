// SPDX-License-Identifier: MIT
#pragma once

namespace kalvero {

struct FileNames;
class Messages;

// An import of kalvero-cli that was ended half-way is finished or undone before a
// window reads or writes the data files, as kalvero-cli itself does, so that both
// files are old or both new; what was done is said in a message box. False when the
// files may not be used now (the import could not be finished, or still runs).
bool RecoverDataFiles(const FileNames& files, Messages& messages);

}  // namespace kalvero
