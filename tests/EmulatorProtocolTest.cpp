// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "emulator/OruProtocol.h"
#include "tests/TempDir.h"

namespace oru {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ProtocolTest : public ::testing::Test {
protected:
    Bytes send(const Bytes& bytes) {
        Bytes out;
        for (const std::uint8_t b : bytes) {
            last = protocol->feed(b, out);
        }
        return out;
    }
    void withFaults(Faults faults) { protocol = std::make_unique<OruProtocol>(memory, faults); }

    PrinterMemory memory = PrinterMemory::factory();
    std::unique_ptr<OruProtocol> protocol = std::make_unique<OruProtocol>(memory, Faults{});
    OruProtocol::Action last = OruProtocol::Action::None;
};

TEST_F(ProtocolTest, IdentificationCommandsAnswerAfterTheAck) {
    memory.version = 5;
    memory.number = {'0', '7'};
    EXPECT_EQ(send({0xFF}), (Bytes{0x06, 0x25, 0xFF}));
    EXPECT_EQ(send({0x5B}), (Bytes{0x06, 0x50, 0x5B}));
    EXPECT_EQ(send({0xC0}), (Bytes{0x06, '0', '7', 0xC0}));
    EXPECT_EQ(send({0x9B, 0x94}), (Bytes{0x06, 0x10, 0x06, 0x00}));
}

TEST_F(ProtocolTest, AnUnknownCommandGetsNak) {
    EXPECT_EQ(send({0x00}), Bytes{0x15});
    EXPECT_EQ(send({0xFF}), (Bytes{0x06, 0x25, 0xFF})) << "and the printer carries on";
}

TEST_F(ProtocolTest, AFooterLineOfTwentyCharactersIsStoredPaddedAndReadBackWithItsLineNumber) {
    Bytes write{0x2A, 7, 0x0D};
    for (int i = 0; i < 20; ++i) {
        write.push_back(static_cast<std::uint8_t>('a' + i));
    }
    EXPECT_EQ(send(write), (Bytes{0x06, 0x2A, 0x00}));
    EXPECT_EQ(memory.footers[7][1].flags, 0x0C);

    const Bytes read = send({0x2B, 7, 1});
    ASSERT_EQ(read.size(), 1u + 1 + 1 + 1 + 40);
    EXPECT_EQ(read[3], 0x0D);
    EXPECT_EQ(read[4], 'a');
    EXPECT_EQ(read[23], 't');
    EXPECT_EQ(read[24], ' ');
    EXPECT_EQ(read[43], ' ');
}

TEST_F(ProtocolTest, AFortyCharacterLineTakesFortyTextBytes) {
    Bytes write{0x2A, 200, 0x0B};
    write.insert(write.end(), 40, 'x');
    EXPECT_EQ(send(write), (Bytes{0x06, 0x2A, 0x00}));
    EXPECT_EQ(memory.footers[200][3].text[39], 'x');
}

TEST_F(ProtocolTest, NumbersOutsideThePrintersRangeGetStatusThree) {
    Bytes write{0x2A, 201, 0x00};
    write.insert(write.end(), 40, 'x');
    EXPECT_EQ(send(write), (Bytes{0x06, 0x2A, 0x03}));
    EXPECT_EQ(send({0x1E, 0x00, 0x27, 1}).back(), 3) << "PLU 9984";
    EXPECT_EQ(send({0x1E, 0x01, 0x00, 201}).back(), 3) << "footer 201";
    EXPECT_EQ(send({0x1F, 0x00, 0x00}), (Bytes{0x06, 0x1F, 0x03})) << "PLU 0, no footer byte";
    EXPECT_EQ(send({0x2B, 201, 0}).size(), 44u) << "a line read always sends its 42 bytes";

    // An injected status 0 changes the answer, never which memory is touched.
    const oru::PrinterMemory before = memory;
    withFaults({.errorStatus = 0x00});
    EXPECT_EQ(send(write), (Bytes{0x06, 0x2A, 0x00}));
    EXPECT_EQ(send({0x1E, 0x00, 0x27, 1}).back(), 0) << "PLU 9984";
    EXPECT_EQ(send({0x1F, 0xFF, 0xFF}), (Bytes{0x06, 0x1F, 0x00, 0x00})) << "PLU 65535";
    EXPECT_EQ(memory, before);
}

TEST_F(ProtocolTest, BindingsTravelLowByteFirst) {
    EXPECT_EQ(send({0x1E, 0x2C, 0x01, 17}), (Bytes{0x06, 0x1E, 0x00}));
    EXPECT_EQ(memory.bindings[300], 17);
    EXPECT_EQ(send({0x1F, 0x2C, 0x01}), (Bytes{0x06, 0x1F, 0x00, 17}));
}

TEST_F(ProtocolTest, ItemNamesComeWithTheirRecordUnlessThereIsNone) {
    const Bytes named = send({0xAC, 0x2C, 0x01});
    ASSERT_EQ(named.size(), 3u + 35);
    EXPECT_EQ(named[2], 0);
    EXPECT_EQ(std::string(named.begin() + 3, named.begin() + 7), "KAWA");
    EXPECT_EQ(send({0xAC, 0x10, 0x00}), (Bytes{0x06, 0xAC, 0x66}));
    EXPECT_EQ(send({0xAC, 0x00, 0x00}), (Bytes{0x06, 0xAC, 0x05}));
}

TEST_F(ProtocolTest, ACommandWhoseDataStopsIsDropped) {
    EXPECT_EQ(send({0x1E, 0x05}), Bytes{0x06});
    EXPECT_TRUE(protocol->inCommand());
    protocol->dropPartialCommand();
    EXPECT_EQ(send({0xFF}), (Bytes{0x06, 0x25, 0xFF}));
    EXPECT_EQ(memory.bindings[5], 0);
}

TEST_F(ProtocolTest, RefusalsStartAtTheChosenExchange) {
    withFaults({.nakCommand = 0x1F, .faultsFrom = 3});
    EXPECT_EQ(send({0x1F, 1, 0}).size(), 4u);
    EXPECT_EQ(send({0x1F, 2, 0}).size(), 4u);
    EXPECT_EQ(send({0x1F}), Bytes{0x15});
    EXPECT_EQ(send({0xFF}).size(), 3u) << "other commands still answered";
}

TEST_F(ProtocolTest, AnErrorStatusRefusesTheWrite) {
    withFaults({.errorStatus = 0x42});
    EXPECT_EQ(send({0x1E, 5, 0, 9}), (Bytes{0x06, 0x1E, 0x42}));
    EXPECT_EQ(memory.bindings[5], 0);
    EXPECT_EQ(send({0x1F, 5, 0}), (Bytes{0x06, 0x1F, 0x42}));
}

TEST_F(ProtocolTest, AForgottenWriteIsAcceptedButKeepsTheOldValue) {
    memory.bindings[300] = 4;
    withFaults({.forgetFooters = {7}, .forgetPlus = {300}});
    EXPECT_EQ(send({0x1E, 0x2C, 0x01, 17}), (Bytes{0x06, 0x1E, 0x00}));
    EXPECT_EQ(memory.bindings[300], 4);
    Bytes write{0x2A, 7, 0x08};
    write.insert(write.end(), 40, 'x');
    EXPECT_EQ(send(write), (Bytes{0x06, 0x2A, 0x00}));
    EXPECT_EQ(memory.footers[7][0], FooterLine{});

    write[1] = 8;
    send(write);
    send({0x1E, 0x2D, 0x01, 17});
    EXPECT_EQ(memory.footers[8][0].text[0], 'x') << "other footers are written";
    EXPECT_EQ(memory.bindings[301], 17) << "other PLUs are written";
}

TEST_F(ProtocolTest, ANotAckByteReplacesTheAck) {
    withFaults({.notAckByte = 0x3F});
    EXPECT_EQ(send({0xFF}), Bytes{0x3F});
    EXPECT_FALSE(protocol->inCommand());
}

TEST_F(ProtocolTest, SilenceAndHangUpFollowTheExchangeCount) {
    withFaults({.stopAfter = 2});
    EXPECT_EQ(send({0xFF}).size(), 3u);
    EXPECT_EQ(send({0x9B}).size(), 2u);
    EXPECT_TRUE(send({0xFF}).empty());

    withFaults({.hangUpAfter = 1});
    send({0xFF});
    EXPECT_EQ(last, OruProtocol::Action::None);
    EXPECT_TRUE(send({0xFF}).empty());
    EXPECT_EQ(last, OruProtocol::Action::HangUp);

    withFaults({.silent = true});
    EXPECT_TRUE(send({0xFF, 0x00, 0x5B}).empty());
}

TEST(PrinterMemoryFile, SavesAndLoadsEverything) {
    kalvero::test::TempDir tmp;
    PrinterMemory memory = PrinterMemory::factory();
    memory.version = 6;
    memory.number = {'4', '2'};
    memory.baudRate = 19200;
    memory.status = {0x3A, 1, 2, 3};
    memory.footers[200][3].flags = 0x0C;
    memory.footers[200][3].text[0] = 0xA9;
    memory.bindings[9983] = 200;
    memory.itemNames[9983] = PrinterMemory::makeName("OSTATNI");
    std::string error;
    ASSERT_TRUE(memory.save(tmp / "memory.txt", error)) << error;

    PrinterMemory loaded;
    ASSERT_TRUE(loaded.load(tmp / "memory.txt", error)) << error;
    EXPECT_EQ(loaded, memory);
}

TEST(PrinterMemoryFile, ABadLineIsReportedWithItsNumberAndChangesNothing) {
    kalvero::test::TempDir tmp;
    std::ofstream(tmp / "bad.txt") << "version 4\nbinding 9984 1\n";
    PrinterMemory memory = PrinterMemory::factory();
    std::string error;
    EXPECT_FALSE(memory.load(tmp / "bad.txt", error));
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;
    EXPECT_EQ(memory, PrinterMemory::factory());
    EXPECT_FALSE(memory.load(tmp / "missing.txt", error));
}

}  // namespace
}  // namespace oru

namespace oru {
namespace {

TEST(ProtocolRobustness, AnyByteSequenceLeavesThePrinterServing) {
    PrinterMemory memory = PrinterMemory::factory();
    OruProtocol protocol(memory, {});
    std::uint32_t seed = 12345;
    std::vector<std::uint8_t> out;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        protocol.feed(static_cast<std::uint8_t>(seed >> 24), out);
        if (out.size() > 4096) {
            out.clear();
        }
        if ((seed & 0xFFF) == 0) {
            protocol.dropPartialCommand();
        }
    }
    protocol.dropPartialCommand();
    out.clear();
    protocol.feed(0xFF, out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x06, 0x25, 0xFF}));
}

}  // namespace
}  // namespace oru
