#pragma once
// Where the editor's values live in the window: the controls are the configuration's data
// model, so the write, the listing, the presets and the read-back all go through here.
#include <QCheckBox>
#include <QLineEdit>
#include <array>

#include "app/Unit1.h"
#include "config/field_validation.h"

namespace orvel {

// The five boxes of a condition with "Entrada", "Saída" and "Durante" buzzer choices.
struct ConditionBoxes {
    QCheckBox* bzIn;
    QCheckBox* bzOut;
    QCheckBox* bzWh;
    QCheckBox* evIn;
    QCheckBox* evOut;
};

// The five such conditions, in image order: VMX, VCH, RPX, OSC, BGL.
enum class Condition : uint8_t { VMX, VCH, RPX, OSC, BGL };
ConditionBoxes BoxesOf(const TForm1& form, Condition condition);

QLineEdit* EditFor(const TForm1& form, ConfigEdit edit);

// Option byte of a condition's boxes, and of an acceleration group's two boxes.
uint8_t OptionOf(const ConditionBoxes& boxes);
uint8_t OptionOf(const QCheckBox* buzzer, const QCheckBox* event);

// Everything the editor shows, as plain values.
EditorValues ReadEditorValues(const TForm1& form);

// Shows `value` in `edit`. The edit's length limit is for typing: a longer number read
// from a unit is shown whole rather than cut.
void ShowNumber(QLineEdit* edit, uint32_t value);

// Shows decoded image fields in the editor, in ascending order of offset. A list value
// outside its table leaves the list as it is; an option digit over its limit leaves its
// boxes as they are. Each box set runs its rule, as a click would.
void ShowConfigFields(TForm1& form, const ConfigFields& fields);

}  // namespace orvel
