#include "update/version_marker.h"

#include <cstdio>

namespace orvel {

namespace {

// Offsets inside the marker.
constexpr size_t kFirstCopy = 4;
constexpr size_t kSecondCopy = 17;
constexpr size_t kCopyChars = 11;  // "MMM.mmm.RRR"

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int32_t ThreeDigits(std::string_view s) { return (s[0] - '0') * 100 + (s[1] - '0') * 10 + (s[2] - '0'); }

bool IsAsciiAlnum(int32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::optional<ReleaseVersion> ParseVersionToken(std::string_view text) {
    if (text.size() <= kVersionTokenChars || text.size() >= kVersionTextLimit) return std::nullopt;
    const size_t start = text.find('#');
    if (start == std::string_view::npos || text.size() - start < kVersionTokenChars) return std::nullopt;
    const std::string_view token = text.substr(start, kVersionTokenChars);

    const struct {
        size_t offset;
        std::string_view chars;
    } fixed[] = {{0, "#*$("}, {7, "."}, {11, "."}, {15, "@@"}, {20, "."}, {24, "."}, {28, ")$*#"}};
    for (const auto& f : fixed) {
        if (token.substr(f.offset, f.chars.size()) != f.chars) return std::nullopt;
    }
    const std::string_view first = token.substr(kFirstCopy, kCopyChars);
    if (first != token.substr(kSecondCopy, kCopyChars)) return std::nullopt;
    for (size_t field : {0u, 4u, 8u}) {
        for (size_t i = 0; i < 3; ++i) {
            if (!IsDigit(first[field + i])) return std::nullopt;
        }
    }
    return ReleaseVersion{ThreeDigits(first.substr(0, 3)), ThreeDigits(first.substr(4, 3)),
                          ThreeDigits(first.substr(8, 3))};
}

bool FormatDownloadAddress(std::span<char> out, std::string_view host, const ReleaseVersion& version) {
    if (out.empty()) return false;
    out[0] = '\0';
    if (!IsAsciiAlnum(version.Release)) return false;
    const int needed = std::snprintf(out.data(), out.size(), "%.*s/files/OrvelTool v%d.%d.%c.exe",
                                     static_cast<int>(host.size()), host.data(), version.Major, version.Minor,
                                     static_cast<char>(version.Release));
    if (needed < 0 || static_cast<size_t>(needed) >= out.size()) {
        out[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace orvel
