// The acceptance test, the decoder and the conformance count on any 2032-byte image read
// from a unit (shorter inputs are padded with the FF fill, longer ones cut).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "config/config_image.h"
#include "config/conformance.h"
#include "fuzz_check.h"

using namespace orvel;

namespace {

// The deviations an image can show at most: three lists, port A and fourteen option
// digits; in Rotaval mode also PING, B232, ACP, ACN, fourteen digits and eleven values.
constexpr uint32_t kMaxNormalDeviations = 3 + 1 + 14;
constexpr uint32_t kMaxRotavalDeviations = kMaxNormalDeviations + 4 + 14 + 11;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::array<uint8_t, kConfigImageSize> image;
    image.fill(0xFF);
    std::copy_n(data, std::min(size, image.size()), image.begin());
    const auto before = image;

    const bool accepted = AcceptConfigImage(image);
    const ConfigFields fields = DecodeConfigImage(image);
    const uint32_t normal = CountDeviations(fields, false);
    const uint32_t rotaval = CountDeviations(fields, true);
    FUZZ_CHECK(image == before);  // reading never writes
    FUZZ_CHECK(normal <= kMaxNormalDeviations);
    FUZZ_CHECK(rotaval >= normal && rotaval <= kMaxRotavalDeviations);
    if (accepted) FUZZ_CHECK(std::equal(kConfigMagic.begin(), kConfigMagic.end(), image.begin()));

    // Whatever was decoded builds into an image that passes the test and decodes the same.
    std::array<uint8_t, kConfigImageSize> rebuilt;
    BuildConfigImage(fields, rebuilt);
    FUZZ_CHECK(AcceptConfigImage(rebuilt));
    FUZZ_CHECK(DecodeConfigImage(rebuilt) == fields);
    FUZZ_CHECK(CountDeviations(DecodeConfigImage(rebuilt), true) == rotaval);
    // An accepted image of the tool's own layout is exactly what the tool would build.
    const bool ownLayout = image[4] == 0 && image[5] == 30 && image[6] == 1 && image[7] == 2 &&
                           std::all_of(image.begin() + 39, image.end(), [](uint8_t b) { return b == 0xFF; });
    if (accepted && ownLayout) FUZZ_CHECK(rebuilt == image);

    const ImageCheckValues check = ComputeCheckValues(rebuilt);
    uint8_t x = 0;
    uint32_t s = 0;
    for (uint8_t b : rebuilt) {
        x ^= b;
        s += b;
    }
    FUZZ_CHECK(check.XOR8 == x && check.SUM32 == s);
    return 0;
}
