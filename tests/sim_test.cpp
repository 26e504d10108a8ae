// orvel-sim as the tool meets it: a child process with a link to a pseudo-terminal,
// spoken to through plain POSIX I/O. Every case starts its own simulator on a link in its
// own temporary folder and kills and reaps exactly that child, whatever happens.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "config/config_image.h"
#include "link/frame.h"
#include "platform/qt_serial_port.h"
#include "sim_harness.h"

namespace orvel {
namespace {

using Bytes = std::vector<uint8_t>;
using Image = std::array<uint8_t, kConfigImageSize>;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

using testing::ReadText;
using testing::SimProcess;
using testing::TempDir;

// Bounds for things that normally take milliseconds, generous for a loaded machine.
constexpr auto kStartBound = 5s;
constexpr auto kReplyBound = 3s;
constexpr auto kExitBound = 5s;
// How long to listen when nothing is to come (a silent unit, a dropped reply).
constexpr auto kQuietSpan = 800ms;

// Wire constants, restated here on purpose.
constexpr uint8_t kInfo = 4, kAck = 2, kNack = 3, kRead = 7, kFirmware = 1, kConfig = 6, kNotice = 11;
constexpr uint32_t kDefaultBase = 4096;

struct Received {
    FrameVerdict verdict = FrameVerdict::TooShort;
    uint8_t address = 0;
    uint8_t command = 0;
    Bytes payload;
};

// The tool's end of the port, in raw mode. Frames from the unit are cut from the byte
// stream by their declared length, so that replies glued together are seen one by one.
class Client {
public:
    explicit Client(const std::string& path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~Client() { Close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    void Send(const Bytes& frame) {
        ASSERT_EQ(write(fd_, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    }

    // The next frame, or nullopt when none is complete within `bound`.
    std::optional<Received> Next(Clock::duration bound) {
        const auto end = Clock::now() + bound;
        for (;;) {
            if (auto f = TakeFrame()) return f;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left > 0 && Fill(static_cast<int>(left))) continue;
            if (auto f = TakeFrame()) return f;
            if (buf_.empty()) return std::nullopt;
            // The start of a frame whose rest never came (its length byte may be damaged).
            Received broken{FrameVerdict::TruncatedOrBadSum, buf_.size() > 1 ? buf_[1] : uint8_t{0},
                            buf_.size() > 2 ? buf_[2] : uint8_t{0}, {}};
            buf_.clear();
            return broken;
        }
    }
    // The next frame other than an announcement.
    std::optional<Received> NextReply(Clock::duration bound) {
        const auto end = Clock::now() + bound;
        for (;;) {
            auto f = Next(end - Clock::now());
            if (!f || f->verdict != FrameVerdict::Ok || f->command != kInfo) return f;
        }
    }
    // Every byte that arrives within `span`, together with any not yet taken.
    Bytes Drain(Clock::duration span) {
        const auto end = Clock::now() + span;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0) break;
            Fill(static_cast<int>(left));
        }
        return std::exchange(buf_, {});
    }

private:
    bool Fill(int timeoutMs) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        uint8_t chunk[4096];
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n <= 0) return false;
        buf_.insert(buf_.end(), chunk, chunk + n);
        return true;
    }
    std::optional<Received> TakeFrame() {
        if (buf_.size() < kFrameHeaderBytes) return std::nullopt;
        const size_t size = ((size_t{buf_[3]} << 8) | buf_[4]) + kFrameOverheadBytes;
        if (buf_[0] != kFrameStart || size > kMaxSummedBytes + 3) {
            // Not a frame start: hand the whole rest over as one broken frame.
            Received r{FrameVerdict::BadStart, buf_[1], buf_[2], {}};
            buf_.clear();
            return r;
        }
        if (buf_.size() < size) return std::nullopt;
        const FrameCheck c = CheckFrame(std::span(buf_).first(size));
        Received r{c.verdict, buf_[1], buf_[2], Bytes(c.payload.begin(), c.payload.end())};
        buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(size));
        return r;
    }

    int fd_ = -1;
    Bytes buf_;
};

// A simulator with a client on its link, ready for the case's first exchange.
struct Session {
    TempDir dir;
    std::string link = dir.File("ttyORVEL");
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<Client> client;

    explicit Session(std::vector<std::string> args) {
        args.insert(args.begin(), {"--link", link});
        sim = std::make_unique<SimProcess>(dir, args);
        if (!sim->WaitForOutput("stop with", kStartBound)) return;
        client = std::make_unique<Client>(link);
    }
    bool Ready() const { return client && client->IsOpen(); }
    std::string Why() const { return "simulator did not come up; stderr: " + sim->Stderr() + "\nstdout: " + sim->Stdout(); }
};

uint16_t Get16(const Bytes& b, size_t at) { return static_cast<uint16_t>((b[at] << 8) | b[at + 1]); }
uint32_t Get32(const Bytes& b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}
void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v);
}

// The frames of an upload of `data`, 48 bytes a block, as the tool builds them.
std::vector<Bytes> UploadFrames(uint8_t job, uint16_t id, const Bytes& data, uint8_t xor8, uint32_t sum32) {
    const size_t dataBlocks = (data.size() + 47) / 48;
    const auto count = static_cast<uint16_t>(dataBlocks + 1);
    std::vector<Bytes> frames;
    for (size_t k = 1; k <= count; ++k) {
        Bytes p;
        Put16(p, id);
        Put16(p, static_cast<uint32_t>(k));
        Put16(p, count);
        if (k < count) {
            const size_t from = (k - 1) * 48;
            p.insert(p.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
                     data.begin() + static_cast<std::ptrdiff_t>(std::min(from + 48, data.size())));
        } else {
            p.push_back(xor8);
            Put32(p, sum32);
        }
        frames.push_back(BuildFrame(job, p));
    }
    return frames;
}

std::vector<Bytes> UploadFrames(uint8_t job, uint16_t id, const Bytes& data) {
    const ImageCheckValues v = ComputeCheckValues(data);
    return UploadFrames(job, id, data, v.XOR8, v.SUM32);
}

Bytes ImageOf(const ConfigFields& fields) {
    Image img{};
    BuildConfigImage(fields, img);
    return Bytes(img.begin(), img.end());
}

Bytes ReadRequest(uint32_t address, uint16_t count) {
    Bytes p;
    Put32(p, address);
    Put16(p, count);
    return BuildFrame(kRead, p);
}

// Reads the configuration memory as the tool does: four requests of 500 bytes, one of 32.
Bytes ReadConfiguration(Client& client, uint32_t base) {
    Bytes image;
    for (uint32_t k = 0; k < 5; ++k) {
        const uint32_t address = base + k * 500;
        const uint16_t count = k < 4 ? 500 : 32;
        client.Send(ReadRequest(address, count));
        const auto reply = client.NextReply(kReplyBound);
        if (!reply || reply->verdict != FrameVerdict::Ok || reply->command != kRead || reply->payload.size() < 6) {
            ADD_FAILURE() << "no read reply for address " << address;
            return {};
        }
        EXPECT_EQ(Get32(reply->payload, 0), address);
        EXPECT_EQ(Get16(reply->payload, 4), count);
        EXPECT_EQ(reply->payload.size(), 6u + count);
        image.insert(image.end(), reply->payload.begin() + 6, reply->payload.end());
    }
    return image;
}

// Sends every frame and checks the reply to each; returns the reply to the last one.
std::optional<Received> Upload(Client& client, const std::vector<Bytes>& frames) {
    for (size_t k = 1; k <= frames.size(); ++k) {
        client.Send(frames[k - 1]);
        auto reply = client.NextReply(kReplyBound);
        if (!reply) {
            ADD_FAILURE() << "no reply to block " << k;
            return std::nullopt;
        }
        if (k == frames.size()) return reply;
        EXPECT_EQ(reply->verdict, FrameVerdict::Ok) << "block " << k;
        EXPECT_EQ(reply->command, kAck) << "block " << k;
        EXPECT_EQ(reply->payload, (Bytes{static_cast<uint8_t>(k >> 8), static_cast<uint8_t>(k)})) << "block " << k;
        if (::testing::Test::HasFailure()) return std::nullopt;
    }
    return std::nullopt;
}

Bytes Pattern(size_t size) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return b;
}

TEST(OrvelSim, AnnouncesAWellFormedInformationRecordEvery500Ms) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        uint8_t mode, hardware, major, minor;
        std::array<uint32_t, 3> words;  // in printed order
        uint32_t base;
    } cases[] = {
        {"defaults", {}, 1, 4, 2, 43, {0x4F52564C, 0x53494D00, 0x00000001}, kDefaultBase},
        {"operation mode", {"--operation-mode"}, 0, 4, 2, 43, {0x4F52564C, 0x53494D00, 0x00000001}, kDefaultBase},
        {"identity from the options",
         {"--hw", "41", "--fw", "2.42", "--id", "00000003:2:0x1", "--config-base", "0x2000"},
         1, 41, 2, 42, {3, 2, 1}, 0x2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session s(c.args);
        ASSERT_TRUE(s.Ready()) << s.Why();
        for (int n = 0; n < 2; ++n) {  // the record comes again while nobody answers
            const auto f = s.client->Next(kReplyBound);
            ASSERT_TRUE(f.has_value()) << "announcement " << n;
            ASSERT_EQ(f->verdict, FrameVerdict::Ok);
            EXPECT_EQ(f->address, 0x12);
            ASSERT_EQ(f->command, kInfo);
            const Bytes& p = f->payload;
            ASSERT_EQ(p.size(), 45u);
            EXPECT_EQ(p[0], c.mode);
            EXPECT_EQ(Get32(p, 9), c.words[0]);
            EXPECT_EQ(Get32(p, 5), c.words[1]);
            EXPECT_EQ(Get32(p, 1), c.words[2]);
            EXPECT_EQ(p[37], c.hardware);
            EXPECT_EQ(p[39], c.major);
            EXPECT_EQ(p[40], c.minor);
            EXPECT_EQ(Get32(p, 41), c.base);
        }
    }
}

TEST(OrvelSim, ConfigurationUploadIsTakenOnlyWhenItsCheckValuesMatch) {
    const Bytes defaults = ImageOf(kDefaultPresetFields);
    const Bytes rotaval = ImageOf(kRotavalPresetFields);
    const Bytes blank(kConfigImageSize, 0xFF);
    const ImageCheckValues good = ComputeCheckValues(defaults);
    struct Case {
        const char* what;
        const char* initial;
        uint8_t xor8;
        uint32_t sum32;
        uint8_t finalReply;
        const Bytes& memoryAfter;
    } cases[] = {
        {"matching check values", "blank", good.XOR8, good.SUM32, kAck, defaults},
        {"wrong XOR8", "rotaval", static_cast<uint8_t>(good.XOR8 ^ 0x01), good.SUM32, kNack, rotaval},
        {"wrong SUM32", "rotaval", good.XOR8, good.SUM32 + 1, kNack, rotaval},
    };
    ASSERT_NE(defaults, blank);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session s({"--config", c.initial});
        ASSERT_TRUE(s.Ready()) << s.Why();
        const auto frames = UploadFrames(kConfig, 0x5A17, defaults, c.xor8, c.sum32);
        ASSERT_EQ(frames.size(), 44u);
        const auto last = Upload(*s.client, frames);
        ASSERT_TRUE(last.has_value());
        EXPECT_EQ(last->verdict, FrameVerdict::Ok);
        EXPECT_EQ(last->command, c.finalReply);
        if (c.finalReply == kAck) {
            EXPECT_EQ(last->payload, (Bytes{0x00, 44}));
        }
        EXPECT_EQ(ReadConfiguration(*s.client, kDefaultBase), c.memoryAfter);
    }
}

TEST(OrvelSim, FirmwareUploadEndsInARestartAsVersion243) {
    Session s({"--fw", "2.42"});
    ASSERT_TRUE(s.Ready()) << s.Why();
    const auto first = s.client->Next(kReplyBound);
    ASSERT_TRUE(first && first->command == kInfo && first->payload.size() == 45u);
    EXPECT_EQ(first->payload[40], 42);

    const auto frames = UploadFrames(kFirmware, 0x0102, Pattern(100));
    const auto last = Upload(*s.client, frames);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->command, kAck);
    EXPECT_EQ(last->payload, (Bytes{0x00, 0x04}));  // 100 bytes: three data blocks and the final block

    const auto again = s.client->Next(kReplyBound);
    ASSERT_TRUE(again.has_value()) << "no announcement after the restart";
    ASSERT_EQ(again->command, kInfo);
    EXPECT_EQ(again->payload[39], 2);
    EXPECT_EQ(again->payload[40], 43);

    // A tool that lost the last acknowledgement sends the final block again: the restarted
    // unit acknowledges it and keeps announcing itself for the tool's next step.
    s.client->Send(frames.back());
    const auto reAck = s.client->NextReply(kReplyBound);
    ASSERT_TRUE(reAck.has_value());
    EXPECT_EQ(reAck->command, kAck);
    EXPECT_EQ(reAck->payload, (Bytes{0x00, 0x04}));
    const auto stillAnnouncing = s.client->Next(kReplyBound);
    ASSERT_TRUE(stillAnnouncing.has_value());
    EXPECT_EQ(stillAnnouncing->command, kInfo);
}

TEST(OrvelSim, SavesExactlyTheVerifiedFirmwareAndNothingElse) {
    const Bytes firmware = Pattern(1000);
    const ImageCheckValues v = ComputeCheckValues(firmware);
    struct Case {
        const char* what;
        uint8_t xor8;
        bool saved;
    } cases[] = {
        {"matching check values", v.XOR8, true},
        {"wrong XOR8", static_cast<uint8_t>(v.XOR8 ^ 0x80), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir files;
        const std::string saved = files.File("firmware.bin");
        Session s({"--fw", "1.0", "--save-firmware", saved, "--exit-after-firmware"});
        ASSERT_TRUE(s.Ready()) << s.Why();
        const auto last = Upload(*s.client, UploadFrames(kFirmware, 0x7777, firmware, c.xor8, v.SUM32));
        ASSERT_TRUE(last.has_value());
        EXPECT_EQ(last->command, c.saved ? kAck : kNack);
        if (c.saved) {
            EXPECT_EQ(s.sim->WaitExit(kExitBound), 0) << "--exit-after-firmware";
            const std::string text = ReadText(saved);
            EXPECT_EQ(Bytes(text.begin(), text.end()), firmware);
        } else {
            EXPECT_EQ(s.sim->Terminate(), 0);
            EXPECT_FALSE(fs::exists(saved));
        }
    }
}

TEST(OrvelSim, ExitsAfterAStoredConfigurationWhenAskedTo) {
    Session s({"--config", "blank", "--exit-after-config"});
    ASSERT_TRUE(s.Ready()) << s.Why();
    const auto last = Upload(*s.client, UploadFrames(kConfig, 0x0042, ImageOf(kRotavalPresetFields)));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->command, kAck);
    EXPECT_EQ(s.sim->WaitExit(kExitBound), 0);
    EXPECT_NE(s.sim->Stdout().find("VMX        100"), std::string::npos) << s.sim->Stdout();
}

TEST(OrvelSim, FaultOptionsShapeTheReplyToAnUploadBlock) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        // What arrives for block 1, frame by frame: "ack" (of block 1), "nack", "notice",
        // "broken" (fails the frame checks).
        std::vector<std::string> expected;
    } cases[] = {
        {"no fault", {}, {"ack"}},
        {"--nack-every 1", {"--nack-every", "1"}, {"nack"}},
        {"--merge", {"--merge"}, {"ack", "ack"}},
        {"--drop 1", {"--drop", "1"}, {}},
        {"--corrupt 1", {"--corrupt", "1", "--seed", "7"}, {"broken"}},
        {"--notice-after-block 1", {"--notice-after-block", "1"}, {"ack", "notice"}},
        {"--split, joined again", {"--split"}, {"ack"}},
    };
    const auto frames = UploadFrames(kConfig, 0x1234, ImageOf(kDefaultPresetFields));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Session s(c.args);
        ASSERT_TRUE(s.Ready()) << s.Why();
        const auto hello = s.client->Next(kReplyBound);
        ASSERT_TRUE(hello && hello->command == kInfo) << "announcements are not subject to faults";
        s.client->Send(frames[0]);
        std::vector<std::string> got;
        while (auto f = s.client->NextReply(got.size() < c.expected.size() ? kReplyBound : kQuietSpan)) {
            if (f->verdict != FrameVerdict::Ok)
                got.push_back("broken");
            else if (f->command == kAck && f->payload == Bytes{0x00, 0x01})
                got.push_back("ack");
            else if (f->command == kNack)
                got.push_back("nack");
            else if (f->command == kNotice)
                got.push_back("notice");
            else
                got.push_back("command " + std::to_string(f->command));
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST(OrvelSim, AfterItsNoticeTheUnitTakesNoFramesUntilThePortIsOpenedAgain) {
    Session s({"--notice-after-block", "1"});
    ASSERT_TRUE(s.Ready()) << s.Why();
    const auto frames = UploadFrames(kConfig, 0x1234, ImageOf(kDefaultPresetFields));
    ASSERT_TRUE(s.client->Next(kReplyBound).has_value());
    s.client->Send(frames[0]);
    const auto ack = s.client->NextReply(kReplyBound);
    ASSERT_TRUE(ack && ack->command == kAck);
    const auto notice = s.client->NextReply(kReplyBound);
    ASSERT_TRUE(notice && notice->command == kNotice);
    // The unit now runs its application: no acknowledgement, no read reply.
    s.client->Send(frames[1]);
    s.client->Send(ReadRequest(kDefaultBase, 32));
    EXPECT_TRUE(s.client->Drain(kQuietSpan).empty());

    s.client = nullptr;
    std::this_thread::sleep_for(100ms);
    s.client = std::make_unique<Client>(s.link);
    ASSERT_TRUE(s.client->IsOpen());
    const auto hello = s.client->Next(kReplyBound);
    ASSERT_TRUE(hello && hello->command == kInfo);
    s.client->Send(frames[0]);
    const auto again = s.client->NextReply(kReplyBound);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->command, kAck) << "a fresh conversation; the notice came once";
    EXPECT_FALSE(s.client->NextReply(kQuietSpan).has_value());
}

TEST(OrvelSim, SilentUnitSendsNothingAtAll) {
    Session s({"--silent"});
    ASSERT_TRUE(s.Ready()) << s.Why();
    EXPECT_TRUE(s.client->Drain(kQuietSpan).empty());
    s.client->Send(ReadRequest(kDefaultBase, 500));
    EXPECT_TRUE(s.client->Drain(kQuietSpan).empty());
}

TEST(OrvelSim, ReopeningThePortStartsANewConversation) {
    Session s({});
    ASSERT_TRUE(s.Ready()) << s.Why();
    ASSERT_TRUE(s.client->Next(kReplyBound).has_value());
    s.client->Send(ReadRequest(kDefaultBase, 32));
    const auto reply = s.client->NextReply(kReplyBound);
    ASSERT_TRUE(reply && reply->command == kRead);
    // The first frame ends the announcements...
    s.client->Drain(100ms);
    EXPECT_FALSE(s.client->Next(kQuietSpan).has_value());
    // ...until the port is opened anew, as the tool does after a reconnection.
    s.client = nullptr;
    std::this_thread::sleep_for(100ms);
    s.client = std::make_unique<Client>(s.link);
    ASSERT_TRUE(s.client->IsOpen());
    const auto hello = s.client->Next(kReplyBound);
    ASSERT_TRUE(hello.has_value());
    EXPECT_EQ(hello->command, kInfo);
}

TEST(OrvelSim, ReadsOutsideTheConfigurationMemoryGetNoBytes) {
    Session s({"--config-base", "8192"});
    ASSERT_TRUE(s.Ready()) << s.Why();
    struct Case {
        uint32_t address;
        uint16_t count;
        uint16_t returned;
    } cases[] = {{8192 + 2000, 32, 32}, {8192 + 2020, 32, 12}, {8192 + 2032, 32, 0}, {4096, 500, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        s.client->Send(ReadRequest(c.address, c.count));
        const auto reply = s.client->NextReply(kReplyBound);
        ASSERT_TRUE(reply && reply->command == kRead);
        EXPECT_EQ(Get32(reply->payload, 0), c.address);
        EXPECT_EQ(Get16(reply->payload, 4), c.returned);
        EXPECT_EQ(reply->payload.size(), 6u + c.returned);
    }
}

TEST(OrvelSim, SummaryOnSigtermDecodesTheConfigurationInMemory) {
    struct Case {
        const char* config;
        std::vector<std::string> lines;
    } cases[] = {
        {"default", {"valid image", "PING       180", "A232      1152", "OPT_VMX     11  buzzer: Entrada; event: Entrada",
                     "VMX        120", "RPX       4500", "RBGL       900", "TBGL         5"}},
        {"rotaval", {"PING        60", "OPT_ACP      1  buzzer: off; event: on", "OPT_VCH      3  buzzer: none; event: Entrada, Saída",
                     "TOSC         1"}},
        {"blank", {"invalid image: blank memory"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        Session s({"--config", c.config});
        ASSERT_TRUE(s.Ready()) << s.Why();
        s.client = nullptr;
        EXPECT_EQ(s.sim->Terminate(), 0);
        const std::string out = s.sim->Stdout();
        for (const std::string& line : c.lines) EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
        EXPECT_FALSE(fs::is_symlink(s.link)) << "the link is removed at exit";
    }
}

TEST(OrvelSim, BadCommandLinesExitWithTwoAndSayWhy) {
    TempDir dir;
    const std::string notALink = dir.File("regular-file");
    std::ofstream(notALink) << "keep me";
    const std::string shortConfig = dir.File("short.bin");
    std::ofstream(shortConfig) << "too short";
    const std::string foreignLink = dir.File("foreign-link");
    fs::create_symlink("/dev/null", foreignLink);
    const std::vector<std::vector<std::string>> cases = {
        {"--hw", "256"},
        {"--hw", "four"},
        {"--fw", "2"},
        {"--fw", "2.x"},
        {"--id", "1:2"},
        {"--id", "1:2:123456789"},
        {"--config-base", "-1"},
        {"--config", dir.File("missing.bin")},
        {"--config", shortConfig},
        {"--drop", "1.5"},
        {"--nack-every", "0"},
        {"--latency"},
        {"--trace=yes"},
        {"--no-such-option"},
        {"--link", dir.File("no-such-folder/tty")},
        {"--link", notALink},
        {"--link", foreignLink},
    };
    for (const auto& args : cases) {
        std::string what;
        for (const auto& a : args) what += a + " ";
        SCOPED_TRACE(what);
        SimProcess sim(dir, args);
        ASSERT_TRUE(sim.Started());
        EXPECT_EQ(sim.WaitExit(kExitBound), 2);
        EXPECT_NE(sim.Stderr().find("orvel-sim: "), std::string::npos) << sim.Stderr();
    }
    EXPECT_EQ(ReadText(notALink), "keep me");
    EXPECT_EQ(fs::read_symlink(foreignLink), "/dev/null");
}

TEST(OrvelSim, ReplacesAStaleLinkButNotOneHeldByARunningSimulator) {
    TempDir dir;
    const std::string link = dir.File("ttyORVEL");
    fs::create_symlink("/dev/pts/99999", link);
    SimProcess first(dir, {"--link", link});
    ASSERT_TRUE(first.WaitForOutput("stop with", kStartBound)) << first.Stderr();
    EXPECT_NE(fs::read_symlink(link), "/dev/pts/99999");
    {
        Client client(link);
        ASSERT_TRUE(client.IsOpen());
        const auto hello = client.Next(kReplyBound);
        ASSERT_TRUE(hello.has_value());
        EXPECT_EQ(hello->command, kInfo);
    }
    TempDir other;
    SimProcess second(other, {"--link", link});
    EXPECT_EQ(second.WaitExit(kExitBound), 2);
    EXPECT_NE(second.Stderr().find("another running orvel-sim"), std::string::npos) << second.Stderr();
    EXPECT_EQ(first.WaitExit(0s), std::nullopt) << "the first simulator keeps running";
}

// The tool's own port adapter on the link: Qt's settings on a pseudo-terminal, its
// receive events, and the simulator noticing each opening of the port.
TEST(OrvelSim, TheToolsSerialPortTalksToTheUnitAcrossReconnections) {
    TempDir dir;
    const std::string link = dir.File("ttyORVEL");
    SimProcess sim(dir, {"--link", link});
    ASSERT_TRUE(sim.WaitForOutput("stop with", kStartBound)) << sim.Stderr();

    QtSerialPort port;
    Bytes received;
    port.SetRxHandler([&](int count) {
        Bytes chunk(static_cast<size_t>(count));
        chunk.resize(static_cast<size_t>(std::max(0, port.Read(chunk.data(), count))));
        received.insert(received.end(), chunk.begin(), chunk.end());
    });
    // Runs the event loop until a frame with `command` has arrived; returns its payload.
    auto awaitFrame = [&](uint8_t command) -> std::optional<Bytes> {
        const auto end = Clock::now() + kReplyBound;
        while (Clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            while (received.size() >= kFrameOverheadBytes) {
                const size_t size = ((size_t{received[3]} << 8) | received[4]) + kFrameOverheadBytes;
                if (received.size() < size) break;
                const FrameCheck c = CheckFrame(std::span(received).first(size));
                const Bytes payload(c.payload.begin(), c.payload.end());
                received.erase(received.begin(), received.begin() + static_cast<std::ptrdiff_t>(size));
                if (c.verdict == FrameVerdict::Ok && c.command == command) return payload;
            }
        }
        return std::nullopt;
    };

    port.SetPortName(link);
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE("opening " + std::to_string(opening));
        ASSERT_TRUE(port.Open());
        port.ClearBuffers();
        received.clear();
        const auto info = awaitFrame(kInfo);
        ASSERT_TRUE(info.has_value()) << "no announcement";
        EXPECT_EQ(info->size(), 45u);
        const Bytes request = ReadRequest(kDefaultBase, 500);
        ASSERT_EQ(port.Write(request), static_cast<int>(request.size()));
        const auto reply = awaitFrame(kRead);
        ASSERT_TRUE(reply.has_value()) << "no read reply";
        EXPECT_EQ(reply->size(), 506u);
        port.Close();
    }
    EXPECT_EQ(sim.Terminate(), 0);
    EXPECT_NE(sim.Stdout().find("port opened 2 times"), std::string::npos) << sim.Stdout();
}

}  // namespace
}  // namespace orvel
