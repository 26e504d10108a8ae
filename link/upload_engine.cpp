// The block upload engine: sends TransferJob's image in acknowledged 48-byte blocks, then a
// final block with the check values. Timer1 (500 ms) drives resends and the give-up:
//   a block not acknowledged goes again on ticks 3, 5 and 7; tick 10 abandons the job.
// A NACK or a too-short receive event counts as one more tick while Timer1 runs.
// Every ProcessMessages point may run a receive event nested, so state is consistent there.
#include <cstdio>
#include <cstdlib>

#include "app/Unit1.h"
#include "device/update_decision.h"
#include "link/frame.h"
#include "link/transfer_id.h"
#include "link/upload_blocks.h"

namespace orvel {

namespace {
constexpr uint32_t kNoAckYet = 0xFFFFFF;  // above any block number
constexpr uint32_t kTransferIdMask = 0xFFFF;
constexpr int32_t kGiveUpTicks = 10;
constexpr bool IsResendTick(int32_t ticks) { return ticks == 3 || ticks == 5 || ticks == 7; }
constexpr size_t kAckPayloadBytes = 2;
}  // namespace

void TForm1::TxInit() {
    if (auto refusal = UploadRefusal(TransferJob.Data, TransferJob.DataLength)) {
        // The caller has already replaced the image of any job still running: end that too.
        Timer1->stop();
        ProgressBar1->setValue(0);
        platform_.boxes.Show(*refusal, "Erro", MB_OK | MB_ICONHAND);
        return;
    }
    TransferJob.BlockCount = static_cast<uint32_t>(UploadBlockCount(TransferJob.DataLength));
    ProgressBar1->setMaximum(static_cast<int>(TransferJob.BlockCount));
    TransferJob.AckedBlock = kNoAckYet;
    TransferJob.CurrentBlock = 0;
    TransferJob.TransferId = static_cast<uint16_t>(MakeTransferId(kTransferIdMask));
    ErrorCounters = {};
    if (VCP.Connected()) AppendLog("Iniciando atualização...");
    Timer1Timer();
}

void TForm1::Timer1Timer() {
    auto& job = TransferJob;
    if (!VCP.Connected()) {
        Timer1->stop();
        ProcessMessages();
        ProgressBar1->setValue(0);
        platform_.boxes.Show("Não há conexão ativa!", "ERRO #0x01", MB_OK | MB_ICONHAND);
        ProcessMessages();
        return;
    }
    // A send lets window events run, and the acks, NACKs and short events handled there
    // tick at once. When one of those ticks has ended the job (given up, completed, port
    // lost), it has said so; this tick must neither report it again nor restart Timer1.
    const bool wasRunning = Timer1->isActive();
    auto endedMeanwhile = [&] { return wasRunning && !Timer1->isActive(); };
    if (job.AckPending || job.CurrentBlock == 0) {
        if ((job.CurrentBlock == 0 || job.AckedBlock == job.CurrentBlock) && job.CurrentBlock < job.BlockCount)
            ++job.CurrentBlock;
        SendPackage();
        if (endedMeanwhile()) return;
        // Only after the send: an ack handled inside it is consumed here.
        job.AckPending = false;
        job.RetryTicks = 0;
    } else {
        ++job.RetryTicks;
    }
    if (IsResendTick(job.RetryTicks)) {
        SendPackage();
        if (endedMeanwhile()) return;
    }
    if (job.RetryTicks == kGiveUpTicks) {
        Timer1->stop();
        ProcessMessages();
        char text[160];
        std::snprintf(text, sizeof text,
                      "A operação não foi concluida!\r\nNacks = %d\r\nCode10 = %d\r\nCode15 = %d\r\nCode20 = %d",
                      ErrorCounters.Nacks, ErrorCounters.Code10, ErrorCounters.Code15, ErrorCounters.Code20);
        platform_.boxes.Show(text, "ERRO #0x02", MB_OK | MB_ICONHAND);
        ProgressBar1->setValue(0);
        return;
    }
    // A one-block job may be acknowledged inside its first send: its completion has already
    // stopped it, and a restarted timer would resend it and end in ERRO #0x02.
    const bool finalAcked = job.AckedBlock != kNoAckYet && job.AckedBlock >= job.BlockCount;
    if (job.CurrentBlock == 1 && !Timer1->isActive() && !finalAcked) Timer1->start();
    ProcessMessages();
}

void TForm1::SendPackage() {
    // Never reads outside Data[0 .. DataLength-1]; a block that has no payload is not sent.
    if (const auto payload = UploadBlockPayload(TransferJob, TransferJob.CurrentBlock)) {
        VCP.Write(BuildFrame(TransferJob.JobCode, *payload));
        ProgressBar1->setValue(static_cast<int>(TransferJob.CurrentBlock));
    }
    ProcessMessages();
}

uint32_t TForm1::MakeTransferId(uint32_t mask) {
    const uint32_t id = TransferIdFromText(platform_.clock.DateTimeText(), IdShift, mask);
    IdShift = NextIdShift(IdShift);
    if (id != 0) return id;
    if (mask == 0) return 0;  // no room for any other id (and no division by zero)
    return static_cast<uint32_t>(std::rand()) % mask;
}

void TForm1::HandleAck(std::span<const uint8_t> payload) {
    if (payload.size() < kAckPayloadBytes) return;  // no block number: nothing to act on
    // Before the first upload there is no job that an ack could complete.
    if (TransferJob.JobCode == 0) return;
    auto& job = TransferJob;
    job.AckedBlock = (uint32_t{payload[0]} << 8) | payload[1];
    if (job.AckedBlock >= job.BlockCount) {
        Timer1->stop();
        ProgressBar1->setValue(0);
        ProcessMessages();
        AppendLog("Atualização concluída com sucesso!");
        if (job.JobCode == kCmdFirmwareBlock) {
            AppendLog("");
            InfoHandled = false;  // the restarted unit's next record is handled again
        } else {
            B_SetConfig->setEnabled(true);
            if (Cb_COMAutoClose->isChecked() &&
                IsCurrentUnitAtCurrentFirmware(DeviceInfo.HardwareType, DeviceInfo.FirmwareMajor,
                                               DeviceInfo.FirmwareMinor)) {
                Timer2->start();
                ComboBox1->setEnabled(true);
            }
        }
        return;
    }
    if (job.AckedBlock == 1) {
        if (job.JobCode == kCmdFirmwareBlock) AppendLog("Atualizando firmware...");
        else if (job.JobCode == kCmdConfigBlock) AppendLog("Atualizando configuração...");
    }
    job.AckPending = true;
    if (Timer1->isActive()) Timer1Timer();
}

void TForm1::HandleNack() {
    ++ErrorCounters.Nacks;
    if (Timer1->isActive()) Timer1Timer();
}

}  // namespace orvel
