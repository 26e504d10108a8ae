#pragma once
// Which configurations read from a unit are kept as they are. Normal mode keeps any image
// the editor can show with port A at 115200 baud; Rotaval mode also wants every field at
// the Rotaval preset's value.
#include <cstdint>

#include "config/config_image.h"

namespace orvel {

// Highest buzzer and event digit an option byte may hold.
struct DigitLimits {
    uint8_t buzzer;
    uint8_t event;
};
constexpr DigitLimits kConditionDigitLimits = {4, 3};     // three buzzer boxes, two event boxes
constexpr DigitLimits kAccelerationDigitLimits = {1, 1};  // OPT_ACP, OPT_ACN: one box each

constexpr bool BuzzerDigitOk(uint8_t option, DigitLimits limits) { return BuzzerDigit(option) <= limits.buzzer; }
constexpr bool EventDigitOk(uint8_t option, DigitLimits limits) { return EventDigit(option) <= limits.event; }

// Port A must run at 115200 baud in either mode.
constexpr uint16_t kRequiredA232 = 1152;

// Number of deviations of a decoded image: list values outside their tables, port A not
// at 115200, option digits over their limits and, in Rotaval mode, each field (each option
// digit) that differs from the Rotaval preset. Zero means the configuration is kept.
uint32_t CountDeviations(const ConfigFields& fields, bool rotaval);

}  // namespace orvel
