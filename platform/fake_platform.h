#pragma once
// All the test doubles of the platform in one bundle; `Get()` hands them to a window.
#include <filesystem>

#include "platform/fake_serial_port.h"
#include "platform/platform.h"
#include "platform/recording_message_boxes.h"

namespace orvel {

class FixedClock : public Clock {
public:
    std::string text = "10/12/202414:35:07";
    std::string DateTimeText() override { return text; }
};

class FakeWebBrowser : public WebBrowser {
public:
    std::vector<std::pair<std::string, std::optional<int>>> navigations;
    int stops = 0;
    int readyState = 0;
    std::optional<std::string> body;
    void Stop() override { ++stops; }
    void Navigate(const std::string& address, std::optional<int> flags) override {
        navigations.emplace_back(address, flags);
    }
    int ReadyState() const override { return readyState; }
    std::optional<std::string> BodyText() override { return body; }
};

class RecordingShell : public Shell {
public:
    std::vector<std::string> opened;
    void Open(const std::string& address) override { opened.push_back(address); }
};

struct FakePlatform {
    FakeSerialPort port;
    RecordingMessageBoxes boxes;
    FixedClock clock;
    FakeWebBrowser web;
    RecordingShell shell;
    // Defaults to a path in a folder that holds nothing of ours.
    std::string exePath = (std::filesystem::temp_directory_path() / "orvel-test-none" / "OrvelTool").string();
    Platform Get() { return Platform{port, boxes, clock, web, shell, exePath}; }
};

}  // namespace orvel
