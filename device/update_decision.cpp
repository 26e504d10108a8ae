#include "device/update_decision.h"

namespace orvel {

UpdateDecision DecideUpdate(uint8_t hardwareType, uint8_t firmwareMajor, uint8_t firmwareMinor) {
    switch (hardwareType) {
        case 1:
        case 2:
            return UpdateDecision::Discontinued;
        case 3:
        case 4:
        case 41:
            break;
        default:
            return UpdateDecision::LeaveAlone;
    }
    if (firmwareMajor == 255 && firmwareMinor == 255) return UpdateDecision::FirmwareJob;
    if (firmwareMajor == 99) return UpdateDecision::FirmwareJob;
    if (firmwareMajor < kCurrentFirmwareMajor ||
        (firmwareMajor == kCurrentFirmwareMajor && firmwareMinor < kCurrentFirmwareMinor))
        return UpdateDecision::FirmwareJob;
    return UpdateDecision::UpToDate;
}

bool IsCurrentUnitAtCurrentFirmware(uint8_t hardwareType, uint8_t firmwareMajor, uint8_t firmwareMinor) {
    return (hardwareType == 4 || hardwareType == 41) && firmwareMajor == kCurrentFirmwareMajor &&
           firmwareMinor == kCurrentFirmwareMinor;
}

}  // namespace orvel
