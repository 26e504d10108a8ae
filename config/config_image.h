#pragma once
// The unit's configuration image: 2032 bytes, big-endian fields, a 24-bit sum and FF fill.
//   0 CA FE F0 DA | 4 length (30) | 6 01 02 | 8 fields ... 35 | 36 SUM24 | 39.. FF
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orvel {

constexpr size_t kConfigImageSize = 2032;
constexpr std::array<uint8_t, 4> kConfigMagic = {0xCA, 0xFE, 0xF0, 0xDA};

// Choice tables: the position in the list box is the index.
constexpr std::array<int32_t, 10> kPingTable = {5, 10, 15, 30, 45, 60, 90, 120, 180, 300};  // seconds
constexpr std::array<int32_t, 4> kRateTable = {96, 192, 576, 1152};                        // baud / 100

// Index of `value` in `table` (first match), or nullopt.
std::optional<int> TableIndex(std::span<const int32_t> table, uint32_t value);

// Option byte = 10 x buzzer digit + event digit.
// Buzzer weights: entering 1, leaving 2, during 4; event weights: entering 1, leaving 2.
constexpr uint8_t OptionByte(bool bzIn, bool bzOut, bool bzWh, bool evIn, bool evOut) {
    return static_cast<uint8_t>((bzIn ? 10 : 0) + (bzOut ? 20 : 0) + (bzWh ? 40 : 0) + (evIn ? 1 : 0) + (evOut ? 2 : 0));
}
constexpr uint8_t BuzzerDigit(uint8_t option) { return option / 10; }
constexpr uint8_t EventDigit(uint8_t option) { return option % 10; }

// Values of the fields as the image holds them. One-byte fields keep the low 8 bits of
// what they are built from; two-byte fields the low 16.
struct ConfigFields {
    uint16_t PING = 0, A232 = 0, B232 = 0;
    uint8_t ACP = 0, ACN = 0, OPT_ACP = 0, OPT_ACN = 0;
    uint8_t OPT_VMX = 0, VMX = 0, TVMX = 0;
    uint8_t OPT_VCH = 0, VCH = 0, TVCH = 0;
    uint8_t OPT_RPX = 0;
    uint16_t RPX = 0;
    uint8_t TRPX = 0;
    uint8_t OPT_OSC = 0, TOSC = 0, XOSC = 0;
    uint8_t OPT_BGL = 0, VBGL = 0;
    uint16_t RBGL = 0;
    uint8_t TBGL = 0;
    bool operator==(const ConfigFields&) const = default;
};

// The two presets of the editor, as the image holds them.
extern const ConfigFields kDefaultPresetFields;
extern const ConfigFields kRotavalPresetFields;

// The check values that travel with an image in the upload's final block.
struct ImageCheckValues {
    uint8_t XOR8 = 0;    // exclusive or of all bytes
    uint32_t SUM32 = 0;  // arithmetic sum of all bytes, 32 bits
};
ImageCheckValues ComputeCheckValues(std::span<const uint8_t> bytes);

// Fills all 2032 bytes of `image` from offset 0.
void BuildConfigImage(const ConfigFields& fields, std::span<uint8_t, kConfigImageSize> image);

// The acceptance test of a received image: magic, length (U = L + 9 <= 2032) and the
// 24-bit sum at U-3..U-1 over bytes 0..U-4.
bool AcceptConfigImage(std::span<const uint8_t, kConfigImageSize> image);

// Reads every field at its fixed offset, whatever the length says.
ConfigFields DecodeConfigImage(std::span<const uint8_t, kConfigImageSize> image);

}  // namespace orvel
