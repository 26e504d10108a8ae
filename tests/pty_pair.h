#pragma once
// A pseudo-terminal pair standing in for a unit on a USB virtual serial port: the tool
// opens the slave (by its /dev/pts path or by a tty-style symbolic link), the test
// speaks as the unit on the master side. Both sides are in raw mode, so no byte is
// echoed or translated.
//
//   PtyPair pty;
//   ASSERT_TRUE(pty.Ok()) << pty.Error();
//   std::string link = pty.LinkIn(tempDir, "ttyORVEL0");  // optional
//   pty.Write(frame);
//   std::vector<uint8_t> got = pty.Read(8, std::chrono::milliseconds(2000));
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvel::testing {

// Lets window events run for up to `ms` milliseconds, sleeping while there are none.
inline void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class PtyPair {
public:
    // Opens the pair. The slave stays open on our side too (until CloseSlave), so the
    // master does not see a hang-up while the tool has the port closed.
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0) { Fail("posix_openpt"); return; }
        if (::grantpt(master_) != 0) { Fail("grantpt"); return; }
        if (::unlockpt(master_) != 0) { Fail("unlockpt"); return; }
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) != 0) { Fail("ptsname_r"); return; }
        slavePath_ = name;
        slave_ = ::open(name, O_RDWR | O_NOCTTY);
        if (slave_ < 0) { Fail("open slave"); return; }
        if (!MakeRaw(slave_) || !MakeRaw(master_)) { Fail("raw mode"); return; }
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        RemoveLink();
        CloseSlave();
        CloseMaster();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    // The slave's device path, e.g. /dev/pts/3.
    const std::string& SlavePath() const { return slavePath_; }

    // Makes `dir`/`name` a symbolic link to the slave (replacing one left behind) and
    // returns its path; empty on failure. The link is removed with the pair.
    std::string LinkIn(const std::filesystem::path& dir, const std::string& name) {
        std::error_code ec;
        RemoveLink();
        const std::filesystem::path link = dir / name;
        std::filesystem::remove(link, ec);
        std::filesystem::create_symlink(slavePath_, link, ec);
        if (ec) return {};
        link_ = link;
        return link.string();
    }
    void RemoveLink() {
        if (link_.empty()) return;
        std::error_code ec;
        std::filesystem::remove(link_, ec);
        link_.clear();
    }

    // Writes all bytes on the master side (the unit speaking); false on failure.
    bool Write(const std::vector<uint8_t>& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno == EAGAIN) {
                pollfd p{master_, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0) return false;
                continue;
            }
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    // Reads from the master side until `count` bytes have come or `timeout` has passed,
    // letting the window's events run meanwhile (the tool writes from its event loop).
    // Returns what came, possibly fewer than `count`.
    std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds timeout) {
        std::vector<uint8_t> out;
        QDeadlineTimer deadline(timeout);
        while (out.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            uint8_t chunk[512];
            const ssize_t n = ::read(master_, chunk, std::min(sizeof chunk, count - out.size()));
            if (n > 0) {
                out.insert(out.end(), chunk, chunk + n);
                continue;
            }
            pollfd p{master_, POLLIN, 0};
            ::poll(&p, 1, 5);
        }
        return out;
    }

    // The bit rate the slave is set to, also a custom one (Linux termios2); nullopt once
    // the slave is closed on our side or the query fails.
    std::optional<uint32_t> SlaveOutputSpeed() const {
        // The kernel's struct termios2; <asm/termbits.h> cannot be included next to <termios.h>.
        struct KernelTermios2 {
            uint32_t c_iflag, c_oflag, c_cflag, c_lflag;
            uint8_t c_line;
            uint8_t c_cc[19];
            uint32_t c_ispeed, c_ospeed;
        } t{};
        if (slave_ < 0 || ::ioctl(slave_, _IOR('T', 0x2A, KernelTermios2), &t) != 0) return std::nullopt;
        return t.c_ospeed;
    }

    // The unit goes away: the tool's side sees a hang-up.
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    void CloseSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }

private:
    static bool MakeRaw(int fd) {
        termios t{};
        if (::tcgetattr(fd, &t) != 0) return false;
        ::cfmakeraw(&t);
        return ::tcsetattr(fd, TCSANOW, &t) == 0;
    }
    void Fail(const char* what) { error_ = std::string(what) + ": " + std::strerror(errno); }

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::filesystem::path link_;
    std::string error_;
};

// Lets window events run until `done()` holds or `timeout` has passed; returns done().
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!done() && !deadline.hasExpired()) RunEventsFor(5);
    return done();
}

}  // namespace orvel::testing
