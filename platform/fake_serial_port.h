#pragma once
// Test double of the serial port: lists scripted names, can refuse to open, fail a write
// or vanish, records every write and delivers fed bytes as receive events. It also
// counts closes made inside a receive event, which would hang the real platform.
#include <deque>
#include <functional>

#include "platform/serial_port.h"

namespace orvel {

class FakeSerialPort : public SerialPort {
public:
    // --- what the test scripts ---
    // The ports present, in any order (EnumPorts sorts them as the platform does);
    // nullopt makes the enumeration fail.
    std::optional<std::vector<std::string>> ports = std::vector<std::string>{};
    bool failOpen = false;    // Open() returns false
    bool failWrite = false;   // Write() returns -1 and records nothing
    int readLimit = -1;       // >= 0: a Read() returns at most this many bytes
    // Called after each recorded write (a scripted peer answers from here).
    std::function<void(const std::vector<uint8_t>&)> onWrite;

    // --- what the test inspects ---
    std::vector<std::vector<uint8_t>> writes;
    std::string name;
    int32_t baud = 0;
    int openCount = 0;
    int closeCount = 0;
    int clearCount = 0;
    int closesInRxEvent = 0;  // Close() calls while a receive event was running

    // Appends bytes to the input queue and raises one receive event for everything
    // waiting. Inside a running receive event the bytes wait for the next event,
    // raised as soon as the running one returns.
    void Feed(std::vector<uint8_t> bytes);
    // The same, from the event loop (delivered at the next processEvents).
    void FeedLater(std::vector<uint8_t> bytes);
    // The unit was unplugged: the port reports itself as not connected, though it is
    // still open until Close().
    void Vanish() { vanished_ = true; }
    size_t Pending() const { return input_.size(); }
    bool InRxEvent() const { return inRx_; }

    // --- SerialPort ---
    std::optional<std::vector<std::string>> EnumPorts() override;
    void SetPortName(const std::string& n) override { name = n; }
    std::string PortName() const override { return name; }
    void SetCustomBaudRate(int32_t b) override { baud = b; }
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    bool Connected() const override { return open_ && !vanished_; }
    void ClearBuffers() override;
    int Write(std::span<const uint8_t> bytes) override;
    int Read(uint8_t* dst, int count) override;
    void RedeliverPending() override;

private:
    void Deliver();
    std::deque<uint8_t> input_;
    bool open_ = false;
    bool vanished_ = false;
    bool inRx_ = false;
    size_t readInEvent_ = 0;
};

}  // namespace orvel
