#include "platform/fake_serial_port.h"

#include <QTimer>

#include "platform/port_names.h"

namespace orvel {

std::optional<std::vector<std::string>> FakeSerialPort::EnumPorts() {
    if (!ports) return std::nullopt;
    return SortPortNames(*ports);
}

bool FakeSerialPort::Open() {
    if (failOpen || open_) return false;
    open_ = true;
    vanished_ = false;
    ++openCount;
    return true;
}

void FakeSerialPort::Close() {
    if (inRx_) ++closesInRxEvent;
    if (open_) ++closeCount;
    open_ = false;
    input_.clear();
}

void FakeSerialPort::ClearBuffers() {
    ++clearCount;
    input_.clear();
}

int FakeSerialPort::Write(std::span<const uint8_t> bytes) {
    if (failWrite || !Connected()) return -1;
    writes.emplace_back(bytes.begin(), bytes.end());
    if (onWrite) onWrite(writes.back());
    return static_cast<int>(bytes.size());
}

int FakeSerialPort::Read(uint8_t* dst, int count) {
    int n = std::min<int>(count, static_cast<int>(input_.size()));
    if (readLimit >= 0) n = std::min(n, readLimit);
    for (int i = 0; i < n; ++i) {
        dst[i] = input_.front();
        input_.pop_front();
    }
    readInEvent_ += static_cast<size_t>(n);
    return n;
}

void FakeSerialPort::Feed(std::vector<uint8_t> bytes) {
    if (!Connected()) return;
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    if (!inRx_) Deliver();
}

void FakeSerialPort::FeedLater(std::vector<uint8_t> bytes) {
    QTimer::singleShot(0, [this, b = std::move(bytes)]() mutable { Feed(std::move(b)); });
}

void FakeSerialPort::RedeliverPending() {
    QTimer::singleShot(0, [this] {
        if (!inRx_) Deliver();
    });
}

void FakeSerialPort::Deliver() {
    // Like the real port: one event per batch of waiting bytes, never nested.
    while (Connected() && !input_.empty() && rx_) {
        readInEvent_ = 0;
        inRx_ = true;
        rx_(static_cast<int>(input_.size()));
        inRx_ = false;
        // Bytes fed during the event wait for the next one; a handler that read
        // nothing would only be called again with the same bytes.
        if (readInEvent_ == 0) break;
    }
}

}  // namespace orvel
