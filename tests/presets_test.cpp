#include "config/editor_controls.h"
#include "config_fixture.h"

namespace orvel::testing {
namespace {

class Presets : public ConfigFormTest {
protected:
    struct Buzzer {
        bool in, out, wh;
        bool operator==(const Buzzer&) const = default;
    };
    static Buzzer StateOf(const ConditionBoxes& b) {
        return {b.bzIn->isChecked(), b.bzOut->isChecked(), b.bzWh->isChecked()};
    }
    static void Set(const ConditionBoxes& b, Buzzer s) {
        // Set without the rules, to start from a given state.
        for (auto [box, on] : {std::pair{b.bzIn, s.in}, {b.bzOut, s.out}, {b.bzWh, s.wh}}) {
            const QSignalBlocker quiet(box);
            box->setChecked(on);
        }
    }
    static constexpr Condition kConditions[] = {Condition::VMX, Condition::VCH, Condition::RPX, Condition::OSC,
                                                Condition::BGL};
};

TEST_F(Presets, EachPresetThenTheWriteBuildsItsGoldenImage) {
    struct Case {
        const char* what;
        void (TForm1::*click)();
        const ConfigFields& fields;
        std::vector<uint8_t> head;
        uint8_t xor8;
        uint32_t sum32;
    } cases[] = {
        {"default", &TForm1::B_SetDefaultsClick, kDefaultPresetFields,
         {0xCA, 0xFE, 0xF0, 0xDA, 0x00, 0x1E, 0x01, 0x02, 0x00, 0xB4, 0x04, 0x80, 0x00, 0xC0, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x78,
          0x05, 0x0B, 0x5A, 0x05, 0x0B, 0x11, 0x94, 0x05, 0x0B, 0x06, 0x07, 0x0B, 0x28, 0x03, 0x84, 0x05, 0x00, 0x08, 0x55},
         0x53, 0x0007C9E9},
        {"rotaval", &TForm1::B_SetRotavalClick, kRotavalPresetFields,
         {0xCA, 0xFE, 0xF0, 0xDA, 0x00, 0x1E, 0x01, 0x02, 0x00, 0x3C, 0x04, 0x80, 0x00, 0xC0, 0x0B, 0x0B, 0x01, 0x01, 0x03, 0x64,
          0x0A, 0x03, 0x50, 0x0A, 0x03, 0x11, 0x94, 0x05, 0x03, 0x01, 0x07, 0x03, 0x28, 0x03, 0x84, 0x05, 0x00, 0x07, 0x88},
         0x10, 0x0007C94E},
    };
    for (const Case& c : cases) {
        // Start from an editor full of other values, "Durante" ticked everywhere.
        form->B_SetRotavalClick();
        form->B_SetDefaultsClick();
        for (Condition k : kConditions) BoxesOf(*form, k).bzWh->setChecked(true);
        for (QLineEdit* e : Edits()) e->setText("7");
        (form.get()->*c.click)();
        form->B_SetConfigClick();
        EXPECT_EQ(EditorErrorBoxes(), 0u) << c.what;
        ExpectConfigJobFor(c.fields);
        EXPECT_EQ(std::vector<uint8_t>(form->WriteImage.begin(), form->WriteImage.begin() + 39), c.head) << c.what;
        EXPECT_TRUE(std::all_of(form->WriteImage.begin() + 39, form->WriteImage.end(), [](uint8_t b) { return b == 0xFF; }));
        EXPECT_EQ(form->TransferJob.XOR8, c.xor8) << c.what;
        EXPECT_EQ(form->TransferJob.SUM32, c.sum32) << c.what;
    }
}

TEST_F(Presets, PresetsShowTheirTextsAndSelectionsAndTouchNothingElse) {
    form->Cb_Rotaval->setChecked(true);
    form->CB_BZ_EBK_IN->setChecked(true);
    form->ED_VEBK->setText("77");
    form->B_SetRotavalClick();
    EXPECT_EQ(form->CB_PING->currentText(), "60");
    EXPECT_EQ(form->CB_A232->currentText(), "115200");
    EXPECT_EQ(form->CB_B232->currentText(), "19200");
    EXPECT_EQ(form->ED_VMX->text(), "100");
    EXPECT_EQ(form->ED_TVMX->text(), "10");
    EXPECT_EQ(form->ED_TOSC->text(), "1");
    form->B_SetDefaultsClick();
    EXPECT_EQ(form->CB_PING->currentText(), "180");
    EXPECT_EQ(form->ED_TOSC->text(), "6");
    EXPECT_EQ(form->ED_RBGL->text(), "900");
    EXPECT_TRUE(form->Cb_Rotaval->isChecked());
    EXPECT_TRUE(form->CB_BZ_EBK_IN->isChecked());
    EXPECT_EQ(form->ED_VEBK->text(), "77");
    EXPECT_FALSE(form->B_SetConfig->isEnabled());
}

TEST_F(Presets, WithDuranteTickedTheDefaultEndsOnEntradaAndRotavalOnNothing) {
    for (auto [click, expected] : {std::pair{&TForm1::B_SetDefaultsClick, Buzzer{true, false, false}},
                                   {&TForm1::B_SetRotavalClick, Buzzer{false, false, false}}}) {
        for (Condition k : kConditions) {
            Set(BoxesOf(*form, k), {false, false, true});
            (form.get()->*click)();
            EXPECT_EQ(StateOf(BoxesOf(*form, k)), expected) << static_cast<int>(k);
        }
    }
}

TEST_F(Presets, BuzzerRulesKeepDuranteApartFromEntradaAndSaida) {
    enum Box { In, Out, Wh };
    struct Case {
        const char* what;
        Buzzer before;
        Box box;
        bool tick;
        Buzzer after;
    } cases[] = {
        {"Durante over Entrada and Saída", {true, true, false}, Wh, true, {false, false, true}},
        {"Entrada over Durante", {false, false, true}, In, true, {true, false, false}},
        {"Saída over Durante", {false, false, true}, Out, true, {false, true, false}},
        {"Entrada beside Saída", {false, true, false}, In, true, {true, true, false}},
        {"Saída beside Entrada", {true, false, false}, Out, true, {true, true, false}},
        {"unticking Entrada", {true, true, false}, In, false, {false, true, false}},
        {"unticking Saída", {true, true, false}, Out, false, {true, false, false}},
        {"unticking Durante", {false, false, true}, Wh, false, {false, false, false}},
        // A set to the state the box already has runs no rule.
        {"no-op set of Durante", {true, false, true}, Wh, true, {true, false, true}},
        {"no-op set of Entrada", {true, false, true}, In, true, {true, false, true}},
    };
    for (Condition k : kConditions) {
        const ConditionBoxes b = BoxesOf(*form, k);
        for (const Case& c : cases) {
            Set(b, c.before);
            const bool evIn = b.evIn->isChecked(), evOut = b.evOut->isChecked();
            (c.box == In ? b.bzIn : c.box == Out ? b.bzOut : b.bzWh)->setChecked(c.tick);
            EXPECT_EQ(StateOf(b), c.after) << c.what << " in condition " << static_cast<int>(k);
            EXPECT_EQ(b.evIn->isChecked(), evIn);
            EXPECT_EQ(b.evOut->isChecked(), evOut);
        }
    }
}

TEST_F(Presets, ARuleActsOnlyInsideItsOwnCondition) {
    for (Condition k : kConditions) {
        for (Condition other : kConditions) Set(BoxesOf(*form, other), {true, true, false});
        BoxesOf(*form, k).bzWh->setChecked(true);
        for (Condition other : kConditions) {
            const Buzzer expected = other == k ? Buzzer{false, false, true} : Buzzer{true, true, false};
            EXPECT_EQ(StateOf(BoxesOf(*form, other)), expected) << static_cast<int>(k) << " -> " << static_cast<int>(other);
        }
        BoxesOf(*form, k).bzWh->setChecked(false);
    }
}

TEST_F(Presets, EventAndAccelerationBoxesHaveNoRule) {
    form->CB_EV_VMX_IN->setChecked(true);
    form->CB_EV_VMX_OUT->setChecked(true);
    form->CB_BZ_ACP->setChecked(true);
    form->CB_EV_ACP->setChecked(true);
    form->CB_BZ_VMX_WH->setChecked(true);
    EXPECT_TRUE(form->CB_EV_VMX_IN->isChecked());
    EXPECT_TRUE(form->CB_EV_VMX_OUT->isChecked());
    EXPECT_TRUE(form->CB_BZ_ACP->isChecked());
    EXPECT_TRUE(form->CB_EV_ACP->isChecked());
}

}  // namespace
}  // namespace orvel::testing
