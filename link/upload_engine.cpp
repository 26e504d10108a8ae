// The block upload engine.
#include "app/Unit1.h"

namespace orvel {

void TForm1::TxInit() {}
void TForm1::Timer1Timer() { Timer1->stop(); }
void TForm1::SendPackage() {}
uint32_t TForm1::MakeTransferId(uint32_t) { return 0; }
void TForm1::HandleAck(std::span<const uint8_t>) {}
// Counting the NACK belongs to the receive path's bookkeeping; the engine's share
// (an extra tick while an upload runs) comes with the engine.
void TForm1::HandleNack() { ++ErrorCounters.Nacks; }

}  // namespace orvel
