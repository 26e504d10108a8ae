#pragma once
// The hidden web-browser control of the update check and the shell that opens the
// maker's page in the user's browser.
#include <optional>
#include <string>

namespace orvel {

class WebBrowser {
public:
    virtual ~WebBrowser() = default;
    // Abandons any navigation under way.
    virtual void Stop() = 0;
    // Starts loading `address` (no scheme) in the background and returns at once.
    // `flags` 14 asks for a fresh copy from the network (no history, no cache).
    virtual void Navigate(const std::string& address, std::optional<int> flags) = 0;
    // 4 once the document has loaded.
    virtual int ReadyState() const = 0;
    // The loaded document's body text in Windows-1252; nullopt without a document.
    virtual std::optional<std::string> BodyText() = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address in the user's browser.
    virtual void Open(const std::string& address) = 0;
};

}  // namespace orvel
