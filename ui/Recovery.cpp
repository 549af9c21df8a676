// SPDX-License-Identifier: MIT
#include "ui/Recovery.h"

#include "data/CsvFiles.h"
#include "ui/Messages.h"

namespace kalvero {

void RecoverDataFiles(const FileNames& files, Messages& messages, QWidget* parent) {
    if (const auto done = RecoverImport(files)) {
        messages.inform(parent, QString::fromStdString(*done));
    }
}

}  // namespace kalvero
