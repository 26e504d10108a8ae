#pragma once
// The real serial port over QtSerialPort, on the window's thread.
//
// Receive events: QSerialPort's readyRead, with Count = the bytes waiting (at most the
// 4096 of the driver's input queue). Qt does not raise readyRead while a readyRead
// handler runs, so bytes that come in meanwhile are reported by a further event as soon
// as the running one returns.
//
// Writes never wait for the device: what the driver does not take at once stays queued
// and goes out from the event loop. The fixed write time-out of the original platform
// (2 ms per byte plus 2 ms) has no direct equivalent; instead a write is refused (-1)
// when more than the 4096 bytes of the driver's output queue would be waiting, which is
// what happens when the peer stops reading.
//
// A device that goes away (unplugged, or the peer of a pseudo-terminal closed) makes
// Connected() false; the port stays open for IsOpen() until Close().
#include <QObject>
#include <QSerialPort>

#include "platform/serial_port.h"

namespace orvel {

class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    // QSerialPortInfo's ports plus the links /dev/tty* to pseudo-terminals (virtual
    // ports made by socat or the unit simulator), sorted case-insensitively. Never
    // fails: no port at all is an empty list.
    std::optional<std::vector<std::string>> EnumPorts() override;
    // A bare name (ttyACM0, or a link's name) is looked up in /dev; a path is used as is.
    void SetPortName(const std::string& name) override { name_ = name; }
    std::string PortName() const override { return name_; }
    void SetCustomBaudRate(int32_t bitsPerSecond) override { baud_ = bitsPerSecond; }
    // Fails only when the device cannot be opened. Settings the device refuses (a
    // custom rate or modem lines on a pseudo-terminal) are left as the device has them.
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    bool Connected() const override;
    void ClearBuffers() override;
    int Write(std::span<const uint8_t> bytes) override;
    int Read(uint8_t* dst, int count) override;
    void RedeliverPending() override;

    // Bytes received and not read yet (what the next receive event will report).
    qint64 BytesWaiting() const;

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void ReleaseVanishedDevice();

    QSerialPort port_;
    std::string name_;
    int32_t baud_ = 3686400;
    bool open_ = false;         // from a successful Open() until Close()
    bool configuring_ = false;  // inside Open(): refused settings are not a vanished device
    bool vanished_ = false;
    bool releaseQueued_ = false;
    bool inRx_ = false;
    qint64 readInEvent_ = 0;
};

}  // namespace orvel
