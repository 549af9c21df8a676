// SPDX-License-Identifier: MIT
// The client's Telnet and COM-PORT bytes, without a socket.

#include <gtest/gtest.h>

#include <string>

#include "link/TelnetCodec.h"

namespace kalvero {
namespace {

constexpr char kIac = '\xFF';
constexpr char kSb = '\xFA';
constexpr char kSe = '\xF0';
constexpr char kWill = '\xFB';
constexpr char kWont = '\xFC';
constexpr char kDo = '\xFD';
constexpr char kDont = '\xFE';

TEST(TelnetCodec, IacIsDoubledGoingOutAndUndoubledComingIn) {
    EXPECT_EQ(TelnetCodec::escaped(std::string{'a', kIac, 'b', kIac, kIac}),
              (std::string{'a', kIac, kIac, 'b', kIac, kIac, kIac, kIac}));
    EXPECT_EQ(TelnetCodec::subnegotiation(1, std::string{0, 0, 0x25, kIac}),
              (std::string{kIac, kSb, 44, 1, 0, 0, 0x25, kIac, kIac, kIac, kSe}));

    TelnetCodec codec;
    EXPECT_EQ(codec.take(std::string{'a', kIac, kIac, 'b'}).data, (std::string{'a', kIac, 'b'}));
    // The pair split between two reads is still one data byte.
    EXPECT_EQ(codec.take(std::string{'c', kIac}).data, "c");
    EXPECT_EQ(codec.take(std::string{kIac, 'd'}).data, (std::string{kIac, 'd'}));
}

TEST(TelnetCodec, CommandsBetweenDataBytesAreTakenOut) {
    TelnetCodec codec;
    const std::string came = std::string{'1', kIac, '\xF1'} +         // NOP
                             std::string{'2', kIac, kWill, 0, '3'} +  // WILL BINARY
                             std::string{kIac, kSb, 44, 105, 1, kIac, kSe} + "4";
    const TelnetCodec::Taken taken = codec.take(came);
    EXPECT_EQ(taken.data, "1234");
    EXPECT_EQ(taken.replies, "") << "binary was asked for as the connection opened";
    EXPECT_EQ(codec.answers().at(105), "\x01");
}

TEST(TelnetCodec, ASubnegotiationSplitAcrossReadsIsAnsweredOnceWhole) {
    TelnetCodec codec;
    const std::string answer = {kIac, kSb, 44, 101, 0, 0, kIac, kIac, '\x80', kIac, kSe};
    for (std::size_t cut = 1; cut < answer.size(); ++cut) {
        codec.reset();
        const std::string first = codec.take(answer.substr(0, cut)).data;
        EXPECT_FALSE(codec.answers().contains(101)) << "cut at " << cut;
        const std::string second = codec.take(answer.substr(cut) + "x").data;
        EXPECT_EQ(first + second, "x") << "cut at " << cut;
        EXPECT_EQ(codec.answers().at(101), (std::string{0, 0, kIac, '\x80'})) << "cut at " << cut;
    }
    // Another option's subnegotiation is no COM-PORT answer.
    codec.reset();
    codec.take(std::string{kIac, kSb, 24, 101, 1, kIac, kSe});
    EXPECT_TRUE(codec.answers().empty());
}

TEST(TelnetCodec, RequestsForOptionsNotOfferedAreRefused) {
    TelnetCodec codec;
    // DO and WILL of unknown options are refused; the known ones and WONT/DONT need no word.
    EXPECT_EQ(codec.take(std::string{kIac, kDo, 24}).replies, (std::string{kIac, kWont, 24}));
    EXPECT_EQ(codec.take(std::string{kIac, kWill, 1}).replies, (std::string{kIac, kDont, 1}));
    EXPECT_EQ(codec.take(std::string{kIac, kDo, 3, kIac, kWill, 3, kIac, kDo, 44}).replies, "");
    EXPECT_EQ(codec.take(std::string{kIac, kWont, 24, kIac, kDont, 24}).replies, "");
    // The server's own COM-PORT side is not one this client takes.
    EXPECT_EQ(codec.take(std::string{kIac, kWill, 44}).replies, (std::string{kIac, kDont, 44}));
    EXPECT_FALSE(codec.comPortRefused());
    codec.take(std::string{kIac, kDont});
    codec.take(std::string{44});
    EXPECT_TRUE(codec.comPortRefused());
    codec.reset();
    EXPECT_FALSE(codec.comPortRefused()) << "a new connection starts afresh";
}

TEST(TelnetCodec, TheOpeningOffersComPortAndBinaryWithoutGoAhead) {
    EXPECT_EQ(TelnetCodec::opening(), (std::string{kIac, kWill, 44, kIac, kWill, 0, kIac, kDo, 0,
                                                   kIac, kWill, 3, kIac, kDo, 3}));
}

}  // namespace
}  // namespace kalvero
