// Port selection and connection.
#include "app/Unit1.h"

namespace orvel {

void TForm1::ComboBox1DropDown() {}
void TForm1::ButtonVCPClick() {}
void TForm1::ButtonVCPState(bool) {}
void TForm1::Timer2Timer() { Timer2->stop(); }

}  // namespace orvel
