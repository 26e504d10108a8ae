#pragma once
// The firmware image the tool carries (orvel-2.43.bin, embedded at build time) and the
// values stored with it. The tool sends the image unchanged and never computes its check
// values; the build checks that the ones below match the embedded bytes.
// To ship another image: replace the .bin, then update all five constants (see README).
#include <cstdint>

namespace orvel {

constexpr uint8_t kFirmwareVersionMajor = 2;
constexpr uint8_t kFirmwareVersionMinor = 43;
constexpr uint32_t kFirmwareImageBytes = 89'828;
constexpr uint8_t kFirmwareXOR8 = 0xE1;         // exclusive or of all bytes
constexpr uint32_t kFirmwareSUM32 = 0x0077CBAB;  // 32-bit sum of all bytes

extern const uint8_t FirmwareImage[kFirmwareImageBytes];

}  // namespace orvel
