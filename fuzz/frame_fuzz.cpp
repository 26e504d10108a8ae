// The frame check on arbitrary bytes, and the frame builder against it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_check.h"
#include "link/frame.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const FrameCheck c = CheckFrame(bytes);
    switch (c.verdict) {
        case FrameVerdict::TooShort:
            FUZZ_CHECK(size < kFrameOverheadBytes);
            break;
        case FrameVerdict::BadStart:
            FUZZ_CHECK(size >= kFrameOverheadBytes && data[0] != kFrameStart);
            break;
        case FrameVerdict::LengthTooLarge:
            FUZZ_CHECK(((size_t{data[3]} << 8) | data[4]) > kMaxPayloadBytes);
            break;
        case FrameVerdict::TruncatedOrBadSum:
        case FrameVerdict::WrongDestination:
            FUZZ_CHECK(c.payload.empty());
            break;
        case FrameVerdict::Ok: {
            const size_t n = (size_t{data[3]} << 8) | data[4];
            FUZZ_CHECK(data[0] == kFrameStart && (data[1] & 0x0F) == 0x02);
            FUZZ_CHECK(c.command == data[2]);
            FUZZ_CHECK(c.payload.size() == n && c.payload.data() == data + kFrameHeaderBytes);
            FUZZ_CHECK(c.frameBytes == n + kFrameOverheadBytes && c.frameBytes <= size);
            const uint32_t sum = ByteSum(bytes.first(n + kFrameHeaderBytes));
            FUZZ_CHECK(sum <= 0xFFFFFF);
            FUZZ_CHECK(data[n + 5] == (sum >> 16 & 0xFF) && data[n + 6] == (sum >> 8 & 0xFF) &&
                       data[n + 7] == (sum & 0xFF));
            break;
        }
    }

    // Whatever the tool builds from these bytes is a frame for the unit: it reads back as
    // well formed except for its destination, and keeps command and payload.
    if (size >= 1) {
        const std::span<const uint8_t> payload = bytes.subspan(1);
        const std::vector<uint8_t> built = BuildFrame(data[0], payload);
        if (payload.size() > kMaxPayloadBytes) {
            FUZZ_CHECK(built.empty());
        } else {
            FUZZ_CHECK(built.size() == payload.size() + kFrameOverheadBytes);
            FUZZ_CHECK(CheckFrame(built).verdict == FrameVerdict::WrongDestination);
            std::vector<uint8_t> forTool = built;
            forTool[1] = 0x12;
            const int32_t delta = int32_t{0x12} - int32_t{kToolToUnit};
            uint32_t sum = (uint32_t{forTool[built.size() - 3]} << 16 | uint32_t{forTool[built.size() - 2]} << 8 |
                            forTool[built.size() - 1]) + static_cast<uint32_t>(delta);
            forTool[built.size() - 3] = static_cast<uint8_t>(sum >> 16);
            forTool[built.size() - 2] = static_cast<uint8_t>(sum >> 8);
            forTool[built.size() - 1] = static_cast<uint8_t>(sum);
            const FrameCheck back = CheckFrame(forTool);
            FUZZ_CHECK(back.verdict == FrameVerdict::Ok);
            FUZZ_CHECK(back.command == data[0]);
            FUZZ_CHECK(std::equal(back.payload.begin(), back.payload.end(), payload.begin(), payload.end()));
        }
    }
    return 0;
}
