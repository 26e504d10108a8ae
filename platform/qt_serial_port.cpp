#include "platform/qt_serial_port.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace orvel {

namespace {
constexpr qint64 kDriverQueueBytes = 4096;
}

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
}

QtSerialPort::~QtSerialPort() { port_.close(); }

std::optional<std::vector<std::string>> QtSerialPort::EnumPorts() {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names.push_back(info.portName().toStdString());
    // Virtual ports (socat, the unit simulator) are links /dev/ttyX -> /dev/pts/N, which
    // the system enumeration does not report.
    const QFileInfoList links = QDir("/dev").entryInfoList({"tty*"}, QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& fi : links) {
        if (!fi.isSymLink()) continue;
        if (!fi.symLinkTarget().startsWith("/dev/pts/")) continue;
        names.push_back(fi.fileName().toStdString());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

bool QtSerialPort::Open() {
    if (port_.isOpen()) return false;
    port_.setPortName(QString::fromStdString(name_));
    vanished_ = false;
    if (!port_.open(QIODevice::ReadWrite)) return false;
    // Settings a virtual port does not support (custom rate, modem lines on a
    // pseudo-terminal) fail their ioctl; the port still works, so that is no failure.
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
    port_.setReadBufferSize(0);
    port_.clearError();
    return true;
}

void QtSerialPort::Close() {
    port_.close();
    vanished_ = false;
}

bool QtSerialPort::Connected() const { return port_.isOpen() && !vanished_; }

void QtSerialPort::ClearBuffers() {
    if (port_.isOpen()) port_.clear(QSerialPort::AllDirections);
}

int QtSerialPort::Write(std::span<const uint8_t> bytes) {
    if (!Connected()) return -1;
    qint64 n = port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (n < 0) return -1;
    port_.flush();
    return static_cast<int>(n);
}

int QtSerialPort::Read(uint8_t* dst, int count) {
    if (!port_.isOpen() || count <= 0) return 0;
    qint64 n = port_.read(reinterpret_cast<char*>(dst), count);
    return n < 0 ? 0 : static_cast<int>(n);
}

void QtSerialPort::OnReadyRead() {
    // The receive handler may let window events run; bytes that come in meanwhile wait
    // for the next event, which is raised once the running one has returned.
    if (inRx_) return;
    while (rx_ && port_.isOpen() && port_.bytesAvailable() > 0) {
        const qint64 before = port_.bytesAvailable();
        const int count = static_cast<int>(std::min<qint64>(before, kDriverQueueBytes));
        inRx_ = true;
        rx_(count);
        inRx_ = false;
        if (!port_.isOpen() || port_.bytesAvailable() >= before) break;
    }
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
    // The device went away (unplugged, or the peer of a pseudo-terminal closed).
    if (error == QSerialPort::ResourceError) vanished_ = true;
}

}  // namespace orvel
