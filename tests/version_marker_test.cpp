#include "update/version_marker.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace orvel {
namespace {

constexpr std::string_view kOwnToken = "#*$(002.043.065@@002.043.065)$*#";

// `token` padded with text that holds no '#' so that the whole body has `total` characters.
std::string PaddedTo(std::string_view token, size_t total) {
    std::string s = "versao ";
    s += token;
    s.resize(total, 'x');
    return s;
}

TEST(ParseVersionToken, ReadsMajorMinorAndReleaseFromWellFormedTexts) {
    struct Case {
        const char* what;
        std::string text;
        ReleaseVersion expected;
    } cases[] = {
        {"own version 2.43.A", std::string(kOwnToken) + "\r\n", {2, 43, 65}},
        {"newer 2.44.A", "#*$(002.044.065@@002.044.065)$*#\n", {2, 44, 65}},
        {"older 2.42.A", "#*$(002.042.065@@002.042.065)$*#\n", {2, 42, 65}},
        {"all nines", "#*$(999.999.999@@999.999.999)$*#\n", {999, 999, 999}},
        {"marker after free text", "Versao atual do OrvelTool: #*$(002.044.066@@002.044.066)$*#", {2, 44, 66}},
        {"33 characters, marker at the end", "x" + std::string(kOwnToken), {2, 43, 65}},
        {"499 characters", PaddedTo(kOwnToken, 499), {2, 43, 65}},
        {"a second '#' after the marker is free text", std::string(kOwnToken) + " #rodape", {2, 43, 65}},
    };
    for (const Case& c : cases) {
        const auto v = ParseVersionToken(c.text);
        ASSERT_TRUE(v.has_value()) << c.what;
        EXPECT_EQ(*v, c.expected) << c.what;
    }
}

TEST(ParseVersionToken, RejectsEveryMalformedText) {
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"the bare marker: 32 characters", std::string(kOwnToken)},
        {"500 characters", PaddedTo(kOwnToken, 500)},
        {"empty", ""},
        {"no number sign", std::string(40, 'x')},
        {"number sign before the marker", "<font color=#ff0000>#*$(002.044.065@@002.044.065)$*#</font>"},
        {"marker cut short at the end", "texto livre sem marca #*$(002.043.065@@002.043.065)$*"},
        {"second copy of the release differs", "#*$(002.044.065@@002.044.066)$*#\n"},
        {"second copy of the major differs", "#*$(002.044.065@@003.044.065)$*#\n"},
        {"non-digit in the first copy", "#*$(002.04A.065@@002.04A.065)$*#\n"},
        {"space in the first copy", "#*$(002. 44.065@@002. 44.065)$*#\n"},
        {"wrong opening", "#*$[002.044.065@@002.044.065)$*#\n"},
        {"wrong closing", "#*$(002.044.065@@002.044.065)$*!\n"},
        {"comma for full stop", "#*$(002,044.065@@002,044.065)$*#\n"},
        {"one at sign", "#*$(002.044.065@-002.044.065)$*#\n"},
        {"two-digit fields", "#*$(02.044.065@@02.044.065)$*#xx\n"},
    };
    for (const Case& c : cases) EXPECT_FALSE(ParseVersionToken(c.text).has_value()) << c.what;
}

TEST(FormatDownloadAddress, NamesTheReleaseFileOnTheMakersHost) {
    struct Case {
        ReleaseVersion version;
        const char* expected;
    } cases[] = {
        {{2, 44, 'A'}, "www.corvane.com.br/files/OrvelTool v2.44.A.exe"},
        {{2, 42, 'A'}, "www.corvane.com.br/files/OrvelTool v2.42.A.exe"},
        {{3, 0, 'b'}, "www.corvane.com.br/files/OrvelTool v3.0.b.exe"},
        {{999, 999, 'Z'}, "www.corvane.com.br/files/OrvelTool v999.999.Z.exe"},
    };
    for (const Case& c : cases) {
        std::array<char, 100> out{};
        EXPECT_TRUE(FormatDownloadAddress(out, kMakerHost, c.version)) << c.expected;
        EXPECT_STREQ(out.data(), c.expected);
    }
}

TEST(FormatDownloadAddress, NeverWritesAnAddressCutShort) {
    const std::string host(60, 'h');  // 60 + 18 + "999.999.Z.exe" = 91 characters: fits
    std::array<char, 100> out{};
    ASSERT_TRUE(FormatDownloadAddress(out, host, {999, 999, 'Z'}));
    EXPECT_EQ(std::string(out.data()), host + "/files/OrvelTool v999.999.Z.exe");

    const std::string longHost(69, 'h');  // exactly 100 characters with the terminating zero: too long
    out.fill('q');
    EXPECT_FALSE(FormatDownloadAddress(out, longHost, {999, 999, 'Z'}));
    EXPECT_STREQ(out.data(), "");
    const std::string justFits(68, 'h');  // 99 characters and the zero
    EXPECT_TRUE(FormatDownloadAddress(out, justFits, {999, 999, 'Z'}));
    EXPECT_EQ(std::string(out.data()).size(), 99u);
}

TEST(FormatDownloadAddress, RefusesReleasesThatAreNotALetterOrDigit) {
    // 0 would end the text early, 321 would wrap to 'A', the others change the address.
    for (int32_t release : {0, 32, 35, 37, 47, 63, 92, 127, 199, 321, 999}) {
        std::array<char, 100> out{};
        out.fill('q');
        EXPECT_FALSE(FormatDownloadAddress(out, kMakerHost, {2, 44, release})) << release;
        EXPECT_STREQ(out.data(), "") << release;
    }
}

}  // namespace
}  // namespace orvel
