#include "device/info_record.h"

#include <cstdio>

namespace orvel {

namespace {
uint32_t Be32(std::span<const uint8_t> b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}
}  // namespace

std::optional<InfoRecord> ParseInfoRecord(std::span<const uint8_t> payload) {
    if (payload.size() < kInfoRecordBytes) return std::nullopt;
    InfoRecord r;
    r.operationMode = payload[0] == 0;
    r.info.UnitId[2] = Be32(payload, 1);
    r.info.UnitId[1] = Be32(payload, 5);
    r.info.UnitId[0] = Be32(payload, 9);
    r.info.HardwareType = payload[37];
    r.info.VersionByte2 = payload[38];
    r.info.FirmwareMajor = payload[39];
    r.info.FirmwareMinor = payload[40];
    r.info.ConfigBase = Be32(payload, 41);
    return r;
}

std::string VersionEntry(const DeviceInfo& info) {
    char text[80];
    std::snprintf(text, sizeof text, "Orvel v%d.%d.%d.%d\r\nId: %.8X %.8X %.8X", info.HardwareType,
                  info.VersionByte2, info.FirmwareMajor, info.FirmwareMinor, info.UnitId[0], info.UnitId[1],
                  info.UnitId[2]);
    return text;
}

}  // namespace orvel
