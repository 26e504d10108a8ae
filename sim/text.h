#pragma once
// printf-style formatting into a std::string, for trace and summary lines.
#include <cstdio>
#include <string>

namespace orvel::sim {

template <typename... Args>
std::string Format(const char* fmt, Args... args) {
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n), '\0');
    std::snprintf(s.data(), s.size() + 1, fmt, args...);
    return s;
}

}  // namespace orvel::sim
