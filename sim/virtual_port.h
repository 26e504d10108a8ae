#pragma once
// A pseudo-terminal pair standing in for the unit's USB serial port, and the symbolic link
// through which programs find its terminal side.
//
// The simulator keeps a terminal-side descriptor open itself: without it the master side
// reports a hang-up (EIO, POLLHUP) whenever no program has the port open, and every close
// by the tool would look like an unplugged unit. With it, the master no longer sees the
// tool come and go; an inotify watch on the terminal node (IN_OPEN, IN_CLOSE) tells instead,
// so that the unit can start a fresh conversation each time the tool opens the port.
#include <memory>
#include <string>
#include <variant>

namespace orvel::sim {

struct PortError {
    int exitCode;  // 2: the link cannot be made (a usage problem); 1: anything else
    std::string message;
};

class VirtualPort {
public:
    enum class Session { Unchanged, Opened, Closed };

    // Opens the pair, puts both sides in raw mode and links `linkPath` to the terminal side.
    // An existing link is replaced only when it points to a /dev/pts node and no running
    // orvel-sim holds it; anything else at that path is an error.
    static std::variant<std::unique_ptr<VirtualPort>, PortError> Open(const std::string& linkPath);
    ~VirtualPort();  // removes the link if it still points to this terminal
    VirtualPort(const VirtualPort&) = delete;
    VirtualPort& operator=(const VirtualPort&) = delete;

    int MasterFd() const { return master_; }
    int WatchFd() const { return watch_; }  // -1 when opens and closes cannot be watched
    const std::string& TerminalName() const { return terminal_; }
    const std::string& LinkPath() const { return link_; }
    const std::string& LinkNote() const { return linkNote_; }  // what happened to an old link

    // Reads the pending watch events: Opened when the first program opened the terminal,
    // Closed when the last one closed it.
    Session ReadWatch();
    // Discards what the unit wrote and nobody read, so a new conversation starts clean.
    void DiscardUnread();

private:
    VirtualPort() = default;

    int master_ = -1;
    int terminal_fd_ = -1;
    int watch_ = -1;
    int claim_ = -1;  // abstract socket that marks the link as held by this process
    int clients_ = 0;
    std::string terminal_;
    std::string link_;
    std::string linkNote_;
    bool linked_ = false;
};

}  // namespace orvel::sim
