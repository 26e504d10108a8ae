// The information record parser, its log entry and the update decision on any payload.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "device/info_record.h"
#include "device/update_decision.h"
#include "fuzz_check.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> payload(data, size);
    const auto record = ParseInfoRecord(payload);
    FUZZ_CHECK(record.has_value() == (size >= kInfoRecordBytes));
    if (!record) return 0;
    const DeviceInfo& info = record->info;
    FUZZ_CHECK(record->operationMode == (data[0] == 0));
    FUZZ_CHECK(info.HardwareType == data[37] && info.FirmwareMajor == data[39] && info.FirmwareMinor == data[40]);

    // Two lines, every number whole: the entry is never cut short.
    const std::string entry = VersionEntry(info);
    char expected[96];
    std::snprintf(expected, sizeof expected, "Orvel v%u.%u.%u.%u\r\nId: %08X %08X %08X", unsigned{info.HardwareType},
                  unsigned{info.VersionByte2}, unsigned{info.FirmwareMajor}, unsigned{info.FirmwareMinor},
                  info.UnitId[0], info.UnitId[1], info.UnitId[2]);
    FUZZ_CHECK(entry == expected);

    const UpdateDecision decision = DecideUpdate(info.HardwareType, info.FirmwareMajor, info.FirmwareMinor);
    if (IsCurrentUnitAtCurrentFirmware(info.HardwareType, info.FirmwareMajor, info.FirmwareMinor))
        FUZZ_CHECK(decision == UpdateDecision::UpToDate);
    if (decision == UpdateDecision::FirmwareJob)
        FUZZ_CHECK(info.HardwareType == 3 || info.HardwareType == 4 || info.HardwareType == 41);
    return 0;
}
