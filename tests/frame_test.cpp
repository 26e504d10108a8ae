#include "link/frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvel {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(BuildFrame, MatchesTheWorkedExamples) {
    struct Case {
        const char* what;
        uint8_t command;
        Bytes payload;
        Bytes frame;
    } cases[] = {
        {"jump, empty payload", 5, {}, {0xBC, 0x21, 0x05, 0x00, 0x00, 0x00, 0x00, 0xE2}},
        {"read 500 bytes at 0x1000", 7, {0x00, 0x00, 0x10, 0x00, 0x01, 0xF4},
         {0xBC, 0x21, 0x07, 0x00, 0x06, 0x00, 0x00, 0x10, 0x00, 0x01, 0xF4, 0x00, 0x01, 0xEF}},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildFrame(c.command, c.payload), c.frame) << c.what;
}

TEST(BuildFrame, LengthCountsThePayloadOnly) {
    const Bytes payload(54, 0x5A);
    const Bytes f = BuildFrame(1, payload);
    ASSERT_EQ(f.size(), 62u);
    EXPECT_EQ(f[3], 0);
    EXPECT_EQ(f[4], 54);
}

TEST(BuildFrame, RefusesAPayloadLargerThanAFrameCarries) {
    EXPECT_EQ(BuildFrame(1, Bytes(1019, 0x01)).size(), 1027u);
    EXPECT_TRUE(BuildFrame(1, Bytes(1020, 0x01)).empty());
    EXPECT_TRUE(BuildFrame(1, Bytes(65536 + 4, 0x01)).empty());  // would wrap the length field
}

TEST(BuildFrame, ProducesFramesTheCheckerAcceptsOnlyWhenAddressedToTheTool) {
    // The tool's own frames go to address 1; echoed back they fail the destination test.
    const Bytes payload = {0x00, 0x00, 0x10, 0x00, 0x01, 0xF4};
    const Bytes f = BuildFrame(7, payload);
    EXPECT_EQ(ByteSum(std::span(f).first(f.size() - 3)) & 0xFFFFFF,
              (uint32_t{f[f.size() - 3]} << 16) | (uint32_t{f[f.size() - 2]} << 8) | f.back());
    EXPECT_EQ(CheckFrame(f).verdict, FrameVerdict::WrongDestination);
}

Bytes Frame(uint8_t address, uint8_t command, const Bytes& payload) {
    Bytes f = {0xBC, address, command, static_cast<uint8_t>(payload.size() >> 8), static_cast<uint8_t>(payload.size())};
    f.insert(f.end(), payload.begin(), payload.end());
    const uint32_t s = ByteSum(f);
    f.push_back(static_cast<uint8_t>(s >> 16));
    f.push_back(static_cast<uint8_t>(s >> 8));
    f.push_back(static_cast<uint8_t>(s));
    return f;
}

TEST(CheckFrame, AcceptsAnAcknowledgementForTheToolWhateverTheSender) {
    const Bytes ack = {0xBC, 0x12, 0x02, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0xD3};
    FrameCheck c = CheckFrame(ack);
    ASSERT_EQ(c.verdict, FrameVerdict::Ok);
    EXPECT_EQ(c.command, 2);
    EXPECT_EQ(Bytes(c.payload.begin(), c.payload.end()), (Bytes{0x00, 0x01}));
    EXPECT_EQ(c.frameBytes, 10u);

    for (uint8_t address : {0x02, 0xF2}) {
        Bytes other = ack;
        other[1] = address;
        const uint32_t s = ByteSum(std::span(other).first(7));
        other[7] = static_cast<uint8_t>(s >> 16);
        other[8] = static_cast<uint8_t>(s >> 8);
        other[9] = static_cast<uint8_t>(s);
        EXPECT_EQ(CheckFrame(other).verdict, FrameVerdict::Ok) << int(address);
    }
}

TEST(CheckFrame, SumIsThePlainArithmeticSum) {
    const Bytes f = Frame(0x12, 0x07, Bytes(1019, 0xFF));
    ASSERT_EQ(f.size(), 1027u);
    EXPECT_EQ(f[3], 0x03);
    EXPECT_EQ(f[4], 0xFB);
    EXPECT_EQ(f[1024], 0x03);
    EXPECT_EQ(f[1025], 0xF8);
    EXPECT_EQ(f[1026], 0xD8);
    EXPECT_EQ(CheckFrame(f).verdict, FrameVerdict::Ok);
}

TEST(CheckFrame, VerdictsInTheOrderTheReceivePathTestsThem) {
    const Bytes good = Frame(0x12, 0x02, {0x00, 0x01});
    Bytes badSum = good;
    badSum.back() ^= 0x01;
    Bytes truncated = good;
    truncated.pop_back();
    Bytes badStart = good;
    badStart[0] = 0x00;
    Bytes tooLong = Frame(0x12, 0x07, Bytes(1020, 0x00));
    Bytes echoed = Frame(0x21, 0x02, {0x00, 0x01});
    Bytes lengthWithBadSumAndStart = Frame(0x12, 0x07, Bytes(1020, 0x00));
    lengthWithBadSumAndStart.back() ^= 1;

    struct Case {
        const char* what;
        Bytes bytes;
        FrameVerdict verdict;
    } cases[] = {
        {"7 bytes", Bytes(7, 0xBC), FrameVerdict::TooShort},
        {"empty", {}, FrameVerdict::TooShort},
        {"20 bytes starting with 0x00", Bytes(20, 0x00), FrameVerdict::BadStart},
        {"bad start, good otherwise", badStart, FrameVerdict::BadStart},
        {"length 1020 with a correct sum", tooLong, FrameVerdict::LengthTooLarge},
        {"length 1020 with a wrong sum", lengthWithBadSumAndStart, FrameVerdict::LengthTooLarge},
        {"lowest sum byte off by one", badSum, FrameVerdict::TruncatedOrBadSum},
        {"frame longer than the bytes received", truncated, FrameVerdict::TruncatedOrBadSum},
        {"tool's own frame echoed back", echoed, FrameVerdict::WrongDestination},
        {"8-byte NACK", {0xBC, 0x12, 0x03, 0x00, 0x00, 0x00, 0x00, 0xD1}, FrameVerdict::Ok},
        {"frame followed by more bytes", [&] { Bytes b = good; b.insert(b.end(), {1, 2, 3}); return b; }(),
         FrameVerdict::Ok},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckFrame(c.bytes).verdict, c.verdict) << c.what;
}

}  // namespace
}  // namespace orvel
