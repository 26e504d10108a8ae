#pragma once
// The hidden web-browser control of the update check and the shell that opens the
// maker's page in the user's browser.
#include <optional>
#include <string>

namespace orvel {

class WebBrowser {
public:
    static constexpr int kComplete = 4;  // ready state of a loaded document
    // Navigate flags: no history (2), no read from cache (4), no write to cache (8).
    static constexpr int kNoHistory = 2;
    static constexpr int kNoReadFromCache = 4;
    static constexpr int kNoWriteToCache = 8;

    virtual ~WebBrowser() = default;
    // Abandons the navigation under way; a document already loaded stays.
    virtual void Stop() = 0;
    // Starts loading `address` (host and path, no scheme) in the background and returns at
    // once; the ready state leaves kComplete until the new document has loaded. An address
    // that names a release file ("/files/OrvelTool v....exe") is a download instead: the
    // file is saved beside the tool and the current document is left alone.
    virtual void Navigate(const std::string& address, std::optional<int> flags) = 0;
    // kComplete once the last navigation has ended, with or without a document.
    virtual int ReadyState() const = 0;
    // The loaded document's body text (inner HTML of an HTML page, the text of any other
    // document) in Windows-1252; nullopt when there is no document (nothing loaded, a
    // network failure or an error status from the server).
    virtual std::optional<std::string> BodyText() = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address in the user's browser.
    virtual void Open(const std::string& address) = 0;
};

}  // namespace orvel
