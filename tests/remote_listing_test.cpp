#include "config_fixture.h"

namespace orvel::testing {
namespace {

class RemoteListingTest : public ConfigFormTest {};

TEST_F(RemoteListingTest, TheDefaultPresetListsTheNineGoldenLines) {
    form->AppendLog("linha antiga");
    form->B_SetDefaultsClick();
    form->B_RemConfigClick();
    const std::vector<std::string> expected = {
        "Comandos de configuração remota:",
        "#CPI[180]46______________PING",
        "#CBR[19200]4C____________RS232-B",
        "#CACP[11,11]18___________Aceleração",
        "#CACN[11,11]06___________Desaceleração",
        "#CVMX[120,5,11]23________Velocidade",
        "#CVCH[90,5,11]07_________Velocidade na chuva",
        "#CRPX[4500,5,11]08_______Rotação do motor",
        "#COCS[6,7,11]38__________Ociosidade do motor",
        "#CBGL[40,900,5,11]0B_____Banguela",
    };
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(RemoteListingTest, TheRotavalPresetListsItsOwnLines) {
    form->B_SetRotavalClick();
    form->B_RemConfigClick();
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[1], "#CPI[60]79_______________PING");
    EXPECT_EQ(lines[3], "#CACP[11,01]19___________Aceleração");
    EXPECT_EQ(lines[5], "#CVMX[100,10,03]16_______Velocidade");
    EXPECT_EQ(lines[9], "#CBGL[40,900,5,03]08_____Banguela");
}

TEST_F(RemoteListingTest, RightAfterStartEveryCommandIsAnErrorLine) {
    form->B_RemConfigClick();
    const std::vector<std::string> expected = {
        "Comandos de configuração remota:",
        "Parâmetro inválido! [PING]",
        "Parâmetro inválido! [RS232-B]",
        "Parâmetro inválido! [Aceleração]",
        "Parâmetro inválido! [Desaceleração]",
        "Parâmetro inválido! [Velocidade]",
        "Parâmetro inválido! [Velocidade na Chuva]",
        "Parâmetro inválido! [Rotação do Motor]",
        "Parâmetro inválido! [Tempo ociosidade]",
        "Parâmetro inválido! [Velocidade min. Banguela]",
    };
    EXPECT_EQ(LogLines(), expected);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(RemoteListingTest, TextsAreListedAsTyped) {
    form->B_SetDefaultsClick();
    form->ED_TVMX->setText("05");
    form->B_RemConfigClick();
    EXPECT_EQ(LogLines()[5], "#CVMX[120,05,11]13_______Velocidade");
}

TEST_F(RemoteListingTest, AnInvalidEditIsEmptiedAndTheOtherCommandsListAsUsual) {
    form->B_SetDefaultsClick();
    form->ED_VMX->setText("151");
    form->ED_ACP->setText("300");  // one byte on the unit: refused here as in the write
    form->B_RemConfigClick();
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[3], "Parâmetro inválido! [Aceleração]");
    EXPECT_EQ(lines[4], "#CACN[11,11]06___________Desaceleração");
    EXPECT_EQ(lines[5], "Parâmetro inválido! [Velocidade]");
    EXPECT_EQ(lines[6], "#CVCH[90,5,11]07_________Velocidade na chuva");
    EXPECT_EQ(form->ED_VMX->text(), "");
    EXPECT_EQ(form->ED_ACP->text(), "");
    EXPECT_EQ(form->ED_TVMX->text(), "5");
}

TEST_F(RemoteListingTest, ThereIsNoCommandForPortAOrTheEngineBrake) {
    form->B_SetDefaultsClick();
    form->CB_A232->SetItemIndex(-1);
    form->ED_VEBK->clear();
    form->B_RemConfigClick();
    for (const std::string& line : LogLines()) EXPECT_EQ(line.find("inválido"), std::string::npos) << line;
}

}  // namespace
}  // namespace orvel::testing
