#include <functional>

#include "config/conformance.h"
#include "config/editor_controls.h"
#include "config/field_validation.h"
#include "config_fixture.h"

namespace orvel::testing {
namespace {

Image WithFields(const ConfigFields& base, const std::function<void(ConfigFields&)>& change) {
    ConfigFields f = base;
    change(f);
    return BuiltImage(f);
}

Image WithByte(const ConfigFields& base, size_t at, uint8_t value) {
    Image img = BuiltImage(base);
    img[at] = value;
    return img;
}

class ReadBackTest : public ConfigFormTest {
protected:
    // As the read engine leaves things: lists emptied, the image in ReadImage.
    void ReadBackOf(const Image& image, bool rotaval) {
        form->Cb_Rotaval->setChecked(rotaval);
        form->CB_PING->SetItemIndex(-1);
        form->CB_A232->SetItemIndex(-1);
        form->CB_B232->SetItemIndex(-1);
        form->WorkArea.ReadImage = image;
        form->ReadBack();
    }
};

TEST_F(ReadBackTest, ImagesAreKeptOrReplacedByThePresetOfTheirMode) {
    const ConfigFields& def = kDefaultPresetFields;
    const ConfigFields& rot = kRotavalPresetFields;
    struct Case {
        const char* what;
        Image image;
        bool rotaval;
        uint32_t deviations;
        const ConfigFields* written;  // nullptr: kept
    } cases[] = {
        {"default image, normal mode", BuiltImage(def), false, 0, nullptr},
        {"Rotaval image, normal mode", BuiltImage(rot), false, 0, nullptr},
        {"Rotaval image, Rotaval mode", BuiltImage(rot), true, 0, nullptr},
        {"default image, Rotaval mode", BuiltImage(def), true, 18, &rot},
        {"port A at 19200, normal mode", WithFields(def, [](ConfigFields& f) { f.A232 = 192; }), false, 1, &def},
        {"port A at 19200, Rotaval mode", WithFields(rot, [](ConfigFields& f) { f.A232 = 192; }), true, 1, &rot},
        {"port A outside the table", WithFields(def, [](ConfigFields& f) { f.A232 = 0; }), false, 2, &def},
        {"magic CA FE F0 DB", WithByte(def, 3, 0xDB), false, 1, &def},
        {"wrong SUM24, Rotaval mode", WithByte(rot, 38, 0x89), true, 1, &rot},
        {"OPT_VMX 50", WithFields(def, [](ConfigFields& f) { f.OPT_VMX = 50; }), false, 1, &def},
        {"OPT_VMX 45", WithFields(def, [](ConfigFields& f) { f.OPT_VMX = 45; }), false, 1, &def},
        {"OPT_ACP 2", WithFields(def, [](ConfigFields& f) { f.OPT_ACP = 2; }), false, 1, &def},
        {"OPT_ACN 20", WithFields(def, [](ConfigFields& f) { f.OPT_ACN = 20; }), false, 1, &def},
        {"PING 0", WithFields(def, [](ConfigFields& f) { f.PING = 0; }), false, 1, &def},
        {"PING 61", WithFields(def, [](ConfigFields& f) { f.PING = 61; }), false, 1, &def},
        {"VMX 200 is shown, not judged", WithFields(def, [](ConfigFields& f) { f.VMX = 200; }), false, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form.reset();  // a fresh window per case
        ConfigFormTest::SetUp();
        ReadBackOf(c.image, c.rotaval);
        EXPECT_EQ(form->DeviationCount, c.deviations);
        const std::vector<std::string> log = LogLines();
        if (!c.written) {
            EXPECT_EQ(log, std::vector<std::string>{"Leitura da configuração interna concluída!"});
            EXPECT_TRUE(form->B_SetConfig->isEnabled());
            EXPECT_EQ(form->TransferJob.JobCode, 0);
            EXPECT_EQ(form->WorkArea.ReadImage, c.image);
            const auto shown = FieldsForWrite(ReadEditorValues(*form));
            if (std::holds_alternative<ConfigFields>(shown)) {
                EXPECT_EQ(BuiltImage(std::get<ConfigFields>(shown)), c.image);
            }
            continue;
        }
        const std::vector<std::string> expected = {
            "Configuração inválida!",
            c.rotaval ? "Preparando configuração Rotaval..." : "Preparando configuração padrão..."};
        EXPECT_EQ(log, expected);
        EXPECT_EQ(LogLineColor(0), QColor(255, 0, 0));
        EXPECT_EQ(LogLineColor(1), QColor(255, 0, 0));
        EXPECT_FALSE(form->B_SetConfig->isEnabled());
        ExpectConfigJobFor(*c.written);
    }
}

TEST_F(ReadBackTest, AnImageThatFailsTheAcceptanceTestIsNotDecoded) {
    ConfigFields f = kDefaultPresetFields;
    f.ACP = 99;
    Image img = BuiltImage(f);
    img[3] = 0xDB;
    QStringList acpTexts;
    QObject::connect(form->ED_ACP, &QLineEdit::textChanged, [&](const QString& t) { acpTexts << t; });
    ReadBackOf(img, false);
    EXPECT_EQ(acpTexts, QStringList{"11"});  // only the preset's value
}

class ShowFieldsTest : public ConfigFormTest {};

TEST_F(ShowFieldsTest, AnOptionDigitOverItsLimitLeavesOnlyItsOwnBoxesAlone) {
    form->B_SetDefaultsClick();  // speed: buzzer and event "Entrada" ticked
    form->CB_EV_VMX_OUT->setChecked(true);
    form->CB_EV_ACP->setChecked(true);
    ConfigFields f = kDefaultPresetFields;
    f.OPT_VMX = 50;  // buzzer digit 5 over 4, event digit 0
    f.OPT_ACP = 2;   // buzzer digit 0, event digit 2 over 1
    ShowConfigFields(*form, f);
    EXPECT_TRUE(form->CB_BZ_VMX_IN->isChecked());
    EXPECT_FALSE(form->CB_BZ_VMX_OUT->isChecked());
    EXPECT_FALSE(form->CB_BZ_VMX_WH->isChecked());
    EXPECT_FALSE(form->CB_EV_VMX_IN->isChecked());
    EXPECT_FALSE(form->CB_EV_VMX_OUT->isChecked());
    EXPECT_FALSE(form->CB_BZ_ACP->isChecked());
    EXPECT_TRUE(form->CB_EV_ACP->isChecked());
}

TEST_F(ShowFieldsTest, EveryBoxEndsShowingItsBitAfterTheRulesHaveRun) {
    struct Case {
        uint8_t option;
        bool before[3];  // in, out, wh
        bool after[5];   // bz in, out, wh, ev in, out
    } cases[] = {
        {40, {true, true, false}, {false, false, true, false, false}},
        {33, {false, false, true}, {true, true, false, true, true}},
        {12, {false, false, true}, {true, false, false, false, true}},
        {21, {true, false, false}, {false, true, false, true, false}},
        {0, {true, true, false}, {false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        const ConditionBoxes b = BoxesOf(*form, Condition::RPX);
        for (auto [box, on] : {std::pair{b.bzIn, c.before[0]}, {b.bzOut, c.before[1]}, {b.bzWh, c.before[2]}}) {
            const QSignalBlocker quiet(box);
            box->setChecked(on);
        }
        ConfigFields f = kDefaultPresetFields;
        f.OPT_RPX = c.option;
        ShowConfigFields(*form, f);
        const bool got[5] = {b.bzIn->isChecked(), b.bzOut->isChecked(), b.bzWh->isChecked(), b.evIn->isChecked(),
                             b.evOut->isChecked()};
        EXPECT_TRUE(std::equal(got, got + 5, c.after)) << int{c.option};
    }
}

TEST_F(ShowFieldsTest, ListsShowTheMatchingEntryOrStayAsTheyWere) {
    ConfigFields f = kDefaultPresetFields;
    f.PING = 0;
    f.A232 = 192;
    ShowConfigFields(*form, f);
    EXPECT_EQ(form->CB_PING->ItemIndex(), -1);
    EXPECT_EQ(form->CB_A232->currentText(), "19200");
    EXPECT_EQ(form->CB_B232->currentText(), "19200");
    EXPECT_EQ(CountDeviations(f, false), 2u);
}

TEST_F(ShowFieldsTest, NumbersLongerThanATechnicianMayTypeAreShownWhole) {
    ConfigFields f = kDefaultPresetFields;
    f.TVMX = 100;
    f.TOSC = 255;
    f.RPX = 12000;
    f.RBGL = 65535;
    f.ACP = 7;
    ShowConfigFields(*form, f);
    EXPECT_EQ(form->ED_TVMX->text(), "100");
    EXPECT_EQ(form->ED_TOSC->text(), "255");
    EXPECT_EQ(form->ED_RPX->text(), "12000");
    EXPECT_EQ(form->ED_RBGL->text(), "65535");
    EXPECT_EQ(form->ED_ACP->text(), "7");
    EXPECT_EQ(form->ED_VMX->text(), "120");
    // What a technician may type is still limited as before.
    EXPECT_EQ(TypingLimitOf(form->ED_TVMX), 2);
    EXPECT_EQ(TypingLimitOf(form->ED_RPX), 4);
}

}  // namespace
}  // namespace orvel::testing
