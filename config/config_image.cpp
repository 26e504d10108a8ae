#include "config/config_image.h"

#include <algorithm>

namespace orvel {

namespace {
constexpr size_t kFieldsEnd = 36;  // offset after the last field
constexpr size_t kFillStart = kFieldsEnd + 3;

void Put16(std::span<uint8_t> b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}
uint16_t Get16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>((b[at] << 8) | b[at + 1]); }
}  // namespace

const ConfigFields kDefaultPresetFields = {
    .PING = 180, .A232 = 1152, .B232 = 192, .ACP = 11, .ACN = 11, .OPT_ACP = 11, .OPT_ACN = 11,
    .OPT_VMX = 11, .VMX = 120, .TVMX = 5, .OPT_VCH = 11, .VCH = 90, .TVCH = 5, .OPT_RPX = 11,
    .RPX = 4500, .TRPX = 5, .OPT_OSC = 11, .TOSC = 6, .XOSC = 7, .OPT_BGL = 11, .VBGL = 40,
    .RBGL = 900, .TBGL = 5};

const ConfigFields kRotavalPresetFields = {
    .PING = 60, .A232 = 1152, .B232 = 192, .ACP = 11, .ACN = 11, .OPT_ACP = 1, .OPT_ACN = 1,
    .OPT_VMX = 3, .VMX = 100, .TVMX = 10, .OPT_VCH = 3, .VCH = 80, .TVCH = 10, .OPT_RPX = 3,
    .RPX = 4500, .TRPX = 5, .OPT_OSC = 3, .TOSC = 1, .XOSC = 7, .OPT_BGL = 3, .VBGL = 40,
    .RBGL = 900, .TBGL = 5};

std::optional<int> TableIndex(std::span<const int32_t> table, uint32_t value) {
    for (size_t i = 0; i < table.size(); ++i)
        if (static_cast<uint32_t>(table[i]) == value) return static_cast<int>(i);
    return std::nullopt;
}

ImageCheckValues ComputeCheckValues(std::span<const uint8_t> bytes) {
    ImageCheckValues v;
    for (uint8_t b : bytes) {
        v.XOR8 ^= b;
        v.SUM32 += b;
    }
    return v;
}

void BuildConfigImage(const ConfigFields& f, std::span<uint8_t, kConfigImageSize> image) {
    std::copy(kConfigMagic.begin(), kConfigMagic.end(), image.begin());
    image[6] = 0x01;
    image[7] = 0x02;
    Put16(image, 8, f.PING);
    Put16(image, 10, f.A232);
    Put16(image, 12, f.B232);
    image[14] = f.ACP;
    image[15] = f.ACN;
    image[16] = f.OPT_ACP;
    image[17] = f.OPT_ACN;
    image[18] = f.OPT_VMX;
    image[19] = f.VMX;
    image[20] = f.TVMX;
    image[21] = f.OPT_VCH;
    image[22] = f.VCH;
    image[23] = f.TVCH;
    image[24] = f.OPT_RPX;
    Put16(image, 25, f.RPX);
    image[27] = f.TRPX;
    image[28] = f.OPT_OSC;
    image[29] = f.TOSC;
    image[30] = f.XOSC;
    image[31] = f.OPT_BGL;
    image[32] = f.VBGL;
    Put16(image, 33, f.RBGL);
    image[35] = f.TBGL;
    Put16(image, 4, static_cast<uint16_t>(kFieldsEnd - 6));
    uint32_t sum = 0;
    for (size_t i = 0; i < kFieldsEnd; ++i) sum += image[i];
    image[kFieldsEnd] = static_cast<uint8_t>(sum >> 16);
    image[kFieldsEnd + 1] = static_cast<uint8_t>(sum >> 8);
    image[kFieldsEnd + 2] = static_cast<uint8_t>(sum);
    std::fill(image.begin() + kFillStart, image.end(), uint8_t{0xFF});
}

bool AcceptConfigImage(std::span<const uint8_t, kConfigImageSize> image) {
    if (!std::equal(kConfigMagic.begin(), kConfigMagic.end(), image.begin())) return false;
    const size_t used = size_t{Get16(image, 4)} + 9;  // U
    if (used > kConfigImageSize) return false;
    uint32_t sum = 0;
    for (size_t i = 0; i + 3 < used; ++i) sum += image[i];
    const uint32_t stored =
        (uint32_t{image[used - 3]} << 16) | (uint32_t{image[used - 2]} << 8) | uint32_t{image[used - 1]};
    return sum == stored;
}

ConfigFields DecodeConfigImage(std::span<const uint8_t, kConfigImageSize> image) {
    ConfigFields f;
    f.PING = Get16(image, 8);
    f.A232 = Get16(image, 10);
    f.B232 = Get16(image, 12);
    f.ACP = image[14];
    f.ACN = image[15];
    f.OPT_ACP = image[16];
    f.OPT_ACN = image[17];
    f.OPT_VMX = image[18];
    f.VMX = image[19];
    f.TVMX = image[20];
    f.OPT_VCH = image[21];
    f.VCH = image[22];
    f.TVCH = image[23];
    f.OPT_RPX = image[24];
    f.RPX = Get16(image, 25);
    f.TRPX = image[27];
    f.OPT_OSC = image[28];
    f.TOSC = image[29];
    f.XOSC = image[30];
    f.OPT_BGL = image[31];
    f.VBGL = image[32];
    f.RBGL = Get16(image, 33);
    f.TBGL = image[35];
    return f;
}

}  // namespace orvel
