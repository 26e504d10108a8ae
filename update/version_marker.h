#pragma once
// The version file on the maker's web server and the addresses built from it.
//
// The file holds one 32-character marker (`VersionToken`) somewhere in free text:
//   #*$(MMM.mmm.RRR@@MMM.mmm.RRR)$*#
// major, minor and release (the character code of the release letter) as three decimal
// digits each, written twice. No '#' may come before the marker.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orvel {

// The maker's web server. Addresses carry no scheme; the web adapter adds it.
constexpr std::string_view kMakerHost = "www.corvane.com.br";
constexpr std::string_view kVersionFilePath = "/files/orveltool.ver";
constexpr std::string_view kProductPagePath = "/orvel";

constexpr size_t kVersionTokenChars = 32;
// The whole body text must be longer than the marker and shorter than this.
constexpr size_t kVersionTextLimit = 500;

struct ReleaseVersion {
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Release = 0;  // character code of the release letter: 65 is 'A'
    friend bool operator==(const ReleaseVersion&, const ReleaseVersion&) = default;
};

// Reads the marker from the version file's body text (single-byte characters).
// Returns nullopt when the text has 32 or fewer or 500 or more characters, when its first
// '#' does not open a complete marker, when a fixed character is out of place, when the
// second copy of a field differs from the first, or when the first copy holds a non-digit.
std::optional<ReleaseVersion> ParseVersionToken(std::string_view text);

// Writes "<host>/files/OrvelTool v<major>.<minor>.<letter>.exe", zero-terminated, into `out`.
// Returns false, leaving `out` as an empty text, when the address would not fit (it is
// never cut short) or when the release is not an ASCII letter or digit: any other code
// (0, above 127, '/', '?', '#', a space...) would end, redirect or garble the address.
bool FormatDownloadAddress(std::span<char> out, std::string_view host, const ReleaseVersion& version);

}  // namespace orvel
