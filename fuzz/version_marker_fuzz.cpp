// The version marker in any body text, and the download address made from what it gives.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "update/version_marker.h"

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto version = ParseVersionToken(text);
    if (!version) return 0;

    FUZZ_CHECK(size > kVersionTokenChars && size < kVersionTextLimit);
    const size_t start = text.find('#');
    FUZZ_CHECK(start != std::string_view::npos);
    const std::string_view token = text.substr(start, kVersionTokenChars);
    FUZZ_CHECK(token.size() == kVersionTokenChars && token.substr(0, 4) == "#*$(" && token.substr(28) == ")$*#");
    for (int32_t v : {version->Major, version->Minor, version->Release}) FUZZ_CHECK(v >= 0 && v <= 999);
    char copy[12];
    std::snprintf(copy, sizeof copy, "%03d.%03d.%03d", version->Major, version->Minor, version->Release);
    FUZZ_CHECK(token.substr(4, 11) == copy && token.substr(17, 11) == copy);

    // The address fits the 100-byte buffer whole, or is refused and left empty.
    std::array<char, 100> address;
    address.fill('\x7F');
    const bool ok = FormatDownloadAddress(address, kMakerHost, *version);
    const char* end = static_cast<const char*>(std::memchr(address.data(), '\0', address.size()));
    FUZZ_CHECK(end != nullptr);
    const std::string_view written(address.data(), static_cast<size_t>(end - address.data()));
    if (!ok) {
        FUZZ_CHECK(written.empty());
        return 0;
    }
    const std::string prefix = std::string(kMakerHost) + "/files/OrvelTool v";
    FUZZ_CHECK(written.substr(0, prefix.size()) == prefix);
    FUZZ_CHECK(written.size() >= 4 && written.substr(written.size() - 4) == ".exe");
    const char letter = written[written.size() - 5];
    FUZZ_CHECK(letter == static_cast<char>(version->Release));
    FUZZ_CHECK(written.find_first_of("/?# ", prefix.size()) == std::string_view::npos);
    return 0;
}
