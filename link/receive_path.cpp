// The receive path: one frame per receive event, taken from the event's first byte,
// checked, counted and routed by command. Nothing here closes the port.
#include <memory>

#include "app/Unit1.h"
#include "link/frame.h"

namespace orvel {

namespace {
constexpr int kRxSpareBytes = 100;
constexpr size_t kMinReadReplyPayload = 7;
}  // namespace

void TForm1::VCPRxChar(int Count) {
    ProcessMessages();
    if (Count <= 0) return;
    // A fresh buffer per event, released whatever way the handling ends.
    auto buffer = std::make_unique<uint8_t[]>(static_cast<size_t>(Count) + kRxSpareBytes);
    // A short read uses only what arrived.
    const int got = std::max(0, VCP.Read(buffer.get(), Count));
    const std::span<const uint8_t> bytes(buffer.get(), static_cast<size_t>(got));

    const FrameCheck frame = CheckFrame(bytes);
    switch (frame.verdict) {
        case FrameVerdict::TooShort:
            ++ErrorCounters.Code10;
            if (Timer1->isActive()) Timer1Timer();
            return;
        case FrameVerdict::BadStart:
            ++ErrorCounters.Code15;
            ProcessMessages();
            return;
        case FrameVerdict::LengthTooLarge:
            return;
        case FrameVerdict::TruncatedOrBadSum:
            ProcessMessages();
            return;
        case FrameVerdict::WrongDestination:
            AppendLog("Destino inválido!");
            return;
        case FrameVerdict::Ok:
            break;
    }
    if (!DispatchFrame(frame.command, frame.payload)) return;
    if (bytes.size() > frame.frameBytes) ++ErrorCounters.Code20;
    ProcessMessages();
}

bool TForm1::DispatchFrame(uint8_t command, std::span<const uint8_t> payload) {
    switch (command) {
        case kCmdAck:
            HandleAck(payload);
            return true;
        case kCmdNack:
            HandleNack();
            return true;
        case kCmdInfo:
            return HandleInfoRecord(payload);
        case kCmdRead:
            if (payload.size() < kMinReadReplyPayload) return false;
            return HandleReadReply(payload);
        case kCmdOperationMode:
            HandleOperationModeNotice();
            return true;
        default:
            return true;
    }
}

}  // namespace orvel
