#include "platform/qt_serial_port.h"

#include <QSerialPortInfo>
#include <QTimer>
#include <algorithm>

#if defined(Q_OS_UNIX)
#include <poll.h>
#endif

#include "platform/port_names.h"

namespace orvel {

namespace {
constexpr qint64 kDriverQueueBytes = 4096;  // input and output queue of the original driver

// Whether the device behind an open descriptor has hung up (unplugged, pty peer gone).
bool HungUp([[maybe_unused]] qintptr handle) {
#if defined(Q_OS_UNIX)
    pollfd p{static_cast<int>(handle), POLLIN | POLLOUT, 0};
    if (::poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return true;
#endif
}
}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
}

QtSerialPort::~QtSerialPort() {
    rx_ = nullptr;
    port_.close();
}

std::optional<std::vector<std::string>> QtSerialPort::EnumPorts() {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names.push_back(info.portName().toStdString());
    // The system enumeration does not report pseudo-terminals, so virtual ports made by
    // socat or the unit simulator (links /dev/ttyX -> /dev/pts/N) are added here.
    for (std::string& name : PtyLinkNames("/dev")) names.push_back(std::move(name));
    return SortPortNames(std::move(names));
}

bool QtSerialPort::Open() {
    if (open_) return false;
    port_.setPortName(QString::fromStdString(name_));
    // QSerialPort applies its stored settings while opening and fails the open when one
    // is refused; open with standard ones, then ask for ours.
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(0);
    configuring_ = true;
    const bool opened = port_.open(QIODevice::ReadWrite);
    if (opened) {
        // A pseudo-terminal has no modem lines and may refuse the custom rate; the port
        // still carries bytes, so a refusal here is no failure to open.
        port_.setBaudRate(baud_);
        port_.setDataTerminalReady(false);
        port_.setRequestToSend(false);
    }
    configuring_ = false;
    port_.clearError();
    if (!opened) return false;
    open_ = true;
    vanished_ = false;
    return true;
}

void QtSerialPort::Close() {
    open_ = false;
    vanished_ = false;
    if (port_.isOpen()) port_.close();
}

bool QtSerialPort::Connected() const { return open_ && !vanished_ && port_.isOpen(); }

void QtSerialPort::ClearBuffers() {
    if (port_.isOpen()) port_.clear(QSerialPort::AllDirections);
}

int QtSerialPort::Write(std::span<const uint8_t> bytes) {
    if (!Connected()) return -1;
    const auto size = static_cast<qint64>(bytes.size());
    if (port_.bytesToWrite() + size > kDriverQueueBytes) return -1;
    const qint64 n = port_.write(reinterpret_cast<const char*>(bytes.data()), size);
    if (n < 0) return -1;
    port_.flush();  // hands the driver what it takes now, without waiting
    return static_cast<int>(n);
}

int QtSerialPort::Read(uint8_t* dst, int count) {
    if (!port_.isOpen() || count <= 0) return 0;
    const qint64 n = port_.read(reinterpret_cast<char*>(dst), count);
    if (n <= 0) return 0;
    readInEvent_ += n;
    return static_cast<int>(n);
}

qint64 QtSerialPort::BytesWaiting() const { return port_.isOpen() ? port_.bytesAvailable() : 0; }

void QtSerialPort::OnReadyRead() {
    if (inRx_) return;
    // Qt holds back readyRead while its handler runs, so whatever arrived meanwhile is
    // reported from here, or it would wait for the next byte from the device.
    while (rx_ && Connected() && port_.bytesAvailable() > 0) {
        const int count = static_cast<int>(std::min(port_.bytesAvailable(), kDriverQueueBytes));
        readInEvent_ = 0;
        inRx_ = true;
        rx_(count);
        inRx_ = false;
        if (readInEvent_ == 0) break;  // a handler that reads nothing would spin here
    }
    if (vanished_ && port_.isOpen()) ReleaseVanishedDevice();
}

void QtSerialPort::RedeliverPending() {
    QTimer::singleShot(0, this, [this] { OnReadyRead(); });
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
    if (configuring_ || !open_ || vanished_ || !port_.isOpen()) return;
    // A hung-up device reads as end of file (ReadError) or fails with EIO (ResourceError);
    // but Qt also reports a full output queue (EAGAIN) as ResourceError, so ask the device.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError) return;
    if (!HungUp(port_.handle())) return;
    vanished_ = true;
    // Qt keeps polling a hung-up descriptor; let it go.
    ReleaseVanishedDevice();
}

void QtSerialPort::ReleaseVanishedDevice() {
    if (releaseQueued_) return;
    releaseQueued_ = true;
    // From the event loop: closing inside Qt's own read notification, or inside a
    // receive event, would pull the notifier out from under it.
    QTimer::singleShot(0, this, [this] {
        releaseQueued_ = false;
        if (inRx_) return;  // OnReadyRead asks again once the event has returned
        if (vanished_ && port_.isOpen()) port_.close();
    });
}

}  // namespace orvel
