// Identification of the unit from its information record, and the update decision.
#include "app/Unit1.h"

namespace orvel {

bool TForm1::HandleInfoRecord(std::span<const uint8_t>) { return true; }
void TForm1::HandleOperationModeNotice() {}

}  // namespace orvel
