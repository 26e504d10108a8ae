#include "config/config_image.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvel {
namespace {

using Bytes = std::vector<uint8_t>;
using Image = std::array<uint8_t, kConfigImageSize>;

Image Built(const ConfigFields& f) {
    Image img;
    img.fill(0x00);
    BuildConfigImage(f, img);
    return img;
}

TEST(ConfigImage, PresetsBuildTheGoldenImages) {
    struct Case {
        const char* what;
        const ConfigFields& fields;
        Bytes head;
        uint8_t xor8;
        uint32_t sum32;
    } cases[] = {
        {"default", kDefaultPresetFields,
         {0xCA, 0xFE, 0xF0, 0xDA, 0x00, 0x1E, 0x01, 0x02, 0x00, 0xB4, 0x04, 0x80, 0x00, 0xC0, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x78,
          0x05, 0x0B, 0x5A, 0x05, 0x0B, 0x11, 0x94, 0x05, 0x0B, 0x06, 0x07, 0x0B, 0x28, 0x03, 0x84, 0x05, 0x00, 0x08, 0x55},
         0x53, 0x0007C9E9},
        {"rotaval", kRotavalPresetFields,
         {0xCA, 0xFE, 0xF0, 0xDA, 0x00, 0x1E, 0x01, 0x02, 0x00, 0x3C, 0x04, 0x80, 0x00, 0xC0, 0x0B, 0x0B, 0x01, 0x01, 0x03, 0x64,
          0x0A, 0x03, 0x50, 0x0A, 0x03, 0x11, 0x94, 0x05, 0x03, 0x01, 0x07, 0x03, 0x28, 0x03, 0x84, 0x05, 0x00, 0x07, 0x88},
         0x10, 0x0007C94E},
    };
    for (const Case& c : cases) {
        const Image img = Built(c.fields);
        EXPECT_EQ(Bytes(img.begin(), img.begin() + 39), c.head) << c.what;
        EXPECT_TRUE(std::all_of(img.begin() + 39, img.end(), [](uint8_t b) { return b == 0xFF; })) << c.what;
        const ImageCheckValues v = ComputeCheckValues(img);
        EXPECT_EQ(v.XOR8, c.xor8) << c.what;
        EXPECT_EQ(v.SUM32, c.sum32) << c.what;
        EXPECT_TRUE(AcceptConfigImage(img)) << c.what;
        EXPECT_EQ(DecodeConfigImage(img), c.fields) << c.what;
    }
}

TEST(ConfigImage, AcceptanceTest) {
    const Image good = Built(kDefaultPresetFields);
    auto withLength = [&](uint16_t length, bool placeSum) {
        Image img = good;
        img[4] = static_cast<uint8_t>(length >> 8);
        img[5] = static_cast<uint8_t>(length);
        const size_t used = size_t{length} + 9;
        if (placeSum && used <= kConfigImageSize) {
            uint32_t s = 0;
            for (size_t i = 0; i + 3 < used; ++i) s += img[i];
            img[used - 3] = static_cast<uint8_t>(s >> 16);
            img[used - 2] = static_cast<uint8_t>(s >> 8);
            img[used - 1] = static_cast<uint8_t>(s);
        }
        return img;
    };
    Image badMagic = good;
    badMagic[3] = 0xDB;
    Image badSum = good;
    badSum[38] ^= 1;
    Image fillChanged = good;
    fillChanged[100] = 0x00;
    fillChanged[2031] = 0x12;

    struct Case {
        const char* what;
        Image img;
        bool accepted;
    } cases[] = {
        {"default image", good, true},
        {"magic CA FE F0 DB", badMagic, false},
        {"sum off by one", badSum, false},
        {"the fill is not looked at", fillChanged, true},
        {"length 2023, sum at 2029..2031", withLength(2023, true), true},
        {"length 2023, no sum there", withLength(2023, false), false},
        {"length 2024 (past the image)", withLength(2024, true), false},
        {"length 0xFFFF", withLength(0xFFFF, true), false},
        {"smaller length with its own sum", withLength(20, true), true},
        {"all FF (blank memory)", [] { Image i; i.fill(0xFF); return i; }(), false},
    };
    for (const Case& c : cases) EXPECT_EQ(AcceptConfigImage(c.img), c.accepted) << c.what;
}

TEST(ConfigImage, OneByteFieldsKeepTheLowByte) {
    ConfigFields f = kDefaultPresetFields;
    f.ACP = static_cast<uint8_t>(300);
    EXPECT_EQ(Built(f)[14], 0x2C);
}

TEST(ConfigImage, OptionDigits) {
    EXPECT_EQ(OptionByte(true, false, false, true, false), 11);
    EXPECT_EQ(OptionByte(true, true, true, true, true), 73);
    EXPECT_EQ(OptionByte(false, false, false, true, true), 3);
    EXPECT_EQ(BuzzerDigit(45), 4);
    EXPECT_EQ(EventDigit(45), 5);
    EXPECT_EQ(BuzzerDigit(50), 5);
    EXPECT_EQ(TableIndex(kPingTable, 180), 8);
    EXPECT_EQ(TableIndex(kRateTable, 1152), 3);
    EXPECT_EQ(TableIndex(kPingTable, 61), std::nullopt);
}

}  // namespace
}  // namespace orvel
