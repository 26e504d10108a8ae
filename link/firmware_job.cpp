// The firmware upload job and the jump command.
#include "app/Unit1.h"
#include "link/firmware/firmware_image.h"
#include "link/frame.h"
#include "link/upload_blocks.h"

namespace orvel {

static_assert(UploadBlockCount(kFirmwareImageBytes) <= kMaxUploadBlocks,
              "the firmware image is too large for the block upload");

void TForm1::B_FwTxClick() {
    TransferJob.JobCode = kCmdFirmwareBlock;
    TransferJob.Data = FirmwareImage;
    TransferJob.DataLength = kFirmwareImageBytes;
    TransferJob.XOR8 = kFirmwareXOR8;
    TransferJob.SUM32 = kFirmwareSUM32;
    TxInit();
}

void TForm1::B_FwJumpClick() {
    const std::vector<uint8_t> frame = BuildFrame(kCmdJump, {});
    if (VCP.Connected()) VCP.Write(frame);
    ProcessMessages();
}

}  // namespace orvel
