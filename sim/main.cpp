// orvel-sim: a virtual Orvel unit on a pseudo-terminal. See UsageText() for what it does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sim/options.h"
#include "sim/summary.h"
#include "sim/text.h"
#include "sim/transmitter.h"
#include "sim/unit.h"
#include "sim/unit_frame.h"
#include "sim/virtual_port.h"

namespace orvel::sim {
namespace {

constexpr int64_t kIncompleteFrameMs = 200;  // a frame whose rest does not come in this time is dropped
constexpr int64_t kExitGraceMs = 300;         // after the last acknowledgement went out
constexpr int64_t kMaxPollMs = 1000;
constexpr int64_t kWriteWaitMs = 100;         // for room in the port's queue
constexpr int64_t kHangupPauseMs = 50;

volatile sig_atomic_t g_stop = 0;
void OnStopSignal(int) { g_stop = 1; }

// Writes all bytes, waiting a little for room; false when the port does not take them.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, kWriteWaitMs) <= 0) return false;
    }
    return true;
}

// Writes via a temporary file, so that FILE is either the old or the new image.
bool SaveFile(const std::string& path, std::span<const uint8_t> bytes, std::string& error) {
    const std::string temp = path + ".partial";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + temp;
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + temp + " to " + path + ": " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

class Simulator {
public:
    Simulator(const SimOptions& options, VirtualPort& port, uint64_t seed)
        : options_(options),
          port_(port),
          seed_(seed),
          start_(std::chrono::steady_clock::now()),
          tx_(options, seed, [this](const std::string& line) { Trace(line); }),
          unit_(options, tx_.ReplyDelayMs(), [this](const std::string& line) { Trace(line); }) {}

    int Run(const sigset_t& waitMask);

private:
    int64_t NowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    }
    void Trace(const std::string& line) const {
        if (!options_.trace) return;
        std::printf("%9.3f %s\n", static_cast<double>(NowMs()) / 1000.0, line.c_str());
        std::fflush(stdout);
    }
    void Flush(int64_t nowMs);
    void ReadPort(int64_t nowMs);
    void OnDecoded(const DecodeEvent& e, int64_t nowMs);
    void OnSession(VirtualPort::Session s, int64_t nowMs);
    void OnUnitEvents(int64_t nowMs);

    const SimOptions& options_;
    VirtualPort& port_;
    const uint64_t seed_;
    const std::chrono::steady_clock::time_point start_;
    Transmitter tx_;
    SimUnit unit_;
    FrameDecoder decoder_;
    LinkCounters link_;
    int64_t lastByteMs_ = 0;
    int64_t exitAtMs_ = kNever;
    std::string firmwareNote_ = "no verified firmware received";
    int exitCode_ = 0;
};

void Simulator::Flush(int64_t nowMs) {
    for (const auto& bytes : tx_.TakeDue(nowMs)) {
        if (WriteAll(port_.MasterFd(), bytes)) continue;
        ++link_.writesLost;
        Trace(Format("unit>tool write of %zu bytes lost: %s", bytes.size(), std::strerror(errno)));
    }
}

void Simulator::OnDecoded(const DecodeEvent& e, int64_t nowMs) {
    using Kind = DecodeEvent::Kind;
    switch (e.kind) {
        case Kind::Frame:
            ++link_.framesIn;
            for (Outgoing& out : unit_.OnFrame(e.command, e.payload, nowMs)) tx_.Send(std::move(out), nowMs);
            OnUnitEvents(nowMs);
            return;
        case Kind::Skipped:
            link_.bytesSkipped += static_cast<uint32_t>(e.bytes);
            Trace(Format("tool>unit ERROR %zu bytes before a start byte skipped", e.bytes));
            return;
        case Kind::BadLength:
            ++link_.badLengths;
            Trace("tool>unit ERROR start byte with a length over 1019: dropped");
            return;
        case Kind::BadSum:
            ++link_.badSums;
            Trace(Format("tool>unit ERROR command %u, %zu-byte frame: sum %06X, bytes add up to %06X: dropped", e.command,
                         e.bytes, e.sentSum, e.computedSum));
            return;
        case Kind::NotForUnit:
            ++link_.notForUnit;
            Trace(Format("tool>unit ERROR command %u, %zu-byte frame, address 0x%02X: destination %u is not the unit (1), "
                         "ignored",
                         e.command, e.bytes, e.address, e.address & 0x0F));
            return;
        case Kind::Incomplete:
            ++link_.incomplete;
            Trace(Format("tool>unit ERROR incomplete frame (%zu bytes) dropped: its rest did not come within %lld ms",
                         e.bytes, static_cast<long long>(kIncompleteFrameMs)));
            return;
    }
}

void Simulator::ReadPort(int64_t nowMs) {
    uint8_t buf[4096];
    for (;;) {
        const ssize_t n = read(port_.MasterFd(), buf, sizeof buf);
        if (n <= 0) return;
        lastByteMs_ = nowMs;
        for (const DecodeEvent& e : decoder_.Feed(std::span<const uint8_t>(buf, static_cast<size_t>(n))))
            OnDecoded(e, nowMs);
    }
}

void Simulator::OnSession(VirtualPort::Session s, int64_t nowMs) {
    if (s == VirtualPort::Session::Unchanged) return;
    // Whatever the unit said to the previous conversation is of no use to the next.
    tx_.DropPending();
    port_.DiscardUnread();
    decoder_.Reset();
    if (s == VirtualPort::Session::Opened) {
        ++link_.toolOpens;
        Trace("---- port opened by a program: a new conversation");
        unit_.OnToolConnected(nowMs);
    } else {
        Trace("---- port closed by the last program that had it open");
        unit_.OnToolDisconnected();
    }
}

void Simulator::OnUnitEvents(int64_t nowMs) {
    for (UnitEvent e : unit_.TakeEvents()) {
        if (e == UnitEvent::FirmwareVerified) {
            const auto& fw = unit_.VerifiedFirmware();
            firmwareNote_ = Format("verified, %zu bytes", fw.size());
            if (!options_.saveFirmware.empty()) {
                std::string error;
                if (SaveFile(options_.saveFirmware, fw, error)) {
                    firmwareNote_ += ", saved to " + options_.saveFirmware;
                } else {
                    firmwareNote_ += ", NOT saved: " + error;
                    std::fprintf(stderr, "orvel-sim: %s\n", error.c_str());
                    exitCode_ = 1;
                }
            }
        }
        const bool exitNow = (e == UnitEvent::FirmwareVerified && options_.exitAfterFirmware) ||
                             (e == UnitEvent::ConfigStored && options_.exitAfterConfig);
        if (exitNow) exitAtMs_ = std::min(exitAtMs_, tx_.LastDueMs(nowMs) + kExitGraceMs);
    }
}

int Simulator::Run(const sigset_t& waitMask) {
    std::printf("orvel-sim: unit on %s -> %s; hardware %u, firmware %u.%u, id %08X %08X %08X, configuration at 0x%08X (%s)%s\n",
                port_.LinkPath().c_str(), port_.TerminalName().c_str(), options_.hardwareType, options_.firmwareMajor,
                options_.firmwareMinor, options_.unitId[0], options_.unitId[1], options_.unitId[2], options_.configBase,
                options_.configSource.c_str(), options_.operationMode ? "; operation mode" : "");
    if (!port_.LinkNote().empty()) std::printf("orvel-sim: %s\n", port_.LinkNote().c_str());
    if (port_.WatchFd() < 0)
        std::printf("orvel-sim: cannot watch the port being opened; announcing from now on until the first frame\n");
    std::printf("orvel-sim: stop with Ctrl+C or SIGTERM\n");
    std::fflush(stdout);

    if (port_.WatchFd() < 0) unit_.OnToolConnected(NowMs());
    while (!g_stop) {
        const int64_t now = NowMs();
        for (Outgoing& out : unit_.OnTick(now)) tx_.Send(std::move(out), now);
        Flush(now);
        if (now >= exitAtMs_) break;
        if (decoder_.HasPartial() && now - lastByteMs_ >= kIncompleteFrameMs)
            if (const auto e = decoder_.Expire()) OnDecoded(*e, now);

        int64_t deadline = std::min({unit_.NextDeadline(), tx_.NextDueMs(), exitAtMs_});
        if (decoder_.HasPartial()) deadline = std::min(deadline, lastByteMs_ + kIncompleteFrameMs);
        const int64_t waitMs = std::clamp<int64_t>(deadline - now, 0, kMaxPollMs);
        const timespec timeout{static_cast<time_t>(waitMs / 1000), static_cast<long>((waitMs % 1000) * 1000000)};

        pollfd fds[2] = {{port_.MasterFd(), POLLIN, 0}, {port_.WatchFd(), POLLIN, 0}};
        const int ready = ppoll(fds, port_.WatchFd() >= 0 ? 2 : 1, &timeout, &waitMask);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "orvel-sim: waiting for the port failed: %s\n", std::strerror(errno));
            exitCode_ = 1;
            break;
        }
        const int64_t after = NowMs();
        // Session changes first: bytes of a new conversation must not be thrown away with
        // what the old one left behind.
        if (fds[1].revents & POLLIN) OnSession(port_.ReadWatch(), after);
        if (fds[0].revents & POLLIN) ReadPort(after);
        // The terminal side is held open here, so a hang-up should not happen; if it does,
        // do not spin on it.
        if ((fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN)) usleep(kHangupPauseMs * 1000);
    }

    const std::string summary = Summary(options_, seed_, unit_, tx_.Counters(), link_, firmwareNote_);
    std::fputs(summary.c_str(), stdout);
    std::fflush(stdout);
    return exitCode_;
}

int Main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParseResult parsed = ParseOptions(args);
    if (parsed.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "orvel-sim: %s\nTry 'orvel-sim --help' for the options.\n", parsed.error.c_str());
        return 2;
    }
    const SimOptions& options = *parsed.options;

    // The stop signals are taken only while waiting for the port, so that a loop turn is
    // never cut short and the summary always comes out whole.
    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, s);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction sa {};
        sa.sa_handler = OnStopSignal;
        sigemptyset(&sa.sa_mask);
        sigaction(s, &sa, nullptr);
    }
    signal(SIGPIPE, SIG_IGN);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&waitMask, s);

    auto opened = VirtualPort::Open(options.link);
    if (auto* error = std::get_if<PortError>(&opened)) {
        std::fprintf(stderr, "orvel-sim: %s\n", error->message.c_str());
        return error->exitCode;
    }
    auto& port = *std::get<std::unique_ptr<VirtualPort>>(opened);
    const uint64_t seed = options.seed.value_or(std::random_device{}());
    Simulator sim(options, port, seed);
    return sim.Run(waitMask);
}

}  // namespace
}  // namespace orvel::sim

int main(int argc, char** argv) { return orvel::sim::Main(argc, argv); }
