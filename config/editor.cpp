// The configuration editor's write: validate the fields, build the image, start the upload.
#include <variant>

#include "app/Unit1.h"
#include "config/config_image.h"
#include "config/editor_controls.h"
#include "config/field_validation.h"
#include "link/frame.h"

namespace orvel {

void TForm1::B_SetConfigClick() {
    // Everything is checked before WriteImage is touched: an upload that may still be
    // sending it never sees a half-built image.
    const std::variant<ConfigFields, FieldFault> checked = FieldsForWrite(ReadEditorValues(*this));
    if (const auto* fault = std::get_if<FieldFault>(&checked)) {
        platform_.boxes.Show(fault->message, "Erro", MB_OK | MB_ICONEXCLAMATION);
        if (fault->edit) EditFor(*this, *fault->edit)->clear();
        return;
    }
    BuildConfigImage(std::get<ConfigFields>(checked), WriteImage);
    const ImageCheckValues check = ComputeCheckValues(WriteImage);
    TransferJob.JobCode = kCmdConfigBlock;
    TransferJob.Data = WriteImage.data();
    TransferJob.DataLength = static_cast<uint32_t>(WriteImage.size());
    TransferJob.XOR8 = check.XOR8;
    TransferJob.SUM32 = check.SUM32;
    TxInit();
}

}  // namespace orvel
