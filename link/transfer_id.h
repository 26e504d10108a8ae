#pragma once
// The id that marks every frame of one upload, drawn from the clock's text.
#include <cstdint>
#include <string_view>

namespace orvel {

// Shifts used by successive jobs: 5, 6, ... 11, then 5 again.
constexpr uint8_t kFirstIdShift = 5;
constexpr uint8_t kLastIdShift = 11;

// The product of the first 14 characters of `dateTimeText` (as signed bytes, missing ones
// 0, the 14th taken first), kept to 32 bits, shifted right by `shift` and masked.
// 0 means "no usable id": the caller falls back to a pseudo-random one.
uint32_t TransferIdFromText(std::string_view dateTimeText, uint8_t shift, uint32_t mask);

constexpr uint8_t NextIdShift(uint8_t shift) { return shift < kLastIdShift ? static_cast<uint8_t>(shift + 1) : kFirstIdShift; }

}  // namespace orvel
