#pragma once
// What the simulator says at its end: what was uploaded, what its memory now holds, and
// how the link went.
#include <optional>
#include <span>
#include <string>

#include "config/config_image.h"
#include "sim/options.h"
#include "sim/transmitter.h"
#include "sim/unit.h"

namespace orvel::sim {

// Link-level events the main loop counts.
struct LinkCounters {
    uint32_t toolOpens = 0;       // times a program opened the port
    uint32_t framesIn = 0;        // well-formed frames for the unit
    uint32_t badSums = 0;
    uint32_t badLengths = 0;
    uint32_t notForUnit = 0;
    uint32_t incomplete = 0;
    uint32_t bytesSkipped = 0;    // garbage before a start byte
    uint32_t writesLost = 0;      // writes the port did not take
};

// Why the image would fail the tool's acceptance test; nullopt for a valid image.
std::optional<std::string> ImageFault(std::span<const uint8_t, kConfigImageSize> image);

// The image decoded field by field, one line per field, each line starting with `indent`;
// or one line "invalid image: <reason>".
std::string DescribeConfig(std::span<const uint8_t, kConfigImageSize> image, const std::string& indent);

std::string Summary(const SimOptions& options, uint64_t seed, const SimUnit& unit, const FaultCounters& faults,
                    const LinkCounters& link, const std::string& firmwareNote);

}  // namespace orvel::sim
