// SPDX-License-Identifier: MIT
#include "emulator/PrinterMemory.h"
#include "lang/Language.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace oru {

namespace {

std::string toHex(const std::uint8_t* bytes, std::size_t count) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
    return out;
}

bool fromHex(const std::string& hex, std::uint8_t* bytes, std::size_t count) {
    if (hex.size() != count * 2) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        unsigned value = 0;
        if (std::sscanf(hex.c_str() + 2 * i, "%2x", &value) != 1) {
            return false;
        }
        bytes[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}

bool inRange(long value, long low, long high) {
    return value >= low && value <= high;
}

}  // namespace

ItemName PrinterMemory::makeName(std::string_view cp852) {
    ItemName name{};
    name.fill(' ');
    for (std::size_t i = 0; i < name.size() && i < cp852.size(); ++i) {
        name[i] = static_cast<std::uint8_t>(cp852[i]);
    }
    return name;
}

PrinterMemory PrinterMemory::factory() {
    PrinterMemory memory;
    memory.itemNames[1] = makeName("CHLEB \xBDYTNI");   // ŻYTNI
    memory.itemNames[2] = makeName("MAS\x9DO EKSTRA");  // MASŁO
    memory.itemNames[3] = makeName(
        "JAB\x9DKA \x97WIE\xBD"
        "E");  // JABŁKA ŚWIEŻE
    memory.itemNames[300] = makeName("KAWA ZIARNISTA");
    return memory;
}

bool PrinterMemory::save(const std::filesystem::path& file, std::string& error) const {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = kalvero::fill(kalvero::_("cannot write %1"), {file.string()});
        return false;
    }
    out << "# oru-emulator memory\n";
    out << "version " << int(version) << "\n";
    out << "number " << number[0] << number[1] << "\n";
    out << "baud " << baudRate << "\n";
    out << "identify " << toHex(&identifyByte, 1) << "\n";
    out << "status " << toHex(status.data(), status.size()) << "\n";
    for (int n = 0; n <= kLastFooter; ++n) {
        for (int k = 0; k < kFooterLines; ++k) {
            const FooterLine& line = footers[n][k];
            if (line != FooterLine{}) {
                out << "footer " << n << ' ' << k + 1 << ' ' << toHex(&line.flags, 1) << ' '
                    << toHex(line.text.data(), line.text.size()) << "\n";
            }
        }
    }
    for (int plu = kFirstPlu; plu <= kLastPlu; ++plu) {
        if (bindings[plu] != 0) {
            out << "binding " << plu << ' ' << int(bindings[plu]) << "\n";
        }
    }
    for (const auto& [plu, name] : itemNames) {
        out << "name " << plu << ' ' << toHex(name.data(), name.size()) << "\n";
    }
    out.flush();
    if (!out) {
        error = kalvero::fill(kalvero::_("cannot write %1"), {file.string()});
        return false;
    }
    return true;
}

bool PrinterMemory::load(const std::filesystem::path& file, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = kalvero::fill(kalvero::_("cannot read %1"), {file.string()});
        return false;
    }
    PrinterMemory loaded;
    std::string text;
    int lineNo = 0;
    while (std::getline(in, text)) {
        ++lineNo;
        if (text.empty() || text[0] == '#') {
            continue;
        }
        std::istringstream line(text);
        std::string key;
        line >> key;
        bool ok = false;
        if (key == "version") {
            long v = -1;
            ok = static_cast<bool>(line >> v) && inRange(v, 0, 15);
            loaded.version = static_cast<std::uint8_t>(v);
        } else if (key == "number") {
            std::string n;
            ok = static_cast<bool>(line >> n) && n.size() == 2;
            if (ok) {
                loaded.number = {n[0], n[1]};
            }
        } else if (key == "baud") {
            long b = 0;
            ok = static_cast<bool>(line >> b) && (b == 9600 || b == 19200);
            loaded.baudRate = static_cast<std::uint32_t>(b);
        } else if (key == "identify") {
            std::string hex;
            ok = static_cast<bool>(line >> hex) && fromHex(hex, &loaded.identifyByte, 1);
        } else if (key == "status") {
            std::string hex;
            ok = static_cast<bool>(line >> hex) &&
                 fromHex(hex, loaded.status.data(), loaded.status.size());
        } else if (key == "footer") {
            long n = -1;
            long k = -1;
            std::string flags;
            std::string hex;
            ok = static_cast<bool>(line >> n >> k >> flags >> hex) && inRange(n, 0, kLastFooter) &&
                 inRange(k, 1, kFooterLines);
            if (ok) {
                FooterLine& target = loaded.footers[n][k - 1];
                ok = fromHex(flags, &target.flags, 1) &&
                     fromHex(hex, target.text.data(), target.text.size());
            }
        } else if (key == "binding") {
            long plu = -1;
            long footer = -1;
            ok = static_cast<bool>(line >> plu >> footer) && inRange(plu, kFirstPlu, kLastPlu) &&
                 inRange(footer, 0, 255);
            if (ok) {
                loaded.bindings[plu] = static_cast<std::uint8_t>(footer);
            }
        } else if (key == "name") {
            long plu = -1;
            std::string hex;
            ItemName name{};
            ok = static_cast<bool>(line >> plu >> hex) && inRange(plu, kFirstPlu, kLastPlu) &&
                 fromHex(hex, name.data(), name.size());
            if (ok) {
                loaded.itemNames[static_cast<int>(plu)] = name;
            }
        }
        if (!ok) {
            error = kalvero::fill(kalvero::_("%1:%2: cannot read \"%3\""),
                                  {file.string(), std::to_string(lineNo), text});
            return false;
        }
    }
    *this = loaded;
    return true;
}

}  // namespace oru
