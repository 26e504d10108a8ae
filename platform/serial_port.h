#pragma once
// The serial port as the link code sees it. The window owns one (`VCP`); the real one runs
// over QtSerialPort, tests use FakeSerialPort. Nothing outside platform/ touches QSerialPort.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel {

class SerialPort {
public:
    // Raised on the window's thread when bytes are waiting; `count` is how many.
    // Never raised again while a previous call is still running; bytes that arrive
    // meanwhile are reported by the next call, soon after it returns.
    using RxHandler = std::function<void(int count)>;

    virtual ~SerialPort() = default;

    // Port names sorted case-insensitively; nullopt when the ports cannot be listed.
    virtual std::optional<std::vector<std::string>> EnumPorts() = 0;

    virtual void SetPortName(const std::string& name) = 0;
    virtual std::string PortName() const = 0;
    virtual void SetCustomBaudRate(int32_t bitsPerSecond) = 0;

    // Opens with the fixed settings (8N1, no flow control, DTR/RTS inactive).
    // Returns false when the port cannot be opened (absent, in use, no rights, already
    // open); nothing is reported.
    virtual bool Open() = 0;
    // Closes the port; harmless when it is closed already or has vanished.
    virtual void Close() = 0;
    // True from a successful Open() until Close(), even after the device has vanished:
    // the port still has to be closed then.
    virtual bool IsOpen() const { return Connected(); }
    // False once the port is closed or has vanished (unit unplugged, peer gone).
    virtual bool Connected() const = 0;
    // Discards what the driver holds in its input and output queues.
    virtual void ClearBuffers() = 0;
    // Writes the block in one write; returns the bytes accepted, -1 on failure.
    virtual int Write(std::span<const uint8_t> bytes) = 0;
    // Reads up to `count` waiting bytes into `dst`; returns how many were read (0 if none).
    virtual int Read(uint8_t* dst, int count) = 0;

    // Raises the receive event again, from the event loop, for bytes a handler left unread.
    virtual void RedeliverPending() {}

    void SetRxHandler(RxHandler handler) { rx_ = std::move(handler); }

protected:
    RxHandler rx_;
};

}  // namespace orvel
