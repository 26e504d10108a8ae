#include "sim/virtual_port.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace orvel::sim {

namespace {

std::string Errno() { return std::strerror(errno); }

bool MakeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

// Binds an abstract socket named after the link. The name is free again the moment its
// holder exits, however it exits, so a link whose holder is gone is known to be stale.
// Returns the socket, -1 when another process holds the name, -2 when it cannot tell.
int ClaimLink(const std::string& absoluteLink) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -2;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string name = "orvel-sim:" + absoluteLink;
    if (name.size() >= sizeof addr.sun_path - 1)
        name = "orvel-sim:#" + std::to_string(std::hash<std::string>{}(absoluteLink));
    std::memcpy(addr.sun_path + 1, name.data(), name.size());  // leading zero: abstract namespace
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0) return fd;
    const int err = errno;
    close(fd);
    return err == EADDRINUSE ? -1 : -2;
}

}  // namespace

std::variant<std::unique_ptr<VirtualPort>, PortError> VirtualPort::Open(const std::string& linkPath) {
    std::unique_ptr<VirtualPort> port(new VirtualPort());
    port->link_ = linkPath;

    port->claim_ = ClaimLink(AbsolutePath(linkPath));
    if (port->claim_ == -1)
        return PortError{2, "the link " + linkPath + " belongs to another running orvel-sim; stop it or choose another --link"};

    port->master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (port->master_ < 0) return PortError{1, "cannot open a pseudo-terminal: " + Errno()};
    if (grantpt(port->master_) != 0 || unlockpt(port->master_) != 0)
        return PortError{1, "cannot unlock the pseudo-terminal: " + Errno()};
    char name[128];
    if (ptsname_r(port->master_, name, sizeof name) != 0)
        return PortError{1, "cannot name the pseudo-terminal: " + Errno()};
    port->terminal_ = name;
    port->terminal_fd_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (port->terminal_fd_ < 0) return PortError{1, "cannot open " + port->terminal_ + ": " + Errno()};
    if (!MakeRaw(port->terminal_fd_) || !MakeRaw(port->master_))
        return PortError{1, "cannot put the pseudo-terminal in raw mode: " + Errno()};
    const int flags = fcntl(port->master_, F_GETFL);
    if (flags < 0 || fcntl(port->master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return PortError{1, "cannot make the pseudo-terminal non-blocking: " + Errno()};
    // The tool may run as another user than a simulator started with sudo.
    fchmod(port->terminal_fd_, 0666);

    // Watch before linking: nobody can open the port before the watch counts it.
    port->watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (port->watch_ >= 0 && inotify_add_watch(port->watch_, name, IN_OPEN | IN_CLOSE) < 0) {
        close(port->watch_);
        port->watch_ = -1;
    }

    struct stat st{};
    if (lstat(linkPath.c_str(), &st) == 0) {
        char target[PATH_MAX] = {};
        const ssize_t n = S_ISLNK(st.st_mode) ? readlink(linkPath.c_str(), target, sizeof target - 1) : -1;
        const bool ptsLink = n > 0 && std::string_view(target, static_cast<size_t>(n)).starts_with("/dev/pts/");
        if (!ptsLink || port->claim_ < 0)
            return PortError{2, linkPath + " exists and is not a link left by orvel-sim; remove it or choose another --link"};
        // Replace atomically: the tool never finds the name missing.
        const std::string temp = linkPath + ".orvel-sim-" + std::to_string(getpid());
        unlink(temp.c_str());
        if (symlink(name, temp.c_str()) != 0 || rename(temp.c_str(), linkPath.c_str()) != 0) {
            const std::string err = Errno();
            unlink(temp.c_str());
            return PortError{2, "cannot replace the stale link " + linkPath + ": " + err};
        }
        port->linkNote_ = "replaced a stale link to " + std::string(target, static_cast<size_t>(n));
    } else if (errno != ENOENT) {
        return PortError{2, "cannot look at " + linkPath + ": " + Errno()};
    } else if (symlink(name, linkPath.c_str()) != 0) {
        const int err = errno;
        return PortError{2, "cannot create the link " + linkPath + " -> " + port->terminal_ + ": " + std::strerror(err) +
                                (err == EACCES || err == EPERM ? " (a link in /dev needs root; or choose another --link)" : "")};
    }
    port->linked_ = true;
    return port;
}

VirtualPort::~VirtualPort() {
    if (linked_) {
        char target[PATH_MAX] = {};
        const ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
        if (n > 0 && terminal_ == std::string_view(target, static_cast<size_t>(n))) unlink(link_.c_str());
    }
    for (int fd : {watch_, terminal_fd_, master_, claim_})
        if (fd >= 0) close(fd);
}

VirtualPort::Session VirtualPort::ReadWatch() {
    if (watch_ < 0) return Session::Unchanged;
    const int before = clients_;
    bool reopened = false;  // closed and opened again within one batch of events
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t n = read(watch_, buf, sizeof buf);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
            if ((e->mask & IN_OPEN) && clients_++ == 0) reopened = true;
            if ((e->mask & IN_CLOSE) && clients_ > 0) --clients_;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    if (clients_ > 0 && reopened) return Session::Opened;
    if (clients_ == 0 && before > 0) return Session::Closed;
    return Session::Unchanged;
}

void VirtualPort::DiscardUnread() { tcflush(terminal_fd_, TCIFLUSH); }

}  // namespace orvel::sim
