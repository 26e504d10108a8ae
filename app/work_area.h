#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace orvel {

constexpr size_t kConfigImageBytes = 2032;

// Program-wide text and byte buffers, fields in this order.
struct WorkArea {
    std::array<uint8_t, kConfigImageBytes> ReadImage{};  // image read from the unit
    char DownloadAddress[100] = {};                      // zero-terminated
    char ExePath[500] = {};                              // zero-terminated
    char ScannedCode[25] = {};                           // 24 characters and a zero
};

}  // namespace orvel
