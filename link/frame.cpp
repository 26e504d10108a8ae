#include "link/frame.h"

namespace orvel {

uint32_t ByteSum(std::span<const uint8_t> bytes) {
    uint32_t s = 0;
    for (uint8_t b : bytes) s += b;
    return s;
}

std::vector<uint8_t> BuildFrameFrom(uint8_t address, uint8_t command, std::span<const uint8_t> payload) {
    std::vector<uint8_t> f;
    if (payload.size() > 0xFFFF) return f;
    f.reserve(payload.size() + kFrameOverheadBytes);
    f.push_back(kFrameStart);
    f.push_back(address);
    f.push_back(command);
    f.push_back(static_cast<uint8_t>(payload.size() >> 8));
    f.push_back(static_cast<uint8_t>(payload.size()));
    f.insert(f.end(), payload.begin(), payload.end());
    const uint32_t s = ByteSum(f);
    f.push_back(static_cast<uint8_t>(s >> 16));
    f.push_back(static_cast<uint8_t>(s >> 8));
    f.push_back(static_cast<uint8_t>(s));
    return f;
}

std::vector<uint8_t> BuildFrame(uint8_t command, std::span<const uint8_t> payload) {
    // The unit takes at most 1019 payload bytes; a larger frame is never sent.
    if (payload.size() > kMaxPayloadBytes) return {};
    return BuildFrameFrom(kToolToUnit, command, payload);
}

FrameCheck CheckFrame(std::span<const uint8_t> bytes) {
    FrameCheck c;
    if (bytes.size() < kFrameOverheadBytes) return c;
    if (bytes[0] != kFrameStart) {
        c.verdict = FrameVerdict::BadStart;
        return c;
    }
    const size_t n = (size_t{bytes[3]} << 8) | bytes[4];
    c.frameBytes = n + kFrameOverheadBytes;
    if (n + kFrameHeaderBytes > kMaxSummedBytes) {
        c.verdict = FrameVerdict::LengthTooLarge;
        return c;
    }
    if (c.frameBytes > bytes.size()) {
        c.verdict = FrameVerdict::TruncatedOrBadSum;
        return c;
    }
    const size_t summed = n + kFrameHeaderBytes;
    const uint32_t sent = (uint32_t{bytes[summed]} << 16) | (uint32_t{bytes[summed + 1]} << 8) | bytes[summed + 2];
    if (ByteSum(bytes.first(summed)) != sent) {
        c.verdict = FrameVerdict::TruncatedOrBadSum;
        return c;
    }
    if ((bytes[1] & 0x0F) != 0x02) {
        c.verdict = FrameVerdict::WrongDestination;
        return c;
    }
    c.verdict = FrameVerdict::Ok;
    c.command = bytes[2];
    c.payload = bytes.subspan(kFrameHeaderBytes, n);
    return c;
}

}  // namespace orvel
