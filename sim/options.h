#pragma once
// Command line of orvel-sim: who the unit is, what its memory holds, and which faults of a
// bad cable or a struggling unit it plays.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/config_image.h"

namespace orvel::sim {

struct SimOptions {
    std::string link = "/dev/ttyORVEL0";

    // Identity, as announced in the information record.
    bool operationMode = false;                                       // mode flag 0
    std::array<uint32_t, 3> unitId = {0x4F52564C, 0x53494D00, 0x00000001};  // words 0, 1, 2
    uint8_t hardwareType = 4;
    uint8_t versionByte2 = 1;
    uint8_t firmwareMajor = 2, firmwareMinor = 43;
    uint32_t configBase = 4096;

    // Configuration memory at start.
    std::array<uint8_t, kConfigImageSize> initialConfig{};
    std::string configSource = "default";

    std::optional<uint32_t> noticeAfterBlock;  // send command 11 once after acking this block

    // Faults.
    bool silent = false;
    double dropProbability = 0;
    double corruptProbability = 0;
    std::optional<uint64_t> seed;
    uint32_t nackEvery = 0;  // 0: never
    bool split = false;
    bool merge = false;
    uint32_t latencyMs = 0;

    bool trace = false;
    bool exitAfterConfig = false;
    bool exitAfterFirmware = false;
    std::string saveFirmware;  // empty: not saved
};

struct ParseResult {
    std::optional<SimOptions> options;  // set when the command line is good
    bool help = false;                  // --help was given
    std::string error;                  // what is wrong, when neither of the above
};

// Reads the arguments after the program name. A --config FILE is read here, so that a
// missing or wrongly sized file is reported like any other bad option.
ParseResult ParseOptions(std::span<const std::string_view> args);

std::string UsageText();

}  // namespace orvel::sim
