// The production station: identifier log, code capture, match mark, width toggle.
#include "app/Unit1.h"

namespace orvel {

void TForm1::LogUnitId(const ::orvel::DeviceInfo&) {}
void TForm1::FormKeyDown(uint16_t, bool, bool, bool) {}
void TForm1::Edit1Change() {}
void TForm1::Label7Click() {}
void TForm1::Label8Click() {}
void TForm1::Label0Click() {}
void TForm1::L_ClearClick() {}

}  // namespace orvel
