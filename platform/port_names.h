#pragma once
// Port list helpers shared by the real serial port and its test double.
#include <filesystem>
#include <string>
#include <vector>

namespace orvel {

// The names in case-insensitive text order (so COM10 comes before COM3); names equal
// but for case keep a stable plain order. Exact duplicates are dropped.
std::vector<std::string> SortPortNames(std::vector<std::string> names);

// Names of the entries tty* of `dir` that are symbolic links, directly or through
// further links, to a pseudo-terminal slave /dev/pts/N that exists. Dangling links and
// links to anything else are left out. An unreadable folder gives an empty list.
std::vector<std::string> PtyLinkNames(const std::filesystem::path& dir);

}  // namespace orvel
