#include "link/upload_blocks.h"

#include <algorithm>
#include <cstdio>

namespace orvel {

namespace {
void PutBe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
}  // namespace

std::optional<std::string> UploadRefusal(const uint8_t* data, uint32_t dataLength) {
    if (data == nullptr && dataLength != 0) return std::string("A imagem a ser enviada não está disponível!");
    const uint64_t blocks = UploadBlockCount(dataLength);
    if (blocks > kMaxUploadBlocks) {
        char text[120];
        std::snprintf(text, sizeof text, "A imagem é grande demais para ser enviada!\r\nBlocos = %llu (máximo %u)",
                      static_cast<unsigned long long>(blocks), kMaxUploadBlocks);
        return std::string(text);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> UploadBlockPayload(const TransferJob& job, uint32_t block) {
    if (block == 0 || block > job.BlockCount) return std::nullopt;
    std::vector<uint8_t> p;
    p.reserve(kUploadHeaderBytes + kUploadBlockBytes);
    PutBe16(p, job.TransferId);
    PutBe16(p, block);
    PutBe16(p, job.BlockCount);
    if (block == job.BlockCount) {
        p.push_back(job.XOR8);
        PutBe16(p, job.SUM32 >> 16);
        PutBe16(p, job.SUM32);
        return p;
    }
    const uint64_t begin = uint64_t{block - 1} * kUploadBlockBytes;
    if (job.Data == nullptr || begin >= job.DataLength) return std::nullopt;
    const uint64_t end = std::min<uint64_t>(begin + kUploadBlockBytes, job.DataLength);
    p.insert(p.end(), job.Data + begin, job.Data + end);
    return p;
}

}  // namespace orvel
