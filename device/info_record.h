#pragma once
// The unit's information record (command 4), as it arrives in the frame's payload:
//   0 mode flag | 1 id word 2 | 5 id word 1 | 9 id word 0 | 13, 25 text fields (unused)
//   37 hardware | 38 version byte 2 | 39 firmware major | 40 minor | 41 config base (4, BE)
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "device/device_info.h"

namespace orvel {

constexpr size_t kInfoRecordBytes = 45;

struct InfoRecord {
    bool operationMode = false;  // mode flag 0: the unit runs its application
    DeviceInfo info;
};

// Reads the first 45 bytes of the payload; nullopt when it is shorter (nothing is read
// past its end). Bytes after the 45th are not looked at.
std::optional<InfoRecord> ParseInfoRecord(std::span<const uint8_t> payload);

// The two-line log entry "Orvel vH.B.M.m\r\nId: W0 W1 W2" (ids as 8 upper-case hex digits).
std::string VersionEntry(const DeviceInfo& info);

}  // namespace orvel
