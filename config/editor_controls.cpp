#include "config/editor_controls.h"

#include "config/conformance.h"

namespace orvel {

ConditionBoxes BoxesOf(const TForm1& f, Condition condition) {
    switch (condition) {
        case Condition::VMX:
            return {f.CB_BZ_VMX_IN, f.CB_BZ_VMX_OUT, f.CB_BZ_VMX_WH, f.CB_EV_VMX_IN, f.CB_EV_VMX_OUT};
        case Condition::VCH:
            return {f.CB_BZ_VCH_IN, f.CB_BZ_VCH_OUT, f.CB_BZ_VCH_WH, f.CB_EV_VCH_IN, f.CB_EV_VCH_OUT};
        case Condition::RPX:
            return {f.CB_BZ_RPX_IN, f.CB_BZ_RPX_OUT, f.CB_BZ_RPX_WH, f.CB_EV_RPX_IN, f.CB_EV_RPX_OUT};
        case Condition::OSC:
            return {f.CB_BZ_OSC_IN, f.CB_BZ_OSC_OUT, f.CB_BZ_OSC_WH, f.CB_EV_OSC_IN, f.CB_EV_OSC_OUT};
        case Condition::BGL:
            return {f.CB_BZ_BGL_IN, f.CB_BZ_BGL_OUT, f.CB_BZ_BGL_WH, f.CB_EV_BGL_IN, f.CB_EV_BGL_OUT};
    }
    return {};
}

QLineEdit* EditFor(const TForm1& f, ConfigEdit edit) {
    switch (edit) {
        case ConfigEdit::ACP: return f.ED_ACP;
        case ConfigEdit::ACN: return f.ED_ACN;
        case ConfigEdit::VMX: return f.ED_VMX;
        case ConfigEdit::TVMX: return f.ED_TVMX;
        case ConfigEdit::VCH: return f.ED_VCH;
        case ConfigEdit::TVCH: return f.ED_TVCH;
        case ConfigEdit::RPX: return f.ED_RPX;
        case ConfigEdit::TRPX: return f.ED_TRPX;
        case ConfigEdit::TOSC: return f.ED_TOSC;
        case ConfigEdit::XOSC: return f.ED_XOSC;
        case ConfigEdit::VBGL: return f.ED_VBGL;
        case ConfigEdit::RBGL: return f.ED_RBGL;
        case ConfigEdit::TBGL: return f.ED_TBGL;
    }
    return nullptr;
}

uint8_t OptionOf(const ConditionBoxes& b) {
    return OptionByte(b.bzIn->isChecked(), b.bzOut->isChecked(), b.bzWh->isChecked(), b.evIn->isChecked(),
                      b.evOut->isChecked());
}

uint8_t OptionOf(const QCheckBox* buzzer, const QCheckBox* event) {
    return OptionByte(buzzer->isChecked(), false, false, event->isChecked(), false);
}

EditorValues ReadEditorValues(const TForm1& f) {
    EditorValues v;
    v.PING = f.CB_PING->ItemIndex();
    v.A232 = f.CB_A232->ItemIndex();
    v.B232 = f.CB_B232->ItemIndex();
    for (size_t i = 0; i < kConfigEditCount; ++i)
        v.texts[i] = EditFor(f, static_cast<ConfigEdit>(i))->text().toStdString();
    v.OPT_ACP = OptionOf(f.CB_BZ_ACP, f.CB_EV_ACP);
    v.OPT_ACN = OptionOf(f.CB_BZ_ACN, f.CB_EV_ACN);
    v.OPT_VMX = OptionOf(BoxesOf(f, Condition::VMX));
    v.OPT_VCH = OptionOf(BoxesOf(f, Condition::VCH));
    v.OPT_RPX = OptionOf(BoxesOf(f, Condition::RPX));
    v.OPT_OSC = OptionOf(BoxesOf(f, Condition::OSC));
    v.OPT_BGL = OptionOf(BoxesOf(f, Condition::BGL));
    return v;
}

void ShowNumber(QLineEdit* edit, uint32_t value) {
    edit->setText(QString::number(value));
}

namespace {

// A value outside the list's table leaves the list as it is (the read emptied it).
void SelectIfListed(DropDownList* list, std::span<const int32_t> table, uint16_t value) {
    if (const auto index = TableIndex(table, value)) list->SetItemIndex(*index);
}

// A digit over its limit leaves its boxes as they are; setting a box runs its rule.
void ShowOption(uint8_t option, DigitLimits limits, std::initializer_list<QCheckBox*> buzzerBits,
                std::initializer_list<QCheckBox*> eventBits) {
    if (BuzzerDigitOk(option, limits)) {
        int bit = 0;
        for (QCheckBox* box : buzzerBits) box->setChecked((BuzzerDigit(option) >> bit++) & 1);
    }
    if (EventDigitOk(option, limits)) {
        int bit = 0;
        for (QCheckBox* box : eventBits) box->setChecked((EventDigit(option) >> bit++) & 1);
    }
}

void ShowCondition(const ConditionBoxes& b, uint8_t option) {
    ShowOption(option, kConditionDigitLimits, {b.bzIn, b.bzOut, b.bzWh}, {b.evIn, b.evOut});
}

}  // namespace

void ShowConfigFields(TForm1& f, const ConfigFields& v) {
    SelectIfListed(f.CB_PING, kPingTable, v.PING);
    SelectIfListed(f.CB_A232, kRateTable, v.A232);
    SelectIfListed(f.CB_B232, kRateTable, v.B232);
    ShowNumber(f.ED_ACP, v.ACP);
    ShowNumber(f.ED_ACN, v.ACN);
    ShowOption(v.OPT_ACP, kAccelerationDigitLimits, {f.CB_BZ_ACP}, {f.CB_EV_ACP});
    ShowOption(v.OPT_ACN, kAccelerationDigitLimits, {f.CB_BZ_ACN}, {f.CB_EV_ACN});
    ShowCondition(BoxesOf(f, Condition::VMX), v.OPT_VMX);
    ShowNumber(f.ED_VMX, v.VMX);
    ShowNumber(f.ED_TVMX, v.TVMX);
    ShowCondition(BoxesOf(f, Condition::VCH), v.OPT_VCH);
    ShowNumber(f.ED_VCH, v.VCH);
    ShowNumber(f.ED_TVCH, v.TVCH);
    ShowCondition(BoxesOf(f, Condition::RPX), v.OPT_RPX);
    ShowNumber(f.ED_RPX, v.RPX);
    ShowNumber(f.ED_TRPX, v.TRPX);
    ShowCondition(BoxesOf(f, Condition::OSC), v.OPT_OSC);
    ShowNumber(f.ED_TOSC, v.TOSC);
    ShowNumber(f.ED_XOSC, v.XOSC);
    ShowCondition(BoxesOf(f, Condition::BGL), v.OPT_BGL);
    ShowNumber(f.ED_VBGL, v.VBGL);
    ShowNumber(f.ED_RBGL, v.RBGL);
    ShowNumber(f.ED_TBGL, v.TBGL);
}

}  // namespace orvel
