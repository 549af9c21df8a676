// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/Identification.h"
#include "tests/ScriptedWinSer.h"

using ::testing::ElementsAre;

namespace kalvero {
namespace {

using test::ScriptedWinSer;

std::vector<std::string> linesFor(int channel) {
    ScriptedWinSer serial;
    ChannelLines(serial, channel);
    return serial.calls;
}

TEST(ScanSerialPorts, ClosesThePortThenAsksForEachOfTheTenPortsInOrder) {
    ScriptedWinSer serial;
    serial.presentPorts = {1, 3};
    PortPresentFlags present;
    present.fill(7);

    ScanSerialPorts(serial, present);

    EXPECT_THAT(std::vector<std::uint8_t>(present.begin() + 1, present.end()),
                ElementsAre(1, 0, 1, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_THAT(serial.calls, ElementsAre("UnInit", "Present 1", "Present 2", "Present 3",
                                          "Present 4", "Present 5", "Present 6", "Present 7",
                                          "Present 8", "Present 9", "Present 10"));
}

TEST(ChannelLines, SetDtrBeforeRtsAsTheChannelTableSays) {
    EXPECT_THAT(linesFor(1), ElementsAre("ClearDTR", "SetRTS"));
    EXPECT_THAT(linesFor(2), ElementsAre("SetDTR", "SetRTS"));
    EXPECT_THAT(linesFor(3), ElementsAre("ClearDTR", "ClearRTS"));
    EXPECT_THAT(linesFor(4), ElementsAre("SetDTR", "ClearRTS"));
}

TEST(ChannelLines, AnyOtherChannelLeavesBothLinesAlone) {
    EXPECT_TRUE(linesFor(0).empty());
    EXPECT_TRUE(linesFor(5).empty());
    EXPECT_TRUE(linesFor(-1).empty());
}

class IdentifyPrinterTest : public ::testing::Test {
protected:
    ResultCode identify(std::uint8_t port = 3, std::uint16_t baud = 9600) {
        return IdentifyPrinter(
            serial,
            [this] {
                ++channelReads;
                return channel;
            },
            port, baud, identity);
    }
    // What a caller had in the outputs before the call; must survive steps not reached.
    PrinterIdentity untouched() const { return {true, 0x0E, "xx"}; }

    ScriptedWinSer serial;
    int channel = 1;
    int channelReads = 0;
    PrinterIdentity identity = untouched();
};

TEST_F(IdentifyPrinterTest, APrinterOfTheRightKindGivesFoundVersionAndNumber) {
    channel = 3;
    serial.reply(OpIdentify, {0x25, 0x00});
    serial.reply(OpReadVersion, {0x41, 0x99});
    serial.reply(OpReadPrinterNumber, {'0', '7', 0x99});

    EXPECT_EQ(identify(3, 19200), 0);

    EXPECT_TRUE(identity.found);
    EXPECT_EQ(identity.version, 4);
    EXPECT_EQ(identity.numberText, "07");
    EXPECT_THAT(serial.calls, ElementsAre("UnInit", "Init 3 19200 5 5", "ClearDTR", "ClearRTS",
                                          "RS ff 2 0", "RS 5b 2 0", "RS c0 3 0"));
    EXPECT_EQ(channelReads, 1);
}

TEST_F(IdentifyPrinterTest, VersionIsTheHighNibbleWhateverTheLowNibble) {
    serial.reply(OpIdentify, {0x25, 0});
    serial.reply(OpReadVersion, {0xFF, 0});
    serial.reply(OpReadPrinterNumber, {'9', '9', 0});
    ASSERT_EQ(identify(), 0);
    EXPECT_EQ(identity.version, 15);
}

TEST_F(IdentifyPrinterTest, TheNumberTextIsTakenWithoutConversion) {
    serial.reply(OpIdentify, {0x25, 0});
    serial.reply(OpReadVersion, {0x40, 0});
    serial.reply(OpReadPrinterNumber, {0xA5, 0x00, 0});
    ASSERT_EQ(identify(), 0);
    EXPECT_EQ(identity.numberText, std::string("\xA5\0", 2));
}

TEST_F(IdentifyPrinterTest, ADeviceOfAnotherKindIsNoErrorAndNothingMoreIsAsked) {
    serial.reply(OpIdentify, {0x00, 0x25});

    EXPECT_EQ(identify(), 0);

    EXPECT_FALSE(identity.found);
    EXPECT_EQ(identity.version, untouched().version);
    EXPECT_EQ(identity.numberText, untouched().numberText);
    EXPECT_EQ(serial.calls.back(), "RS ff 2 0");
}

TEST_F(IdentifyPrinterTest, ASilentLineHandsUpTheLibraryCodeAndLeavesEveryOutput) {
    EXPECT_EQ(identify(), 21);
    EXPECT_EQ(identity.found, untouched().found);
    EXPECT_EQ(identity.version, untouched().version);
    EXPECT_EQ(identity.numberText, untouched().numberText);
}

TEST_F(IdentifyPrinterTest, EveryLibraryCodeOfTheFirstExchangeIsHandedUpUnchanged) {
    for (const std::uint8_t code : {20, 23, 24, 99, 255}) {
        serial.reply(OpIdentify, {0x25, 0}, code);
        EXPECT_EQ(identify(), code);
        EXPECT_EQ(identity.found, untouched().found);
    }
}

TEST_F(IdentifyPrinterTest, AFailedVersionReadLeavesFoundSetAndVersionUntouched) {
    serial.reply(OpIdentify, {0x25, 0});
    serial.reply(OpReadVersion, {0x40, 0}, 24);

    EXPECT_EQ(identify(), 24);

    EXPECT_TRUE(identity.found);
    EXPECT_EQ(identity.version, untouched().version);
    EXPECT_EQ(identity.numberText, untouched().numberText);
    EXPECT_EQ(serial.calls.back(), "RS 5b 2 0");
}

TEST_F(IdentifyPrinterTest, AFailedNumberReadLeavesFoundAndVersionSetAndTheTextUntouched) {
    serial.reply(OpIdentify, {0x25, 0});
    serial.reply(OpReadVersion, {0x30, 0});
    serial.reply(OpReadPrinterNumber, {'1', '2', 0}, 21);

    EXPECT_EQ(identify(), 21);

    EXPECT_TRUE(identity.found);
    EXPECT_EQ(identity.version, 3);
    EXPECT_EQ(identity.numberText, untouched().numberText);
}

TEST_F(IdentifyPrinterTest, APortThatDoesNotOpenEndsBeforeTheLinesAndTheChannelRead) {
    serial.initResult = 2;

    EXPECT_EQ(identify(4), 2);

    EXPECT_THAT(serial.calls, ElementsAre("UnInit", "Init 4 9600 5 5"));
    EXPECT_EQ(channelReads, 0);
    EXPECT_EQ(identity.found, untouched().found);
}

TEST_F(IdentifyPrinterTest, TheChannelIsReadAtTheMomentOfEachCall) {
    serial.reply(OpIdentify, {0, 0});
    serial.reply(OpIdentify, {0, 0});
    channel = 2;
    identify();
    channel = 4;
    serial.calls.clear();
    identify();
    EXPECT_THAT(serial.calls,
                ElementsAre("UnInit", "Init 3 9600 5 5", "SetDTR", "ClearRTS", "RS ff 2 0"));
}

}  // namespace
}  // namespace kalvero
