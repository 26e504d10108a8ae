// Read-back of the unit's configuration: acceptance test, display in the editor,
// conformance check, and the preset written back at once when the image is not kept.
#include "app/Unit1.h"
#include "config/config_image.h"
#include "config/conformance.h"
#include "config/editor_controls.h"

namespace orvel {

void TForm1::ReadBack() {
    DeviationCount = 0;
    if (!AcceptConfigImage(WorkArea.ReadImage)) {
        ++DeviationCount;  // nothing decoded: the editor keeps what it showed
    } else {
        const bool rotaval = Cb_Rotaval->isChecked();
        const ConfigFields fields = DecodeConfigImage(WorkArea.ReadImage);
        ShowConfigFields(*this, fields);
        DeviationCount += CountDeviations(fields, rotaval);
    }
    if (DeviationCount == 0) {
        AppendLog("Leitura da configuração interna concluída!");
        B_SetConfig->setEnabled(true);
        return;
    }
    SetLogRed();
    AppendLog("Configuração inválida!");
    if (Cb_Rotaval->isChecked()) {
        AppendLog("Preparando configuração Rotaval...");
        B_SetRotavalClick();
    } else {
        AppendLog("Preparando configuração padrão...");
        B_SetDefaultsClick();
    }
    B_SetConfigClick();
}

}  // namespace orvel
