// The block read engine: fetches the unit's 2032-byte configuration image into ReadImage
// in five requests (command 7), 500 bytes each and 32 for the last, one at a time.
// Timer3 (100 ms) drives it: a request is repeated on the 3rd, 5th and 7th tick without
// progress and the read is given up on the 10th.
#include <algorithm>

#include "app/Unit1.h"
#include "link/frame.h"

namespace orvel {

namespace {

constexpr uint32_t kReadBlockBytes = 500;
constexpr uint32_t kNoBlockYet = 0xFFFFFF;  // no block number reaches it
constexpr size_t kReplyHeaderBytes = 6;     // address (4) + count (2)
constexpr int32_t kGiveUpTicks = 10;

bool IsResendTick(int32_t ticks) { return ticks == 3 || ticks == 5 || ticks == 7; }

uint32_t Get32(std::span<const uint8_t> b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | uint32_t{b[at + 3]};
}
uint16_t Get16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>((b[at] << 8) | b[at + 1]); }

}  // namespace

void TForm1::B_GetConfigClick() {
    TransferJob.ReadBlockSize = kReadBlockBytes;
    TransferJob.BlockCount = kConfigImageBytes / kReadBlockBytes;
    TransferJob.ReadLastSize = kConfigImageBytes % kReadBlockBytes;
    if (TransferJob.ReadLastSize != 0) ++TransferJob.BlockCount;
    ProgressBar1->setMaximum(static_cast<int>(TransferJob.BlockCount));
    TransferJob.AckedBlock = kNoBlockYet;
    TransferJob.CurrentBlock = 0;
    ErrorCounters = {};
    // The read-back selects the entries again from the image.
    CB_PING->SetItemIndex(-1);
    CB_A232->SetItemIndex(-1);
    CB_B232->SetItemIndex(-1);
    ReadRunning = true;
    AppendLog("Buscando configuração interna...");
    Timer3Timer();
}

void TForm1::Timer3Timer() {
    ::orvel::TransferJob& job = TransferJob;
    if (!VCP.Connected()) {
        Timer3->stop();
        ReadRunning = false;
        ProcessMessages();
        ProgressBar1->setValue(0);
        platform_.boxes.Show("Não há conexão ativa!", "ERRO #0x03", MB_OK | MB_ICONHAND);
        ProcessMessages();
        return;
    }
    if (job.AckPending || job.CurrentBlock == 0) {
        if ((job.CurrentBlock == 0 || job.AckedBlock == job.CurrentBlock) && job.CurrentBlock < job.BlockCount)
            ++job.CurrentBlock;
        RequestPackage();
        job.AckPending = false;
        job.RetryTicks = 0;
    } else {
        ++job.RetryTicks;
    }
    if (IsResendTick(job.RetryTicks)) RequestPackage();
    if (job.RetryTicks == kGiveUpTicks) {
        Timer3->stop();
        ReadRunning = false;
        ProcessMessages();
        platform_.boxes.Show("A operação não pode ser concluida!", "ERRO #0x04", MB_OK | MB_ICONEXCLAMATION);
        ProgressBar1->setValue(0);
        return;
    }
    if (job.CurrentBlock == 1 && !Timer3->isActive()) Timer3->start();
    ProcessMessages();
}

void TForm1::RequestPackage() {
    const ::orvel::TransferJob& job = TransferJob;
    const uint32_t address = (job.CurrentBlock - 1) * job.ReadBlockSize + DeviceInfo.ConfigBase;
    const uint32_t count =
        (job.CurrentBlock >= job.BlockCount && job.ReadLastSize > 0) ? job.ReadLastSize : job.ReadBlockSize;
    const uint8_t payload[] = {
        static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
        static_cast<uint8_t>(address),       static_cast<uint8_t>(count >> 8),    static_cast<uint8_t>(count),
    };
    if (VCP.Connected()) VCP.Write(BuildFrame(kCmdRead, payload));
}

bool TForm1::HandleReadReply(std::span<const uint8_t> payload) {
    ::orvel::TransferJob& job = TransferJob;
    if (!ReadRunning || payload.size() < kReplyHeaderBytes) return true;
    const uint32_t address = Get32(payload, 0);
    const uint16_t n = Get16(payload, 4);
    // A reply that would write outside ReadImage, or read past the frame, is dropped
    // whole; the retries ask for the block again.
    if (address < DeviceInfo.ConfigBase) return true;
    const uint64_t offset = uint64_t{address} - DeviceInfo.ConfigBase;
    if (offset >= kConfigImageBytes || offset + n > kConfigImageBytes) return true;
    if (payload.size() < kReplyHeaderBytes + n) return true;

    const auto bytes = payload.subspan(kReplyHeaderBytes, n);
    std::copy(bytes.begin(), bytes.end(), WorkArea.ReadImage.begin() + static_cast<ptrdiff_t>(offset));
    // Matched by address only: the block in whose 500-byte stretch it falls.
    job.AckedBlock = static_cast<uint32_t>(offset / job.ReadBlockSize) + 1;
    if (job.AckedBlock < job.BlockCount) {
        ProgressBar1->setValue(static_cast<int>(job.AckedBlock + 1));
        job.AckPending = true;
        if (Timer3->isActive()) Timer3Timer();
        return true;
    }
    Timer3->stop();
    ReadRunning = false;
    ProcessMessages();
    ProgressBar1->setValue(0);
    ReadBack();
    return true;
}

}  // namespace orvel
