// Identification of the unit from its information record, and the update decision.
#include "app/Unit1.h"
#include "device/info_record.h"
#include "device/update_decision.h"

namespace orvel {

namespace {
void LogOperationModeLines(TForm1& form) {
    form.AppendLog("O Orvel foi detectado em modo de operação!");
    form.AppendLog("1-Desconectar todos os chicotes");
    form.AppendLog("2-Conectar apenas o cabo USB");
    form.AppendLog("3-Aguardar o Windows criar a porta (5 segundos)");
    form.AppendLog("4-Rodar o OrvelTool e abrir a porta COM criada");
}
}  // namespace

bool TForm1::HandleInfoRecord(std::span<const uint8_t> payload) {
    if (InfoHandled) return true;  // one record per connection
    const auto record = ParseInfoRecord(payload);
    if (!record) return true;  // too short to hold a record: ignored, the next one may do
    DeviceInfo = record->info;
    if (record->operationMode) {
        LogOperationModeLines(*this);
        Timer2->start();  // the port may not be closed inside the receive event
        return false;
    }
    AppendLog(VersionEntry(DeviceInfo));
    LogUnitId(DeviceInfo);
    // Set before a job starts: the job lets window events run, and a firmware job that
    // completes (or a port reopened) in there must not have its cleared flag set again.
    InfoHandled = true;
    switch (DecideUpdate(DeviceInfo.HardwareType, DeviceInfo.FirmwareMajor, DeviceInfo.FirmwareMinor)) {
        case UpdateDecision::Discontinued:
            SetLogRed();
            AppendLog("Essa versão do orvel está descontinuada, entre em contato com a Corvane para mais "
                      "informações!");
            B_GetConfigClick();
            break;
        case UpdateDecision::FirmwareJob:
            B_FwTxClick();
            break;
        case UpdateDecision::UpToDate:
            AppendLog("O Orvel está atualizado!");
            B_GetConfigClick();
            break;
        case UpdateDecision::LeaveAlone:
            break;
    }
    return true;
}

void TForm1::HandleOperationModeNotice() {
    LogOperationModeLines(*this);
    Timer2->start();
}

}  // namespace orvel
