#include "link/transfer_id.h"

namespace orvel {

namespace {
constexpr size_t kIdChars = 14;

uint32_t SignedChar(std::string_view text, size_t i) {
    const int8_t c = i < text.size() ? static_cast<int8_t>(text[i]) : 0;
    return static_cast<uint32_t>(static_cast<int32_t>(c));
}
}  // namespace

uint32_t TransferIdFromText(std::string_view dateTimeText, uint8_t shift, uint32_t mask) {
    uint32_t v = SignedChar(dateTimeText, kIdChars - 1);
    for (size_t i = 0; i + 1 < kIdChars; ++i) v *= SignedChar(dateTimeText, i);  // wraps at 32 bits
    v = shift < 32 ? v >> shift : 0;
    return v & mask;
}

}  // namespace orvel
