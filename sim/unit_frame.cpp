#include "sim/unit_frame.h"

#include <algorithm>

#include "link/frame.h"

namespace orvel::sim {

std::vector<uint8_t> BuildUnitFrame(uint8_t command, std::span<const uint8_t> payload) {
    return BuildFrameFrom(kUnitToTool, command, payload);
}

std::vector<DecodeEvent> FrameDecoder::Feed(std::span<const uint8_t> bytes) {
    buf_.insert(buf_.end(), bytes.begin(), bytes.end());
    std::vector<DecodeEvent> events;
    auto event = [](DecodeEvent::Kind kind) {
        DecodeEvent e;
        e.kind = kind;
        return e;
    };
    auto consume = [&](DecodeEvent e, size_t n) {
        e.bytes = n;
        buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(n));
        events.push_back(std::move(e));
    };
    while (!buf_.empty()) {
        if (buf_[0] != kFrameStart) {
            const auto next = std::find(buf_.begin(), buf_.end(), kFrameStart);
            consume(event(DecodeEvent::Kind::Skipped), static_cast<size_t>(next - buf_.begin()));
            continue;
        }
        if (buf_.size() < kFrameHeaderBytes) break;
        const size_t n = (size_t{buf_[3]} << 8) | buf_[4];
        if (n > kMaxPayloadBytes) {
            consume(event(DecodeEvent::Kind::BadLength), 1);
            continue;
        }
        if (buf_.size() < n + kFrameOverheadBytes) break;
        const std::span<const uint8_t> frame(buf_.data(), n + kFrameOverheadBytes);
        const size_t summed = n + kFrameHeaderBytes;
        const uint32_t sent = (uint32_t{frame[summed]} << 16) | (uint32_t{frame[summed + 1]} << 8) | frame[summed + 2];
        const uint32_t computed = ByteSum(frame.first(summed));
        DecodeEvent e;
        e.address = frame[1];
        e.command = frame[2];
        if (sent != computed) {
            e.kind = DecodeEvent::Kind::BadSum;
            e.sentSum = sent;
            e.computedSum = computed;
        } else {
            e.kind = (frame[1] & 0x0F) == kUnitAddress ? DecodeEvent::Kind::Frame : DecodeEvent::Kind::NotForUnit;
            e.payload.assign(frame.begin() + kFrameHeaderBytes, frame.begin() + static_cast<std::ptrdiff_t>(summed));
        }
        consume(std::move(e), frame.size());
    }
    return events;
}

std::optional<DecodeEvent> FrameDecoder::Expire() {
    if (buf_.empty()) return std::nullopt;
    DecodeEvent e;
    e.kind = DecodeEvent::Kind::Incomplete;
    e.bytes = buf_.size();
    if (buf_.size() > 2) e.command = buf_[2];
    buf_.clear();
    return e;
}

}  // namespace orvel::sim
