#include <variant>

#include "config/editor_controls.h"
#include "config/field_validation.h"
#include "config/remote_commands.h"
#include "config_fixture.h"

namespace orvel::testing {
namespace {

// ------------------------------------------------------------------ the plain rules

TEST(IsDigits, AcceptsOnlyANonEmptyRunOfAsciiDigits) {
    struct Case {
        const char* text;
        bool digits;
    } cases[] = {
        {"0", true},     {"0123456789", true}, {"05", true},   {"", false},  {"12a", false},
        {"-5", false},   {"+5", false},        {" 7", false},  {"7 ", false}, {"1.5", false},
        {"١٢", false},  // Arabic-Indic digits are not 0 to 9
    };
    for (const Case& c : cases) EXPECT_EQ(IsDigits(c.text), c.digits) << '"' << c.text << '"';
}

// The editor's values after "preencher valores padrão".
EditorValues DefaultValues() {
    EditorValues v;
    v.PING = 8;
    v.A232 = 3;
    v.B232 = 1;
    const char* texts[] = {"11", "11", "120", "5", "90", "5", "4500", "5", "6", "7", "40", "900", "5"};
    for (size_t i = 0; i < kConfigEditCount; ++i) v.texts[i] = texts[i];
    v.OPT_ACP = v.OPT_ACN = v.OPT_VMX = v.OPT_VCH = v.OPT_RPX = v.OPT_OSC = v.OPT_BGL = 11;
    return v;
}

// Which listing line carries an edit's command (0 PING, 1 RS232-B, then ACP ...).
size_t ListingLineOf(ConfigEdit e) {
    switch (e) {
        case ConfigEdit::ACP: return 2;
        case ConfigEdit::ACN: return 3;
        case ConfigEdit::VMX: case ConfigEdit::TVMX: return 4;
        case ConfigEdit::VCH: case ConfigEdit::TVCH: return 5;
        case ConfigEdit::RPX: case ConfigEdit::TRPX: return 6;
        case ConfigEdit::TOSC: case ConfigEdit::XOSC: return 7;
        case ConfigEdit::VBGL: case ConfigEdit::RBGL: case ConfigEdit::TBGL: return 8;
    }
    return 0;
}

TEST(FieldValidation, EveryEditKeepsItsBoundsInTheWriteAndInTheListing) {
    using E = ConfigEdit;
    // The two wordings, restated here on purpose ("osciosidade" in the box, "ociosidade" in the listing).
    struct Names {
        E edit;
        const char* box;
        const char* line;
    } names[] = {
        {E::ACP, "Parâmetro inválido!\r\n[Aceleração]", "Parâmetro inválido! [Aceleração]"},
        {E::ACN, "Parâmetro inválido!\r\n[Desaceleração]", "Parâmetro inválido! [Desaceleração]"},
        {E::VMX, "Parâmetro inválido!\r\n[Velocidade]", "Parâmetro inválido! [Velocidade]"},
        {E::TVMX, "Parâmetro inválido!\r\n[Tempo validação Velocidade]", "Parâmetro inválido! [Tempo validação Velocidade]"},
        {E::VCH, "Parâmetro inválido!\r\n[Velocidade na Chuva]", "Parâmetro inválido! [Velocidade na Chuva]"},
        {E::TVCH, "Parâmetro inválido!\r\n[Tempo validação Velocidade na Chuva]",
         "Parâmetro inválido! [Tempo validação Velocidade na Chuva]"},
        {E::RPX, "Parâmetro inválido!\r\n[Rotação do Motor]", "Parâmetro inválido! [Rotação do Motor]"},
        {E::TRPX, "Parâmetro inválido!\r\n[Tempo validação Rotação]", "Parâmetro inválido! [Tempo validação Rotação]"},
        {E::TOSC, "Parâmetro inválido!\r\n[Tempo osciosidade]", "Parâmetro inválido! [Tempo ociosidade]"},
        {E::XOSC, "Parâmetro inválido!\r\n[Tempo excessão manobra]", "Parâmetro inválido! [Tempo excessão manobra]"},
        {E::VBGL, "Parâmetro inválido!\r\n[Velocidade min. Banguela]", "Parâmetro inválido! [Velocidade min. Banguela]"},
        {E::RBGL, "Parâmetro inválido!\r\n[Rotação max. Banguela]", "Parâmetro inválido! [Rotação max. Banguela]"},
        {E::TBGL, "Parâmetro inválido!\r\n[Tempo validação Banguela]", "Parâmetro inválido! [Tempo validação Banguela]"},
    };
    // Per edit: the last good values, the first bad ones, and texts that are no number.
    struct Bound {
        E edit;
        std::vector<const char*> good, bad;
    } bounds[] = {
        {E::ACP, {"0", "255", "011"}, {"256", "300"}},  // one byte: 300 must not become 44
        {E::ACN, {"0", "255"}, {"256", "999"}},
        {E::VMX, {"0", "150"}, {"151"}},
        {E::TVMX, {"0", "60"}, {"61"}},
        {E::VCH, {"0", "150"}, {"151"}},
        {E::TVCH, {"0", "60"}, {"61"}},
        {E::RPX, {"1000", "9999"}, {"999", "0"}},
        {E::TRPX, {"0", "60"}, {"61"}},
        {E::TOSC, {"1", "99"}, {"0"}},
        {E::XOSC, {"0", "60"}, {"61"}},
        {E::VBGL, {"1", "255"}, {"0", "256", "300"}},  // one byte, like ACP
        {E::RBGL, {"300", "1000"}, {"299", "1001"}},
        {E::TBGL, {"0", "30"}, {"31"}},
    };
    for (const Bound& b : bounds) {
        std::vector<const char*> bad = b.bad;
        bad.insert(bad.end(), {"", "12a", "-5", " 7"});
        const Names& n = names[static_cast<size_t>(b.edit)];
        ASSERT_EQ(n.edit, b.edit);
        for (const char* text : b.good) {
            EditorValues v = DefaultValues();
            v.Text(b.edit) = text;
            EXPECT_TRUE(std::holds_alternative<ConfigFields>(FieldsForWrite(v))) << n.box << " '" << text << "'";
            const ListingLine line = RemoteListing(v)[ListingLineOf(b.edit)];
            EXPECT_FALSE(line.emptied) << line.text;
            EXPECT_NE(line.text.find(std::string(text) + ","), std::string::npos) << line.text;
        }
        for (const char* text : bad) {
            EditorValues v = DefaultValues();
            v.Text(b.edit) = text;
            const auto result = FieldsForWrite(v);
            ASSERT_TRUE(std::holds_alternative<FieldFault>(result)) << n.box << " '" << text << "'";
            EXPECT_EQ(std::get<FieldFault>(result).message, n.box) << "'" << text << "'";
            EXPECT_EQ(std::get<FieldFault>(result).edit, b.edit) << "'" << text << "'";
            const ListingLine line = RemoteListing(v)[ListingLineOf(b.edit)];
            EXPECT_EQ(line.text, n.line) << "'" << text << "'";
            EXPECT_EQ(line.emptied, b.edit) << "'" << text << "'";
        }
    }
}

TEST(FieldValidation, ALongRunOfDigitsIsRefusedNotWrappedIntoRange) {
    EditorValues v = DefaultValues();
    v.Text(ConfigEdit::RPX) = "4294968296";  // 2^32 + 1000
    EXPECT_TRUE(std::holds_alternative<FieldFault>(FieldsForWrite(v)));
    v.Text(ConfigEdit::RPX) = "00000000004500";  // leading zeros alone are harmless
    ASSERT_TRUE(std::holds_alternative<ConfigFields>(FieldsForWrite(v)));
    EXPECT_EQ(std::get<ConfigFields>(FieldsForWrite(v)).RPX, 4500);
}

TEST(FieldValidation, ListsAreCheckedInImageOrderBeforeAnyEdit) {
    struct Case {
        int ping, a232, b232;
        bool emptyAcp;
        const char* message;
    } cases[] = {
        {-1, -1, -1, true, "Parâmetro inválido!\r\n[PING]"},
        {8, -1, -1, true, "Parâmetro inválido!\r\n[RS232-A]"},
        {8, 3, -1, true, "Parâmetro inválido!\r\n[RS232-B]"},
        {8, 3, 1, true, "Parâmetro inválido!\r\n[Aceleração]"},
        {10, 3, 1, false, "Parâmetro inválido!\r\n[PING]"},  // past the table
        {8, 4, 1, false, "Parâmetro inválido!\r\n[RS232-A]"},
    };
    for (const Case& c : cases) {
        EditorValues v = DefaultValues();
        v.PING = c.ping;
        v.A232 = c.a232;
        v.B232 = c.b232;
        if (c.emptyAcp) v.Text(ConfigEdit::ACP).clear();
        const auto result = FieldsForWrite(v);
        ASSERT_TRUE(std::holds_alternative<FieldFault>(result)) << c.message;
        EXPECT_EQ(std::get<FieldFault>(result).message, c.message);
        EXPECT_EQ(std::get<FieldFault>(result).edit.has_value(), std::string(c.message).find("Acel") != std::string::npos);
    }
}

// ------------------------------------------------------------------ the write in the window

class ConfigEditor : public ConfigFormTest {
protected:
    void TypeDistinctValues() {
        form->CB_PING->SetItemIndex(2);  // 15 s
        form->CB_A232->SetItemIndex(0);  // 9600
        form->CB_B232->SetItemIndex(2);  // 57600
        const char* texts[] = {"201", "202", "103", "14", "105", "16", "1007", "18", "19", "20", "121", "322", "23"};
        for (size_t i = 0; i < kConfigEditCount; ++i) Edits()[i]->setText(texts[i]);
        form->CB_BZ_ACP->setChecked(true);
        form->CB_EV_ACN->setChecked(true);
        form->CB_BZ_VMX_OUT->setChecked(true);
        form->CB_EV_VMX_OUT->setChecked(true);
        form->CB_BZ_VCH_WH->setChecked(true);
        form->CB_EV_VCH_IN->setChecked(true);
        form->CB_BZ_RPX_IN->setChecked(true);
        form->CB_BZ_RPX_OUT->setChecked(true);
        form->CB_EV_RPX_IN->setChecked(true);
        form->CB_EV_RPX_OUT->setChecked(true);
        form->CB_BZ_BGL_IN->setChecked(true);
        form->CB_EV_BGL_IN->setChecked(true);
        form->CB_EV_BGL_OUT->setChecked(true);
    }
    static ConfigFields DistinctFields() {
        return {.PING = 15, .A232 = 96, .B232 = 576, .ACP = 201, .ACN = 202, .OPT_ACP = 10, .OPT_ACN = 1,
                .OPT_VMX = 22, .VMX = 103, .TVMX = 14, .OPT_VCH = 41, .VCH = 105, .TVCH = 16, .OPT_RPX = 33,
                .RPX = 1007, .TRPX = 18, .OPT_OSC = 0, .TOSC = 19, .XOSC = 20, .OPT_BGL = 13, .VBGL = 121,
                .RBGL = 322, .TBGL = 23};
    }
};

TEST_F(ConfigEditor, EveryControlGoesIntoItsOwnFieldOfTheImage) {
    TypeDistinctValues();
    form->B_SetConfigClick();
    EXPECT_EQ(EditorErrorBoxes(), 0u);
    ExpectConfigJobFor(DistinctFields());
}

TEST_F(ConfigEditor, AFieldOutOfBoundsShowsItsBoxEmptiesOnlyThatEditAndStartsNothing) {
    TypeDistinctValues();
    form->ED_VMX->setText("200");
    form->ED_TVMX->clear();
    form->B_SetConfigClick();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "Parâmetro inválido!\r\n[Velocidade]");
    EXPECT_EQ(fake.boxes.shown[0].caption, "Erro");
    EXPECT_EQ(fake.boxes.shown[0].flags, uint32_t{MB_OK | MB_ICONEXCLAMATION});
    EXPECT_EQ(form->ED_VMX->text(), "");
    EXPECT_EQ(form->ED_ACP->text(), "201");
    EXPECT_EQ(form->ED_TBGL->text(), "23");
    EXPECT_EQ(form->TransferJob.JobCode, 0);
    EXPECT_EQ(form->TransferJob.Data, nullptr);
    EXPECT_TRUE(std::all_of(form->WriteImage.begin(), form->WriteImage.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(fake.port.writes.empty());
}

TEST_F(ConfigEditor, Acp300IsRefusedInsteadOfBeingWrittenAsItsLowByte) {
    TypeDistinctValues();
    form->ED_ACP->setText("300");
    form->B_SetConfigClick();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "Parâmetro inválido!\r\n[Aceleração]");
    EXPECT_EQ(form->ED_ACP->text(), "");
    EXPECT_EQ(form->TransferJob.JobCode, 0);
}

TEST_F(ConfigEditor, AListWithoutSelectionRefusesTheWriteAndLeavesTheEditsAlone) {
    TypeDistinctValues();
    form->CB_A232->SetItemIndex(-1);
    form->B_SetConfigClick();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "Parâmetro inválido!\r\n[RS232-A]");
    EXPECT_EQ(fake.boxes.shown[0].caption, "Erro");
    EXPECT_EQ(fake.boxes.shown[0].flags, uint32_t{MB_OK | MB_ICONEXCLAMATION});
    for (QLineEdit* e : Edits()) EXPECT_FALSE(e->text().isEmpty()) << e->objectName().toStdString();
    EXPECT_EQ(form->TransferJob.JobCode, 0);
}

TEST_F(ConfigEditor, AFailedWriteLeavesTheLastImageAndItsJobAsTheyWere) {
    TypeDistinctValues();
    form->B_SetConfigClick();
    const Image before = BuiltImage(DistinctFields());
    form->ED_TBGL->setText("31");
    form->ED_ACP->setText("7");
    form->B_SetConfigClick();
    EXPECT_EQ(EditorErrorBoxes(), 1u);
    // An upload may still be sending WriteImage: not one byte of it changes.
    ExpectConfigJobFor(DistinctFields());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), form->WriteImage.begin()));
}

// Records what the offending edit held while the box was up.
class PeekingBoxes : public MessageBoxes {
public:
    QLineEdit* watched = nullptr;
    QString textWhileShown;
    int Show(const std::string&, const std::string&, uint32_t) override {
        textWhileShown = watched->text();
        return IDOK;
    }
};

TEST_F(ConfigEditor, TheOffendingEditIsEmptiedOnlyOnceTheBoxIsClosed) {
    PeekingBoxes boxes;
    Platform p = fake.Get();
    TForm1 window(Platform{p.port, boxes, p.clock, p.web, p.shell, p.exePath});
    window.CB_PING->addItems({"5", "10", "15", "30", "45", "60", "90", "120", "180", "300"});
    window.CB_A232->addItems({"9600", "19200", "57600", "115200"});
    window.CB_B232->addItems({"9600", "19200", "57600", "115200"});
    window.B_SetDefaultsClick();
    window.ED_RBGL->setText("1001");
    boxes.watched = window.ED_RBGL;
    window.B_SetConfigClick();
    EXPECT_EQ(boxes.textWhileShown, "1001");
    EXPECT_EQ(window.ED_RBGL->text(), "");
}

TEST_F(ConfigEditor, LeadingZerosAreReadAsTheNumber) {
    form->B_SetDefaultsClick();
    form->ED_TVMX->setText("05");
    form->ED_VMX->setText("0");
    form->B_SetConfigClick();
    EXPECT_EQ(EditorErrorBoxes(), 0u);
    ConfigFields expected = kDefaultPresetFields;
    expected.VMX = 0;
    ExpectConfigJobFor(expected);
}

}  // namespace
}  // namespace orvel::testing
