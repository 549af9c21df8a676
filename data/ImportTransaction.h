// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/FileNames.h"
#include "data/FileSink.h"

namespace kalvero {

// Both data files replaced as one: a journal beside the footer file says which are
// being replaced and how far it got, so that the next run's RecoverImport finishes or
// undoes an import ended half-way, leaving both data files old or both new.

// Writes the records given (each with its line end) after the header "#", "#", "#"
// that a bulk read writes: the new content beside each data file, a journal that both
// are to replace the data files, and only then the replacing, each kept as a backup
// generation. A data file given no records is left as it is. Nothing on success; else
// the file not kept as a backup or not written: neither data file has changed, unless
// the replacing failed, when the journal stays for the next run to finish it.
std::optional<FileError> StoreImport(const std::vector<std::string>& footers,
                                     const std::vector<std::string>& bindings,
                                     const FileNames& names, const Sinks& sinks = Sinks::files());

// Before anything else touches the data files: an import that an ended run left is
// finished when both its new files were whole, else undone, so that both data files
// are old or both new, and its files removed. An import whose run is still going is
// left to it. What was done, in the user's language (UTF-8), or nothing; failed when
// the data files may not be used (the import could not be finished, or still runs).
struct ImportRecovery {
    std::string said;
    bool failed = false;
};
std::optional<ImportRecovery> RecoverImport(const FileNames& names,
                                            const Sinks& sinks = Sinks::files());

}  // namespace kalvero
