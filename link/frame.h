#pragma once
// The framed message of the serial link:
//   BC | address (sender<<4 | destination) | command | length (2, BE) | payload | sum (3, BE)
// The sum is the plain byte sum of everything before it. The tool is address 2, the unit 1.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvel {

constexpr uint8_t kFrameStart = 0xBC;
constexpr uint8_t kToolToUnit = 0x21;
constexpr size_t kFrameHeaderBytes = 5;
constexpr size_t kFrameOverheadBytes = 8;  // header + 3-byte sum
constexpr size_t kMaxSummedBytes = 1024;   // header + payload of a received frame
constexpr size_t kMaxPayloadBytes = kMaxSummedBytes - kFrameHeaderBytes;  // 1019

enum Command : uint8_t {
    kCmdFirmwareBlock = 1,
    kCmdAck = 2,
    kCmdNack = 3,
    kCmdInfo = 4,
    kCmdJump = 5,
    kCmdConfigBlock = 6,
    kCmdRead = 7,
    kCmdOperationMode = 11,
};

// One frame from the tool to the unit (address 0x21); the sum keeps the low 24 bits of
// the running total. A payload over kMaxPayloadBytes, which the unit could not take and
// the length field might not hold, gives an empty vector: nothing to send.
// The same frame from any address (the unit's are 0x12). Empty if the payload does not
// fit the 16-bit length.
std::vector<uint8_t> BuildFrameFrom(uint8_t address, uint8_t command, std::span<const uint8_t> payload);
std::vector<uint8_t> BuildFrame(uint8_t command, std::span<const uint8_t> payload);

// Plain sum of the bytes, as the frame's check uses it.
uint32_t ByteSum(std::span<const uint8_t> bytes);

// Outcome of reading the frame at the start of one receive event, tests in the order
// the receive path applies them.
enum class FrameVerdict {
    TooShort,          // fewer than 8 bytes
    BadStart,          // first byte is not 0xBC
    LengthTooLarge,    // declared payload over 1019 bytes; nothing summed
    TruncatedOrBadSum, // frame runs past the bytes received, or its sum is wrong
    WrongDestination,  // low nibble of the address is not 2 (the tool)
    Ok,
};

struct FrameCheck {
    FrameVerdict verdict = FrameVerdict::TooShort;
    uint8_t command = 0;
    std::span<const uint8_t> payload;  // valid only when verdict is Ok
    size_t frameBytes = 0;             // N + 8 once the length is known
};

// Reads the one frame that begins at bytes[0]; never looks for a start byte further on.
FrameCheck CheckFrame(std::span<const uint8_t> bytes);

}  // namespace orvel
