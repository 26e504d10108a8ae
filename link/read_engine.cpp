// The block read engine.
#include "app/Unit1.h"

namespace orvel {

void TForm1::B_GetConfigClick() {}
void TForm1::Timer3Timer() { Timer3->stop(); }
void TForm1::RequestPackage() {}
bool TForm1::HandleReadReply(std::span<const uint8_t>) { return true; }

}  // namespace orvel
