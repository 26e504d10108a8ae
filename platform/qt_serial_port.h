#pragma once
// The real serial port over QtSerialPort.
#include <QObject>
#include <QSerialPort>

#include "platform/serial_port.h"

namespace orvel {

class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    std::optional<std::vector<std::string>> EnumPorts() override;
    void SetPortName(const std::string& name) override { name_ = name; }
    std::string PortName() const override { return name_; }
    void SetCustomBaudRate(int32_t bitsPerSecond) override { baud_ = bitsPerSecond; }
    bool Open() override;
    void Close() override;
    bool Connected() const override;
    void ClearBuffers() override;
    int Write(std::span<const uint8_t> bytes) override;
    int Read(uint8_t* dst, int count) override;

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    std::string name_;
    int32_t baud_ = 3686400;
    bool vanished_ = false;
    bool inRx_ = false;
    bool recheckQueued_ = false;
};

}  // namespace orvel
