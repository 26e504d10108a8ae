// The block upload engine.
#include "app/Unit1.h"

namespace orvel {

void TForm1::TxInit() {}
void TForm1::Timer1Timer() { Timer1->stop(); }
void TForm1::SendPackage() {}
uint32_t TForm1::MakeTransferId(uint32_t) { return 0; }
void TForm1::HandleAck(std::span<const uint8_t>) {}
void TForm1::HandleNack() {}

}  // namespace orvel
