#pragma once
// What the tool does with a unit once it has read its information record.
#include <cstdint>

#include "link/firmware/firmware_image.h"

namespace orvel {

// The firmware the tool carries is the current one: a unit below it is updated.
constexpr uint8_t kCurrentFirmwareMajor = kFirmwareVersionMajor;
constexpr uint8_t kCurrentFirmwareMinor = kFirmwareVersionMinor;

enum class UpdateDecision {
    FirmwareJob,   // current hardware with old or blank firmware: send the image
    UpToDate,      // current hardware at the current version or above: read the configuration
    Discontinued,  // hardware 1 or 2: warn, then read the configuration
    LeaveAlone,    // hardware the tool does not know: version line only
};

// Hardware 3, 4 and 41 are current. Firmware 255.255 (blank) and any 99.x (test builds)
// are replaced whatever their number; otherwise anything below 2.43 is.
UpdateDecision DecideUpdate(uint8_t hardwareType, uint8_t firmwareMajor, uint8_t firmwareMinor);

// Hardware 4 or 41 at the current firmware: the units whose port may close by itself
// after a configuration write.
bool IsCurrentUnitAtCurrentFirmware(uint8_t hardwareType, uint8_t firmwareMajor, uint8_t firmwareMinor);

}  // namespace orvel
