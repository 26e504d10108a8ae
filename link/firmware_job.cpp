// The firmware upload job and the jump command.
#include "app/Unit1.h"

namespace orvel {

void TForm1::B_FwTxClick() {}
void TForm1::B_FwJumpClick() {}

}  // namespace orvel
