#pragma once
// The unit's side of the framed link. Frames the unit sends carry address 0x12 (from 1 to
// 2); frames it takes are those whose destination nibble is 1. Unlike the tool, which takes
// one frame per receive event, the unit reads a byte stream: it keeps bytes between reads,
// so frames split over reads or glued together are taken apart, and it resynchronises on
// the next start byte after garbage.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel::sim {

constexpr uint8_t kUnitToTool = 0x12;
constexpr uint8_t kUnitAddress = 0x01;

// One frame from the unit to the tool. The payload must not exceed kMaxPayloadBytes.
std::vector<uint8_t> BuildUnitFrame(uint8_t command, std::span<const uint8_t> payload);

struct DecodeEvent {
    enum class Kind {
        Frame,       // a well-formed frame for the unit
        Skipped,     // bytes before a start byte
        BadLength,   // declared payload over 1019 bytes: the start byte is dropped
        BadSum,      // the declared frame's sum is wrong: the frame is dropped
        NotForUnit,  // well formed, but its destination nibble is not 1
        Incomplete,  // a frame that stopped arriving (see FrameDecoder::Expire)
    };
    Kind kind = Kind::Frame;
    size_t bytes = 0;  // bytes of the stream this event consumed
    uint8_t address = 0;
    uint8_t command = 0;
    std::vector<uint8_t> payload;  // Frame and NotForUnit only
    uint32_t sentSum = 0, computedSum = 0;  // BadSum only
};

class FrameDecoder {
public:
    // Appends bytes read from the port and returns everything that can be decided now.
    std::vector<DecodeEvent> Feed(std::span<const uint8_t> bytes);
    // Drops a frame whose rest never came; nullopt when nothing is pending.
    std::optional<DecodeEvent> Expire();
    bool HasPartial() const { return !buf_.empty(); }
    void Reset() { buf_.clear(); }

private:
    std::vector<uint8_t> buf_;
};

}  // namespace orvel::sim
