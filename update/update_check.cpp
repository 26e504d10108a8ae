// The tool update check and the download offer.
#include "app/Unit1.h"

namespace orvel {

void TForm1::Timer4Timer() {}
void TForm1::L_SiteClick() {}
void TForm1::L_SiteMouseEnter() {}
void TForm1::L_SiteMouseLeave() {}
void TForm1::L_MsgClick() {}

}  // namespace orvel
