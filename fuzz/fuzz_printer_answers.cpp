// SPDX-License-Identifier: MIT
// Every printer command fed with arbitrary printer answers: a code from 0 to 255,
// and outputs of their fixed lengths whenever a command succeeds.

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/Identification.h"
#include "link/PrinterCommands.h"

namespace {

// A serial-port library whose every answer comes from the fuzzer's input.
class FuzzedWinSer final : public kalvero::WinSer {
public:
    FuzzedWinSer(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t SerialPortPresent(std::uint8_t) override { return next(); }
    std::uint8_t iInitializePort(std::uint8_t, std::uint16_t, std::uint8_t, std::uint8_t) override {
        return next() % 4 == 0 ? 0 : next();
    }
    void UnInitializePort() override {}
    void SetDTRLine() override {}
    void ClearDTRLine() override {}
    void SetRTSLine() override {}
    void ClearRTSLine() override {}
    std::uint8_t RSSequence(std::uint8_t, std::uint8_t answerCount, std::uint8_t,
                            kalvero::SerialBuffer& answer, const kalvero::SerialBuffer&) override {
        for (std::uint8_t i = 0; i < answerCount; ++i) {
            answer[i] = next();
        }
        return next() % 8 == 0 ? next() : 0;
    }
    std::uint8_t ReadByte(std::uint8_t& byte) override {
        if (m_at >= m_size) {
            return 0;
        }
        byte = next();
        return 1;
    }

private:
    std::uint8_t next() { return m_at < m_size ? m_data[m_at++] : 0; }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

struct NoQuestion final : kalvero::Question {
    bool ask(const std::string&, const std::string&) override { return false; }
};

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool isByteCode(kalvero::ResultCode code) {
    return code >= 0 && code <= 255;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedWinSer serial(data, size);
    kalvero::FileNames names;
    std::uint8_t online = 0;
    NoQuestion question;
    kalvero::RecordFiles files(names, online, question);
    kalvero::PrinterCommands commands(serial, files);

    kalvero::PrinterIdentity identity;
    check(isByteCode(kalvero::IdentifyPrinter(
        serial, [] { return 1; }, 1, 9600, identity)));
    check(identity.numberText.empty() || identity.numberText.size() == 2);
    check(identity.version <= 15);

    std::string name = "x";
    const kalvero::ResultCode nameRc = commands.ReadItemName(0, 1, name);
    check(isByteCode(nameRc) && (name == "x" || name.size() == 18 || name == "BRAK NAZWY TOWARU"));
    std::array<std::uint8_t, 4> status{};
    check(isByteCode(commands.ReadPrinterStatus(status)));
    check(isByteCode(commands.WriteFooterLine(0, 7, 2, "Dzi\xEAkujemy", 1, 1)));
    std::string text;
    std::uint8_t width20 = 0;
    std::uint8_t enabled = 0;
    const kalvero::ResultCode lineRc = commands.ReadFooterLine(0, 7, 2, text, width20, enabled);
    check(isByteCode(lineRc) && (lineRc != 0 || text.size() == 40));
    check(width20 <= 1 && enabled <= 1);
    check(isByteCode(commands.WriteBinding(0, 300, 7)));
    std::uint8_t footer = 0;
    check(isByteCode(commands.ReadBinding(0, 300, footer)));
    return 0;
}
