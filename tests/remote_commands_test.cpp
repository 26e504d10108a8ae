#include "config/remote_commands.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(RemoteCommands, CheckDigitsAreTheXorOfTheTextInUpperCaseHex) {
    struct Case {
        const char* text;
        const char* digits;
    } cases[] = {
        {"#CPI[180]", "46"},          {"#CBR[19200]", "4C"},       {"#CACP[11,11]", "18"},
        {"#CACN[11,11]", "06"},       {"#CVMX[120,5,11]", "23"},   {"#CBGL[40,900,5,11]", "0B"},
        {"#CVMX[120,05,11]", "13"},   {"#CRPX[4500,5,03]", "0B"},  {"", "00"},
        {"\x7F\x80", "FF"},  // high bit kept: characters are bytes
    };
    for (const Case& c : cases) {
        std::string line = c.text;
        AppendCheckDigits(line);
        EXPECT_EQ(line, std::string(c.text) + c.digits);
    }
}

TEST(RemoteCommands, LabelsStartAtColumn25AfterUnderscores) {
    struct Case {
        std::string line;
        const char* label;
        std::string expected;
    } cases[] = {
        {"#CPI[180]46", "PING", "#CPI[180]46______________PING"},
        {std::string(24, 'x'), "L", std::string(24, 'x') + "_L"},
        {std::string(25, 'x'), "L", std::string(25, 'x') + "L"},
        {std::string(30, 'x'), "L", std::string(30, 'x') + "L"},
        {"", "Aceleração", std::string(25, '_') + "Aceleração"},  // the label's own length does not count
    };
    for (const Case& c : cases) {
        std::string line = c.line;
        AppendLabel(line, c.label);
        EXPECT_EQ(line, c.expected);
    }
}

TEST(RemoteCommands, OptionNumbersHaveAtLeastTwoDigitsAndTextsGoInAsTyped) {
    EditorValues v;
    v.PING = 9;
    v.B232 = 0;
    const char* texts[] = {"011", "0", "150", "60", "0", "00", "1000", "60", "1", "0", "1", "300", "30"};
    for (size_t i = 0; i < kConfigEditCount; ++i) v.texts[i] = texts[i];
    v.OPT_ACP = 0;
    v.OPT_ACN = 11;
    v.OPT_VMX = 73;
    v.OPT_VCH = 3;
    v.OPT_RPX = 40;
    v.OPT_OSC = 9;
    v.OPT_BGL = 10;
    const std::vector<ListingLine> lines = RemoteListing(v);
    std::vector<std::string> heads;
    for (const ListingLine& l : lines) {
        EXPECT_FALSE(l.emptied) << l.text;
        heads.push_back(l.text.substr(0, l.text.find(']') + 1));
    }
    EXPECT_EQ(heads, (std::vector<std::string>{"#CPI[300]", "#CBR[9600]", "#CACP[011,00]", "#CACN[0,11]",
                                              "#CVMX[150,60,73]", "#CVCH[0,00,03]", "#CRPX[1000,60,40]",
                                              "#COCS[1,0,09]", "#CBGL[1,300,30,10]"}));
}

TEST(RemoteCommands, OnlyTheFirstInvalidFieldOfACommandIsReported) {
    EditorValues v;
    v.PING = 8;
    v.B232 = 1;
    for (std::string& t : v.texts) t = "5000";  // invalid nearly everywhere
    v.Text(ConfigEdit::TOSC) = "5";             // OSC: its second field fails
    const std::vector<ListingLine> lines = RemoteListing(v);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[4].text, "Parâmetro inválido! [Velocidade]");
    EXPECT_EQ(lines[4].emptied, ConfigEdit::VMX);
    EXPECT_EQ(lines[6].text, "Parâmetro inválido! [Tempo validação Rotação]");  // RPX 5000 passes
    EXPECT_EQ(lines[6].emptied, ConfigEdit::TRPX);
    EXPECT_EQ(lines[7].text, "Parâmetro inválido! [Tempo excessão manobra]");
    EXPECT_EQ(lines[7].emptied, ConfigEdit::XOSC);
    EXPECT_EQ(lines[8].emptied, ConfigEdit::VBGL);
}

}  // namespace
}  // namespace orvel
