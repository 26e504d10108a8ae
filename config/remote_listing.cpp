// The remote configuration command listing.
#include "app/Unit1.h"

namespace orvel {

void TForm1::B_RemConfigClick() {}

}  // namespace orvel
