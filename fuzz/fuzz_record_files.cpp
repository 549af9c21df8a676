// SPDX-License-Identifier: MIT
// The record operations on arbitrary file contents: a code, never a crash, and a
// write that succeeds touches its own record's bytes only and reads back.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "data/RecordAccess.h"
#include "data/RecordFiles.h"

namespace {

namespace fs = std::filesystem;

struct NoQuestion final : kalvero::Question {
    bool ask(const std::string&, const std::string&) override { return false; }
};

std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void put(const std::string& file, const std::string& content) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

// Bytes outside [offset, offset + length) are as before, the file grew at most by the record.
void checkOnlyRecordChanged(const std::string& before, const std::string& after,
                            std::int32_t offset, std::size_t length) {
    const auto start = static_cast<std::size_t>(offset);
    if (after.size() > std::max(before.size(), start + length)) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if ((i < start || i >= start + length) && before[i] != after[i]) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    static const std::string dir = [] {
        std::string pattern = (fs::temp_directory_path() / "kalvero-fuzz-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    kalvero::FileNames names;
    names.FooterFileName = dir + "/stopki.txt";
    names.BindingFileName = dir + "/wiazplu.txt";
    const std::uint8_t footer = data[0];
    const auto plu = static_cast<std::uint16_t>(data[1] | (data[2] << 8));
    const std::uint8_t k = data[3] % 6;
    const std::string content(reinterpret_cast<const char*>(data + 4), size - 4);
    put(names.FooterFileName, content);
    put(names.BindingFileName, content);

    std::uint8_t offline = 1;
    NoQuestion question;
    kalvero::RecordFiles files(names, offline, question);
    std::string text;
    std::uint8_t width = 0;
    std::uint8_t enabled = 0;
    const kalvero::ResultCode line1 = files.ReadFooterLineFromFile(footer, 1, text, width, enabled);
    const kalvero::ResultCode lineK = files.ReadFooterLineFromFile(footer, k, text, width, enabled);
    if (line1 < 0 || line1 > 255 || lineK < 0 || lineK > 255) {
        __builtin_trap();
    }

    std::uint8_t bound = 0;
    const kalvero::ResultCode read = files.ReadBindingFromFile(plu, bound);
    if (read < 0 || read > 255) {
        __builtin_trap();
    }

    std::int32_t offset = 0;
    if (kalvero::LocateBindingRecord(names, plu, offset) == 0) {
        const std::string before = slurp(names.BindingFileName);
        if (files.WriteBindingToFile(plu, footer) == 0) {
            checkOnlyRecordChanged(before, slurp(names.BindingFileName), offset, 11);
            if (files.ReadBindingFromFile(plu, bound) != 0 || bound != footer) {
                __builtin_trap();
            }
        }
    }
    if (kalvero::LocateFooterRecord(names.FooterFileName, footer, offset) == 0) {
        const std::string before = slurp(names.FooterFileName);
        const std::string tail = std::string(179, ' ').replace(0, 5, "1\t1\tx");
        if (files.WriteFooterRecordToFile(footer, tail) == 0) {
            checkOnlyRecordChanged(before, slurp(names.FooterFileName), offset, 186);
            if (files.ReadFooterLineFromFile(footer, 1, text, width, enabled) != 0 || width != 1 ||
                text[0] != 'x') {
                __builtin_trap();
            }
        }
    }
    return 0;
}
