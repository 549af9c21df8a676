// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <vector>

#include "data/RecordFormat.h"
#include "data/WholeFiles.h"

namespace kalvero::cli {

class Session;

// What the printer was found to hold when a write was read back: each kind whole
// (read), or not when its read-back failed or was stopped.
struct ReadBack {
    std::vector<FooterRecord> footers;
    std::vector<BindingRecord> bindings;
    bool footersRead = false;
    bool bindingsRead = false;
    bool footersDiffer = false;
    bool bindingsDiffer = false;
};

// The data files to compare, read whole; false after saying why one cannot be.
bool LoadFiles(Session& s, bool footers, bool bindings, std::optional<FooterFile>& footerFile,
               std::optional<BindingFile>& bindingFile);
// Reads back what the files hold and says what differs.
int Verify(Session& s, bool footers, bool bindings);
// The same for records, each kind given or not; what came back goes to readBack.
int VerifyRecords(Session& s, const std::vector<FooterRecord>* footers,
                  const std::vector<BindingRecord>* bindings, ReadBack* readBack = nullptr);
// What differs between the printer and the files; the files are not touched.
int Diff(Session& s);
// Offline: the data files to and from a CSV file.
int ExportCsv(Session& s);
int ImportCsv(Session& s);

}  // namespace kalvero::cli
