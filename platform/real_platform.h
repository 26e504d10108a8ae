#pragma once
// The real adapters, as main.cpp hands them to the window.
#include <memory>

#include "platform/platform.h"

namespace orvel {

class QtMessageBoxes : public MessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, uint32_t flags) override;
};

class SystemClock : public Clock {
public:
    std::string DateTimeText() override;
};

class DesktopShell : public Shell {
public:
    void Open(const std::string& address) override;
};

}  // namespace orvel

namespace orvel {

// Stands in until the network adapter exists: never loads anything.
class NullWebBrowser : public WebBrowser {
public:
    void Stop() override {}
    void Navigate(const std::string&, std::optional<int>) override {}
    int ReadyState() const override { return 0; }
    std::optional<std::string> BodyText() override { return std::nullopt; }
};

}  // namespace orvel
