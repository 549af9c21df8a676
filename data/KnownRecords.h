// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/FileSink.h"
#include "data/RecordFormat.h"

namespace kalvero {

// What one printer holds, record by record, as far as this program knows it: every
// whole read and every record the printer acknowledged say it; a record it cannot
// vouch for (a change that did not finish with it, a read that did not reach it) is
// unknown, and absent here. Kept as the two data files in a folder of the printer's
// own, replaced whole on save.
class KnownRecords {
public:
    KnownRecords(std::string folder, const Sinks& sinks = Sinks::files());

    // Reads what was kept; a file that is missing or not whole knows nothing.
    void load();
    // Both files; when either cannot be written, neither is left, so nothing is known.
    std::optional<FileError> save() const;
    // Nothing known of either kind.
    bool empty() const { return m_footers.empty() && m_bindings.empty(); }

    const FooterRecord* footer(int number) const;
    const BindingRecord* binding(int plu) const;

    void know(const FooterRecord& record) { m_footers[record.number] = record; }
    void know(const BindingRecord& record) { m_bindings[record.plu] = record; }
    template <typename Record>
    void know(const std::vector<Record>& records) {
        for (const Record& record : records) {
            know(record);
        }
    }
    void forgetFooter(int number) { m_footers.erase(number); }
    void forgetBinding(int plu) { m_bindings.erase(plu); }
    // A whole read: these are what the printer holds of the kind, and nothing else of
    // it is known (bindings beyond the read's last PLU).
    void knowOnly(const std::vector<FooterRecord>& records);
    void knowOnly(const std::vector<BindingRecord>& records);

    void forget(const FooterRecord& record) { forgetFooter(record.number); }
    void forget(const BindingRecord& record) { forgetBinding(record.plu); }
    template <typename Record>
    void forget(const std::vector<Record>& records) {
        for (const Record& record : records) {
            forget(record);
        }
    }

private:
    std::string m_folder;
    const Sinks& m_sinks;
    std::map<int, FooterRecord> m_footers;
    std::map<int, BindingRecord> m_bindings;
};

}  // namespace kalvero
