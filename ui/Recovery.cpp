// SPDX-License-Identifier: MIT
#include "ui/Recovery.h"

#include "data/ImportTransaction.h"
#include "ui/Messages.h"

namespace kalvero {

bool RecoverDataFiles(const FileNames& files, Messages& messages) {
    const auto done = RecoverImport(files);
    if (done) {
        messages.tell(done->said);
    }
    return !done || !done->failed;
}

}  // namespace kalvero
