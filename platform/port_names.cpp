#include "platform/port_names.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace orvel {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    const bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](unsigned char x, unsigned char y) { return lower(x) < lower(y); });
    const bool greater = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(),
        [&](unsigned char x, unsigned char y) { return lower(x) < lower(y); });
    if (less || greater) return less;
    return a < b;
}

bool IsPtySlave(const std::filesystem::path& p) {
    const std::string s = p.string();
    constexpr std::string_view kPts = "/dev/pts/";
    if (s.size() <= kPts.size() || s.compare(0, kPts.size(), kPts) != 0) return false;
    return std::all_of(s.begin() + kPts.size(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::vector<std::string> SortPortNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> PtyLinkNames(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("tty", 0) != 0) continue;
        std::error_code linkEc;
        if (!it->is_symlink(linkEc) || linkEc) continue;
        const fs::path target = fs::canonical(it->path(), linkEc);  // fails for a dangling link
        if (linkEc || !IsPtySlave(target)) continue;
        names.push_back(name);
    }
    return names;
}

}  // namespace orvel
