// The two presets of the editor and the rules that keep "Durante" apart from "Entrada"
// and "Saída" of the same condition.
#include <optional>

#include "app/Unit1.h"
#include "config/editor_controls.h"

namespace orvel {

namespace {

struct ConditionPreset {
    std::array<const char*, 3> texts;  // the group's edits in order; nullptr past the last
    bool evIn, evOut, bzIn, bzOut;
    std::optional<bool> bzWh;  // nullopt: not touched
};

struct Preset {
    int ping, a232, b232;  // list positions
    const char* acp;
    bool evAcp, bzAcp;
    const char* acn;
    bool evAcn, bzAcn;
    ConditionPreset vmx, vch, rpx, osc, bgl;
};

// The default preset leaves "Durante" to the rules: ticking "Entrada" unticks it.
constexpr Preset kDefaultPreset = {
    8, 3, 1,
    "11", true, true,
    "11", true, true,
    {{"120", "5", nullptr}, true, false, true, false, std::nullopt},
    {{"90", "5", nullptr}, true, false, true, false, std::nullopt},
    {{"4500", "5", nullptr}, true, false, true, false, std::nullopt},
    {{"6", "7", nullptr}, true, false, true, false, std::nullopt},
    {{"40", "900", "5"}, true, false, true, false, std::nullopt},
};

constexpr Preset kRotavalPreset = {
    5, 3, 1,
    "11", true, false,
    "11", true, false,
    {{"100", "10", nullptr}, true, true, false, false, false},
    {{"80", "10", nullptr}, true, true, false, false, false},
    {{"4500", "5", nullptr}, true, true, false, false, false},
    {{"1", "7", nullptr}, true, true, false, false, false},
    {{"40", "900", "5"}, true, true, false, false, false},
};

void ApplyCondition(const ConditionPreset& p, std::array<QLineEdit*, 3> edits, const ConditionBoxes& b) {
    for (size_t i = 0; i < edits.size() && p.texts[i]; ++i) edits[i]->setText(p.texts[i]);
    b.evIn->setChecked(p.evIn);
    b.evOut->setChecked(p.evOut);
    b.bzIn->setChecked(p.bzIn);
    b.bzOut->setChecked(p.bzOut);
    if (p.bzWh) b.bzWh->setChecked(*p.bzWh);
}

// Strictly in table order: the boxes' rules run as each box changes.
void ApplyPreset(TForm1& f, const Preset& p) {
    f.CB_PING->SetItemIndex(p.ping);
    f.CB_A232->SetItemIndex(p.a232);
    f.CB_B232->SetItemIndex(p.b232);
    f.ED_ACP->setText(p.acp);
    f.CB_EV_ACP->setChecked(p.evAcp);
    f.CB_BZ_ACP->setChecked(p.bzAcp);
    f.ED_ACN->setText(p.acn);
    f.CB_EV_ACN->setChecked(p.evAcn);
    f.CB_BZ_ACN->setChecked(p.bzAcn);
    ApplyCondition(p.vmx, {f.ED_VMX, f.ED_TVMX, nullptr}, BoxesOf(f, Condition::VMX));
    ApplyCondition(p.vch, {f.ED_VCH, f.ED_TVCH, nullptr}, BoxesOf(f, Condition::VCH));
    ApplyCondition(p.rpx, {f.ED_RPX, f.ED_TRPX, nullptr}, BoxesOf(f, Condition::RPX));
    ApplyCondition(p.osc, {f.ED_TOSC, f.ED_XOSC, nullptr}, BoxesOf(f, Condition::OSC));
    ApplyCondition(p.bgl, {f.ED_VBGL, f.ED_RBGL, f.ED_TBGL}, BoxesOf(f, Condition::BGL));
}

// A ticked "Durante" unticks "Entrada", then "Saída".
void DuringRule(const ConditionBoxes& b) {
    if (!b.bzWh->isChecked()) return;
    b.bzIn->setChecked(false);
    b.bzOut->setChecked(false);
}

// A ticked "Entrada" or "Saída" unticks "Durante".
void EdgeRule(QCheckBox* box, const ConditionBoxes& b) {
    if (box->isChecked()) b.bzWh->setChecked(false);
}

}  // namespace

void TForm1::B_SetDefaultsClick() { ApplyPreset(*this, kDefaultPreset); }
void TForm1::B_SetRotavalClick() { ApplyPreset(*this, kRotavalPreset); }

void TForm1::CB_BZ_VMX_WHClick() { DuringRule(BoxesOf(*this, Condition::VMX)); }
void TForm1::CB_BZ_VMX_INClick() { EdgeRule(CB_BZ_VMX_IN, BoxesOf(*this, Condition::VMX)); }
void TForm1::CB_BZ_VMX_OUTClick() { EdgeRule(CB_BZ_VMX_OUT, BoxesOf(*this, Condition::VMX)); }
void TForm1::CB_BZ_VCH_WHClick() { DuringRule(BoxesOf(*this, Condition::VCH)); }
void TForm1::CB_BZ_VCH_INClick() { EdgeRule(CB_BZ_VCH_IN, BoxesOf(*this, Condition::VCH)); }
void TForm1::CB_BZ_VCH_OUTClick() { EdgeRule(CB_BZ_VCH_OUT, BoxesOf(*this, Condition::VCH)); }
void TForm1::CB_BZ_RPX_WHClick() { DuringRule(BoxesOf(*this, Condition::RPX)); }
void TForm1::CB_BZ_RPX_INClick() { EdgeRule(CB_BZ_RPX_IN, BoxesOf(*this, Condition::RPX)); }
void TForm1::CB_BZ_RPX_OUTClick() { EdgeRule(CB_BZ_RPX_OUT, BoxesOf(*this, Condition::RPX)); }
void TForm1::CB_BZ_OSC_WHClick() { DuringRule(BoxesOf(*this, Condition::OSC)); }
void TForm1::CB_BZ_OSC_INClick() { EdgeRule(CB_BZ_OSC_IN, BoxesOf(*this, Condition::OSC)); }
void TForm1::CB_BZ_OSC_OUTClick() { EdgeRule(CB_BZ_OSC_OUT, BoxesOf(*this, Condition::OSC)); }
void TForm1::CB_BZ_BGL_WHClick() { DuringRule(BoxesOf(*this, Condition::BGL)); }
void TForm1::CB_BZ_BGL_INClick() { EdgeRule(CB_BZ_BGL_IN, BoxesOf(*this, Condition::BGL)); }
void TForm1::CB_BZ_BGL_OUTClick() { EdgeRule(CB_BZ_BGL_OUT, BoxesOf(*this, Condition::BGL)); }

}  // namespace orvel
