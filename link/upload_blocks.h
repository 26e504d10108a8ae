#pragma once
// How the block upload cuts an image into frames: 48 data bytes per block, then one final
// block with the two check values. Payload of every block (big-endian):
//   0 transfer id (2) | 2 block number (2) | 4 block count (2) | 6 data (1..48)
//   final block:                                               | 6 XOR8 | 7 SUM32 (4)
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/transfer_job.h"

namespace orvel {

constexpr uint32_t kUploadBlockBytes = 48;
constexpr size_t kUploadHeaderBytes = 6;
// Block numbers and the count travel as 16-bit numbers.
constexpr uint32_t kMaxUploadBlocks = 0xFFFF;

// Data blocks (the last one may be short) plus the final block; 1 for an empty image.
constexpr uint64_t UploadBlockCount(uint64_t dataLength) {
    return dataLength / kUploadBlockBytes + (dataLength % kUploadBlockBytes != 0 ? 1 : 0) + 1;
}

// Why an image cannot be uploaded (in the tool's words), or nullopt when it can:
// its job would need more than 65,535 blocks, or it has a length but no bytes.
std::optional<std::string> UploadRefusal(const uint8_t* data, uint32_t dataLength);

// The payload of block `block` (1 .. BlockCount) of `job`. Data bytes are taken only from
// Data[0 .. DataLength-1], whatever BlockCount says; nullopt for block 0, a block past
// BlockCount, or a data block that has no bytes to carry.
std::optional<std::vector<uint8_t>> UploadBlockPayload(const TransferJob& job, uint32_t block);

}  // namespace orvel
