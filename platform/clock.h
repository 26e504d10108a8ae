#pragma once
#include <string>

namespace orvel {

// The current local date in the system's short date format followed directly by the
// current local time in its long time format (e.g. "10/12/202414:35:07").
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::string DateTimeText() = 0;
};

}  // namespace orvel
