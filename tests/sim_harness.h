#pragma once
// orvel-sim as a child process, and the tool facing it for real.
//
//   TempDir dir;                                 // removed with everything in it
//   SimProcess sim(dir, {"--link", dir.File("ttyORVEL"), "--fw", "2.42"});
//   sim.WaitForOutput("stop with", 5s);          // the link exists from here on
//
//   SimBench bench;                              // a TForm1 on the real QtSerialPort
//   ASSERT_TRUE(bench.StartSim({"--config", "blank"})) << bench.SimWhy();
//   ASSERT_TRUE(bench.Connect());                // the link in ComboBox1, ButtonVCPClick()
//   bench.RunUntil([&] { return bench.LogHas("..."); }, 30s);
//   std::string summary = bench.StopSim();       // closes the port, SIGTERM, stdout
//
// Every child is killed (SIGKILL) and reaped by its owner on every path; nothing else is
// ever signalled. Waits are bounded; the bench's waits run the window's event loop, so
// the real timers and the port's receive events drive the tool as in use.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/Unit1.h"
#include "config/config_image.h"
#include "platform/fake_platform.h"
#include "platform/qt_serial_port.h"
#include "pty_pair.h"
#include "sim/summary.h"

extern char** environ;

namespace orvel::testing {

inline const std::string kSimulator = ORVEL_BINARY_DIR "/orvel-sim";

using SteadyClock = std::chrono::steady_clock;

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvel-sim-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One simulator child. Its standard output and error go to files in the given folder.
class SimProcess {
public:
    SimProcess(const TempDir& dir, std::vector<std::string> args)
        : out_(dir.File("sim.out")), err_(dir.File("sim.err")) {
        args.insert(args.begin(), kSimulator);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, kSimulator.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~SimProcess() { Kill(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Started() const { return pid_ > 0 || status_.has_value(); }
    bool Running() { return !WaitExit(std::chrono::seconds(0)).has_value() && pid_ > 0; }

    // The exit status once the child has exited within `bound` (128 + signal when a signal
    // ended it); nullopt if it is still running. Sleeps between looks: no window events run.
    std::optional<int> WaitExit(SteadyClock::duration bound) {
        const auto end = SteadyClock::now() + bound;
        while (pid_ > 0) {
            int status = 0;
            const pid_t r = waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                pid_ = -1;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (r < 0 || SteadyClock::now() >= end) return status_;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return status_;
    }
    // Sends SIGTERM and waits for the exit; nullopt if the child did not end in time.
    std::optional<int> Terminate(SteadyClock::duration bound = std::chrono::seconds(5)) {
        if (pid_ > 0) kill(pid_, SIGTERM);
        return WaitExit(bound);
    }
    // Ends the child at once, as a crash or a pulled cable would, and reaps it.
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_)
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid_ = -1;
    }
    // Waits until the standard output holds `text`.
    bool WaitForOutput(const std::string& text, SteadyClock::duration bound) {
        const auto end = SteadyClock::now() + bound;
        for (;;) {
            if (Stdout().find(text) != std::string::npos) return true;
            if (SteadyClock::now() >= end || WaitExit(std::chrono::seconds(0)).has_value())
                return Stdout().find(text) != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::string Stdout() const { return ReadText(out_); }
    std::string Stderr() const { return ReadText(err_); }

private:
    std::string out_, err_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// ---------------------------------------------------------------- the simulator's summary

using Image = std::array<uint8_t, kConfigImageSize>;

inline Image ImageOf(const ConfigFields& fields) {
    Image img{};
    BuildConfigImage(fields, img);
    return img;
}

// How the summary describes the configuration memory when it holds `image`.
inline std::string StoredConfigText(const Image& image) { return sim::DescribeConfig(image, "  "); }

// How the summary's line about an upload ends when the unit verified `image`.
inline std::string VerifiedUploadText(std::span<const uint8_t> image) {
    const ImageCheckValues v = ComputeCheckValues(image);
    char text[160];
    std::snprintf(text, sizeof text,
                  "check values match (sent XOR8 %02X SUM32 %08X, data gives XOR8 %02X SUM32 %08X, %zu bytes)", v.XOR8,
                  v.SUM32, v.XOR8, v.SUM32, image.size());
    return text;
}

// The summary's line about the first upload of `job` ("firmware" or "configuration").
inline std::string UploadLine(const std::string& summary, const std::string& job) {
    const size_t at = summary.find("\n  " + job + ", transfer id ");
    if (at == std::string::npos) return {};
    return summary.substr(at + 1, summary.find('\n', at + 1) - at - 1);
}

// ---------------------------------------------------------------- the tool facing it

// Recorded message boxes that also call `onShow`, so the bench can note how far the log had
// got when each box came up.
class StampedMessageBoxes : public RecordingMessageBoxes {
public:
    std::function<void()> onShow;
    int Show(const std::string& text, const std::string& caption, uint32_t flags) override {
        if (onShow) onShow();
        return RecordingMessageBoxes::Show(text, caption, flags);
    }
};

// Counts the ticks of a timer of the test's own; a long gap between two ticks means the
// window's thread was blocked for that long.
class Heartbeat {
public:
    static constexpr int kIntervalMs = 50;
    Heartbeat() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kIntervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = SteadyClock::now();
            maxGap_ = std::max(maxGap_, now - last_);
            last_ = now;
            ++ticks_;
        });
    }
    void Start() {
        last_ = SteadyClock::now();
        maxGap_ = {};
        ticks_ = 0;
        timer_.start();
    }
    // Stops counting; the time since the last tick counts as a gap too.
    void Stop() {
        maxGap_ = std::max(maxGap_, SteadyClock::now() - last_);
        timer_.stop();
    }
    int Ticks() const { return ticks_; }
    std::chrono::milliseconds MaxGap() const { return std::chrono::duration_cast<std::chrono::milliseconds>(maxGap_); }

private:
    QTimer timer_;
    SteadyClock::time_point last_;
    SteadyClock::duration maxGap_{};
    int ticks_ = 0;
};

// A real window, with the real serial port adapter, facing an orvel-sim on a link in a
// temporary folder; the other adapters are the fakes (the update check finds nothing, the
// clock is fixed). The link's full path is the port list's only entry: the enumeration
// looks for links in /dev only, and QSerialPort takes a full path as the port name.
class SimBench {
    // First, so that they outlive everything that uses them.
    TempDir dir_;
    std::string link_ = dir_.File("ttyORVEL");
    FakePlatform fake_;

public:
    struct LogEntry {
        std::string text;
        QColor color;
        SteadyClock::time_point time;
    };

    SimBench() {
        std::error_code ec;
        std::filesystem::create_directories(dir_.Path() / "exe", ec);
        fake_.exePath = (dir_.Path() / "exe" / "OrvelTool").string();
        form = std::make_unique<TForm1>(Platform{port, boxes, fake_.clock, fake_.web, fake_.shell, fake_.exePath});
        boxes.onShow = [this] { boxLogSize.push_back(history_.size()); };
        QObject::connect(form->Log, &QTextEdit::textChanged, [this] { NoteLogChange(); });
    }
    // The window goes first, then the port is closed; then the child is killed and reaped.
    ~SimBench() {
        form.reset();
        port.Close();
        sim.reset();
    }
    SimBench(const SimBench&) = delete;
    SimBench& operator=(const SimBench&) = delete;

    const std::string& Link() const { return link_; }
    const TempDir& Dir() const { return dir_; }

    // Starts the simulator on the bench's link with `args`; true once it is listening.
    bool StartSim(std::vector<std::string> args) {
        args.insert(args.begin(), {"--link", link_});
        sim = std::make_unique<SimProcess>(dir_, std::move(args));
        return sim->WaitForOutput("stop with", std::chrono::seconds(10));
    }
    std::string SimWhy() const {
        return sim ? "simulator did not come up; stderr: " + sim->Stderr() + "\nstdout: " + sim->Stdout()
                   : "no simulator";
    }

    // Puts the link into ComboBox1, selects it and clicks ButtonVCP; true when the port is open.
    bool Connect() {
        form->ComboBox1->clear();
        form->ComboBox1->addItem(QString::fromStdString(link_));
        form->ComboBox1->SetItemIndex(0);
        form->ButtonVCPClick();
        return port.IsOpen();
    }

    // Runs the window's events until `done()` holds or `bound` has passed; returns done().
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
        return WaitUntil(done, bound);
    }
    void RunFor(std::chrono::milliseconds span) { RunEventsFor(static_cast<int>(span.count())); }

    // Closes the port as the user would, stops the simulator and returns its output with
    // the summary; empty when it did not end.
    std::string StopSim() {
        if (port.IsOpen()) form->ButtonVCPClick();
        if (!sim) return {};
        if (sim->Running() && !sim->Terminate().has_value()) return {};
        return sim->Stdout();
    }

    // Every log line since the bench was built, across the clearing at each opening.
    const std::vector<LogEntry>& History() const { return history_; }
    bool LogHas(std::string_view text) const { return Find(text).has_value(); }
    size_t LogCount(std::string_view text) const {
        size_t n = 0;
        for (const LogEntry& e : history_) n += e.text == text;
        return n;
    }
    std::optional<size_t> Find(std::string_view text, size_t from = 0) const {
        for (size_t i = from; i < history_.size(); ++i)
            if (history_[i].text == text) return i;
        return std::nullopt;
    }
    // Whether the lines appear in this order (others may come between them). On failure,
    // `missing` tells the first line not found.
    bool LogInOrder(const std::vector<std::string>& lines, std::string* missing = nullptr) const {
        size_t at = 0;
        for (const std::string& line : lines) {
            const auto i = Find(line, at);
            if (!i) {
                if (missing) *missing = line;
                return false;
            }
            at = *i + 1;
        }
        return true;
    }
    std::string LogText() const {
        std::string s;
        for (const LogEntry& e : history_) s += e.text + "\n";
        return s;
    }
    bool BoxShown(std::string_view caption) const {
        for (const auto& b : boxes.shown)
            if (b.caption == caption) return true;
        return false;
    }

    QtSerialPort port;
    StampedMessageBoxes boxes;
    std::vector<size_t> boxLogSize;  // log lines there were when each box was shown
    std::unique_ptr<TForm1> form;
    std::unique_ptr<SimProcess> sim;

private:
    void NoteLogChange() {
        std::vector<std::pair<std::string, QColor>> lines;
        const QTextDocument* doc = form->Log->document();
        if (!doc->isEmpty())
            for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
                lines.emplace_back(b.text().toStdString(), b.charFormat().foreground().color());
        if (lines.size() < shown_) shown_ = 0;  // the log was cleared
        const auto now = SteadyClock::now();
        for (size_t i = shown_; i < lines.size(); ++i) history_.push_back({lines[i].first, lines[i].second, now});
        shown_ = lines.size();
    }

    std::vector<LogEntry> history_;
    size_t shown_ = 0;
};

}  // namespace orvel::testing
