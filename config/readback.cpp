// Read-back of the unit's configuration and its conformance check.
#include "app/Unit1.h"

namespace orvel {

void TForm1::ReadBack() {}

}  // namespace orvel
