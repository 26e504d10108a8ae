// The receive path: one frame per receive event, taken from the event's first byte,
// checked, counted and routed by command. Nothing here closes the port: a close asked
// for meanwhile waits until the event has returned (app/connection.cpp).
#include <algorithm>
#include <vector>

#include "app/Unit1.h"
#include "link/frame.h"

namespace orvel {

namespace {
constexpr int kRxSpareBytes = 100;
constexpr size_t kMinReadReplyPayload = 7;
}  // namespace

void TForm1::VCPRxChar(int Count) {
    if (holdRx_) {
        // The open state is still being shown; the bytes wait in the driver.
        rxHeld_ = true;
        return;
    }
    ++rxDepth_;
    struct Leave {
        TForm1* form;
        ~Leave() { form->LeaveReceiveEvent(); }
    } leave{this};
    HandleReceiveEvent(Count);
}

void TForm1::LeaveReceiveEvent() {
    --rxDepth_;
    // Port closes asked for while the event ran go ahead now, from the event loop.
    if (rxDepth_ == 0 && !deferredPortActions_.empty()) QueueDeferredPortActions();
}

void TForm1::HandleReceiveEvent(int Count) {
    ProcessMessages();
    if (Count <= 0) return;
    // A fresh buffer per event, released whatever way the handling ends.
    std::vector<uint8_t> buffer(static_cast<size_t>(Count) + kRxSpareBytes);
    // Only the bytes the read returned are looked at; a short read leaves the rest
    // waiting for the next event.
    const int got = std::clamp(VCP.Read(buffer.data(), Count), 0, Count);
    const std::span<const uint8_t> bytes(buffer.data(), static_cast<size_t>(got));

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
