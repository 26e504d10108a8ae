#pragma once
#include <cstdint>

namespace orvel {

// The unit's identification, from its last information record.
struct DeviceInfo {
    uint32_t UnitId[3] = {0, 0, 0};  // words 0, 1, 2 in printing order
    uint8_t HardwareType = 0;
    uint8_t VersionByte2 = 0;
    uint8_t FirmwareMajor = 0;
    uint8_t FirmwareMinor = 0;
    uint32_t ConfigBase = 0;  // where the unit's configuration image starts
};

}  // namespace orvel
