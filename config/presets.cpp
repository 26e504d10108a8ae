// The two presets and the buzzer-option rules.
#include "app/Unit1.h"

namespace orvel {

void TForm1::B_SetDefaultsClick() {}
void TForm1::B_SetRotavalClick() {}
void TForm1::CB_BZ_VMX_WHClick() {}
void TForm1::CB_BZ_VMX_INClick() {}
void TForm1::CB_BZ_VMX_OUTClick() {}
void TForm1::CB_BZ_VCH_WHClick() {}
void TForm1::CB_BZ_VCH_INClick() {}
void TForm1::CB_BZ_VCH_OUTClick() {}
void TForm1::CB_BZ_RPX_WHClick() {}
void TForm1::CB_BZ_RPX_INClick() {}
void TForm1::CB_BZ_RPX_OUTClick() {}
void TForm1::CB_BZ_OSC_WHClick() {}
void TForm1::CB_BZ_OSC_INClick() {}
void TForm1::CB_BZ_OSC_OUTClick() {}
void TForm1::CB_BZ_BGL_WHClick() {}
void TForm1::CB_BZ_BGL_INClick() {}
void TForm1::CB_BZ_BGL_OUTClick() {}

}  // namespace orvel
