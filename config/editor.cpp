// The configuration editor's write.
#include "app/Unit1.h"

namespace orvel {

void TForm1::B_SetConfigClick() {}

}  // namespace orvel
