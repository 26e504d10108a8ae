// The whole receive path on a real window over the fake port: the input is a script of
// events (bytes fed as one receive event, well-formed frames, engine ticks, job starts,
// port changes, a unit that answers writes from inside the event loop).
//
// Building a window costs more than most inputs, so one window serves them all: before
// each input the port is closed and opened again as the technician would, which empties
// log and editor, and every record the engines keep is set back to its start value.
// The window's timers get a day-long interval: they still run and stop as the engines
// say, but only the script ticks them, so an input behaves the same on every run.
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <span>
#include <vector>

#include "app/Unit1.h"
#include "config/config_image.h"
#include "fuzz_check.h"
#include "link/frame.h"
#include "platform/fake_platform.h"

using namespace orvel;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr auto kNeverFires = std::chrono::hours(24);
// Writes the scripted unit answers per input: enough to finish a small upload or a read,
// not enough for a firmware image to keep one input busy for long.
constexpr int kAnswerBudget = 96;
constexpr size_t kReadBlockBytes = 500;

class Script {
public:
    Script(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool Done() const { return p_ == end_; }
    uint8_t Byte() { return p_ == end_ ? 0 : *p_++; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() << 8 | Byte()); }
    uint32_t Long() { return uint32_t{Word()} << 16 | Word(); }
    Bytes Take(size_t n) {
        n = std::min(n, static_cast<size_t>(end_ - p_));
        Bytes b(p_, p_ + n);
        p_ += n;
        return b;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

Bytes UnitFrame(uint8_t command, const Bytes& payload, uint8_t address = 0x12) {
    Bytes f = {kFrameStart, address, command, static_cast<uint8_t>(payload.size() >> 8),
               static_cast<uint8_t>(payload.size())};
    f.insert(f.end(), payload.begin(), payload.end());
    const uint32_t s = ByteSum(f);
    f.push_back(static_cast<uint8_t>(s >> 16));
    f.push_back(static_cast<uint8_t>(s >> 8));
    f.push_back(static_cast<uint8_t>(s));
    return f;
}

void PutBe32(Bytes& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

Bytes ReadReply(uint32_t address, std::span<const uint8_t> data) {
    Bytes p(6);
    PutBe32(p, 0, address);
    p[4] = static_cast<uint8_t>(data.size() >> 8);
    p[5] = static_cast<uint8_t>(data.size());
    p.insert(p.end(), data.begin(), data.end());
    return UnitFrame(kCmdRead, p);
}

// Everything the tool writes is one frame for the unit, small enough for the unit's buffer.
void CheckToolFrame(const Bytes& w) {
    FUZZ_CHECK(w.size() >= kFrameOverheadBytes && w.size() <= 62);
    FUZZ_CHECK(w[0] == kFrameStart && w[1] == kToolToUnit);
    const size_t n = size_t{w[3]} << 8 | w[4];
    FUZZ_CHECK(n + kFrameOverheadBytes == w.size());
    const uint32_t sum = ByteSum(std::span<const uint8_t>(w).first(n + kFrameHeaderBytes));
    FUZZ_CHECK(w[n + 5] == (sum >> 16 & 0xFF) && w[n + 6] == (sum >> 8 & 0xFF) && w[n + 7] == (sum & 0xFF));
    switch (w[2]) {
        case kCmdRead:
            FUZZ_CHECK(n == 6);
            break;
        case kCmdFirmwareBlock:
        case kCmdConfigBlock: {
            FUZZ_CHECK(n >= 7 && n <= 54);
            const uint16_t block = static_cast<uint16_t>(w[7] << 8 | w[8]);
            const uint16_t count = static_cast<uint16_t>(w[9] << 8 | w[10]);
            FUZZ_CHECK(block >= 1 && block <= count);
            if (block == count) FUZZ_CHECK(n == 11);
            break;
        }
        case kCmdJump:
            FUZZ_CHECK(n == 0);
            break;
        default:
            FUZZ_CHECK(!"a command the tool never sends");
    }
}

enum Op : uint8_t {
    kRawBytes,         // n, n bytes: one receive event
    kFrame,            // well-formed (or damaged) frame for the tool
    kAckCurrent,       // acknowledgement of the current block, plus a small offset
    kReadReplyCurrent, // reply from the unit's memory for the current read block
    kInfoRecord,       // information record of a chosen unit
    kTickUpload,       // Timer1 tick, if it runs
    kTickRead,         // Timer3 tick, if it runs
    kTickClose,        // Timer2 tick, if it runs
    kStartUpload,      // TxInit with a small image
    kStartRead,        // B_GetConfigClick
    kWriteConfig,      // B_SetConfigClick
    kFirmwareJob,      // B_FwTxClick
    kEvents,           // let pending window events run
    kVanish,           // the unit is unplugged
    kConnectClick,     // the connect button
    kReadLimit,        // reads return at most this many bytes
    kResponder,        // how the unit answers the tool's writes (bits, see Answer)
    kUnitMemory,       // the configuration the unit's memory holds
    kToggleRotaval,
    kToggleAutoClose,
    kLater,            // an event for the next pass of the event loop, wherever that is
    kOpCount,
};

// What kLater schedules: ticks, clicks and bytes that come in while a handler lets
// window events run, as they do with the real timers and port.
enum Later : uint8_t {
    kLaterUpload,
    kLaterRead,
    kLaterClose,
    kLaterClick,
    kLaterBytes,
    kLaterNack,
    kLaterVanish,
    kLaterCount,
};

// The message boxes, checked as they are shown: a job is given up once. A second give-up
// box needs a new job, and a new job writes its first frame before it can be given up.
class CheckedBoxes : public RecordingMessageBoxes {
public:
    explicit CheckedBoxes(const size_t& writes) : writes_(writes) {}
    int Show(const std::string& text, const std::string& caption, uint32_t flags) override {
        if (caption == "ERRO #0x02" || caption == "ERRO #0x04") {
            const auto last = lastGiveUp_.find(caption);
            FUZZ_CHECK(last == lastGiveUp_.end() || last->second != writes_);
            lastGiveUp_[caption] = writes_;
        }
        return RecordingMessageBoxes::Show(text, caption, flags);
    }
    void Reset() {
        shown.clear();
        lastGiveUp_.clear();
    }

private:
    const size_t& writes_;
    std::map<std::string, size_t> lastGiveUp_;
};

class Session {
public:
    Session() {
        fake.port.ports = std::vector<std::string>{"ttyS0"};
        fake.port.onWrite = [this](const Bytes& w) {
            ++writes_;
            Answer(w);
        };
        Platform platform = fake.Get();
        form = std::make_unique<TForm1>(Platform{platform.port, boxes_, platform.clock, platform.web,
                                                 platform.shell, platform.exePath});
        for (QTimer* t : {form->Timer1, form->Timer2, form->Timer3, form->Timer4, form->Timer5})
            t->setInterval(kNeverFires);
        form->Timer4->stop();
        form->Timer5Timer();
        for (size_t i = 0; i < upload_.size(); ++i) upload_[i] = static_cast<uint8_t>(i * 7 + 3);
    }

    // The state right after the technician has opened the port, whatever came before.
    void Reset() {
        TForm1& f = *form;
        for (QTimer* t : {f.Timer1, f.Timer2, f.Timer3}) t->stop();
        fake.port.Close();
        fake.port.readLimit = -1;
        f.TransferJob = {};
        f.ErrorCounters = {};
        f.DeviceInfo = {};
        f.ReadRunning = false;
        f.WriteImage.fill(0);
        f.WorkArea.ReadImage.fill(0);
        f.IdShift = 5;
        f.DeviationCount = 0;
        f.DiscardPartialCode();
        f.L_ClearClick();
        f.Cb_Rotaval->setChecked(false);
        f.Cb_COMAutoClose->setChecked(false);
        f.ProgressBar1->setMaximum(100);
        f.ProgressBar1->setValue(0);
        f.ComboBox1->setEnabled(true);
        f.ButtonVCPClick();
        FUZZ_CHECK(fake.port.IsOpen() && !f.InfoHandled);
        fake.port.writes.clear();
        fake.port.closesInRxEvent = 0;
        boxes_.Reset();
        BuildConfigImage(kDefaultPresetFields, memory_);
        responder_ = 0;
        answers_ = 0;
    }

    void Run(Script& s) {
        while (!s.Done()) {
            Step(s);
            FUZZ_CHECK(fake.port.closesInRxEvent == 0);  // would hang the real port
        }
        // What the input left queued runs now, still as part of it, without new answers.
        answers_ = 0;
        Drain();
        FUZZ_CHECK(fake.port.closesInRxEvent == 0);
    }

private:
    static void Drain() {
        for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
    }

    void Feed(Bytes b) {
        if (!b.empty()) fake.port.Feed(std::move(b));
    }

    void Step(Script& s) {
        TForm1& f = *form;
        switch (static_cast<Op>(s.Byte() % kOpCount)) {
            case kRawBytes:
                Feed(s.Take(s.Byte()));
                break;
            case kFrame: {
                static constexpr uint8_t kCommands[] = {kCmdAck, kCmdNack, kCmdInfo, kCmdRead, kCmdOperationMode};
                const uint8_t pick = s.Byte();
                const uint8_t command = pick < 5 * 40 ? kCommands[pick % 5] : s.Byte();
                const uint8_t flags = s.Byte();
                const size_t n = (flags & 1) ? s.Word() % 1100 : s.Byte();
                Bytes payload = s.Take(n);
                payload.resize(n, flags & 2 ? 0xFF : 0x00);
                Bytes frame = UnitFrame(command, payload, (flags & 4) ? s.Byte() : 0x12);
                if (flags & 8) frame.back() ^= 1;
                if (flags & 16) {
                    const Bytes more = s.Take(s.Byte() % 16);
                    frame.insert(frame.end(), more.begin(), more.end());
                }
                if (flags & 32) frame.resize(frame.size() - std::min<size_t>(frame.size(), s.Byte() % 8));
                Feed(std::move(frame));
                break;
            }
            case kAckCurrent: {
                const uint32_t block = f.TransferJob.CurrentBlock + static_cast<int8_t>(s.Byte());
                Feed(UnitFrame(kCmdAck, {static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)}));
                break;
            }
            case kReadReplyCurrent: {
                const int32_t shift = static_cast<int8_t>(s.Byte());
                const uint32_t block = f.TransferJob.CurrentBlock == 0 ? 0 : f.TransferJob.CurrentBlock - 1;
                const uint32_t offset = block * kReadBlockBytes + static_cast<uint32_t>(shift);
                const size_t count = (s.Byte() & 1) ? s.Word() % 600 : (block == 4 ? 32 : kReadBlockBytes);
                Feed(ReadReply(f.DeviceInfo.ConfigBase + offset, MemoryAt(offset, count)));
                break;
            }
            case kInfoRecord: {
                static constexpr uint8_t kHardware[] = {1, 2, 3, 4, 41, 5};
                Bytes p(45, 0x20);
                p[0] = s.Byte() % 4 == 0 ? 0 : 1;
                PutBe32(p, 1, s.Long());
                PutBe32(p, 5, s.Long());
                PutBe32(p, 9, s.Long());
                p[37] = kHardware[s.Byte() % 6];
                p[38] = s.Byte();
                const uint8_t version = s.Byte();
                p[39] = version < 128 ? 2 : s.Byte();
                p[40] = version < 128 ? (version < 64 ? 43 : 42) : s.Byte();
                PutBe32(p, 41, s.Byte() < 128 ? 0x1000 : s.Long());
                p.resize(45 + s.Byte() % 4, 0);
                Feed(UnitFrame(kCmdInfo, p));
                break;
            }
            case kTickUpload:
                if (f.Timer1->isActive()) f.Timer1Timer();
                break;
            case kTickRead:
                if (f.Timer3->isActive()) f.Timer3Timer();
                break;
            case kTickClose:
                if (f.Timer2->isActive()) f.Timer2Timer();
                break;
            case kStartUpload: {
                const size_t length = s.Byte() % (upload_.size() + 1);
                const ImageCheckValues check = ComputeCheckValues(std::span(upload_).first(length));
                f.TransferJob.JobCode = (s.Byte() & 1) ? kCmdFirmwareBlock : kCmdConfigBlock;
                f.TransferJob.Data = upload_.data();
                f.TransferJob.DataLength = static_cast<uint32_t>(length);
                f.TransferJob.XOR8 = check.XOR8;
                f.TransferJob.SUM32 = check.SUM32;
                f.TxInit();
                break;
            }
            case kStartRead:
                f.B_GetConfigClick();
                break;
            case kWriteConfig:
                f.B_SetConfigClick();
                break;
            case kFirmwareJob:
                f.B_FwTxClick();
                break;
            case kEvents:
                QCoreApplication::processEvents();
                break;
            case kVanish:
                fake.port.Vanish();
                break;
            case kConnectClick:
                f.ButtonVCPClick();
                break;
            case kReadLimit: {
                const uint8_t limit = s.Byte();
                fake.port.readLimit = limit == 0xFF ? -1 : limit;
                break;
            }
            case kResponder:
                responder_ = s.Byte();
                answers_ = kAnswerBudget;
                break;
            case kUnitMemory:
                SetMemory(s);
                break;
            case kToggleRotaval:
                f.Cb_Rotaval->setChecked(!f.Cb_Rotaval->isChecked());
                break;
            case kToggleAutoClose:
                f.Cb_COMAutoClose->setChecked(!f.Cb_COMAutoClose->isChecked());
                break;
            case kLater:
                Schedule(static_cast<Later>(s.Byte() % kLaterCount), s);
                break;
            case kOpCount:
                break;
        }
    }

    void Schedule(Later what, Script& s) {
        TForm1* f = form.get();
        switch (what) {
            case kLaterUpload:
                QTimer::singleShot(0, f, [f] { if (f->Timer1->isActive()) f->Timer1Timer(); });
                break;
            case kLaterRead:
                QTimer::singleShot(0, f, [f] { if (f->Timer3->isActive()) f->Timer3Timer(); });
                break;
            case kLaterClose:
                QTimer::singleShot(0, f, [f] { if (f->Timer2->isActive()) f->Timer2Timer(); });
                break;
            case kLaterClick:
                QTimer::singleShot(0, f, [f] { f->ButtonVCPClick(); });
                break;
            case kLaterBytes:
                fake.port.FeedLater(s.Take(s.Byte()));
                break;
            case kLaterNack:
                fake.port.FeedLater(UnitFrame(kCmdNack, {}));
                break;
            case kLaterVanish:
                QTimer::singleShot(0, f, [this] { fake.port.Vanish(); });
                break;
            case kLaterCount:
                break;
        }
    }

    // Bytes of the unit's memory from `offset` on; past its end the unit has nothing.
    Bytes MemoryAt(uint32_t offset, size_t count) const {
        Bytes b;
        for (size_t i = 0; i < count; ++i) b.push_back(offset + i < memory_.size() ? memory_[offset + i] : 0xFF);
        return b;
    }

    void SetMemory(Script& s) {
        switch (s.Byte() % 4) {
            case 0:
                BuildConfigImage(kDefaultPresetFields, memory_);
                break;
            case 1:
                BuildConfigImage(kRotavalPresetFields, memory_);
                break;
            case 2: {  // any field values, in an image that passes the acceptance test
                const Bytes fields = s.Take(28);
                std::copy(fields.begin(), fields.end(), memory_.begin() + 8);
                BuildConfigImage(DecodeConfigImage(memory_), memory_);
                break;
            }
            case 3: {  // any bytes anywhere
                const size_t at = s.Word() % memory_.size();
                const Bytes bytes = s.Take(s.Byte());
                std::copy_n(bytes.begin(), std::min(bytes.size(), memory_.size() - at), memory_.begin() + at);
                break;
            }
        }
    }

    // The scripted unit answers each write from the event loop, as a real one would: its
    // reply is handled at the tool's next "let window events run" point. responder_ bits:
    //   0-1  upload blocks: 1 acknowledged, 2 refused (NACK), 3 the block before acknowledged
    //   2    read requests answered from memory_
    //   3    a stray byte after each answer       4  only the first half of each answer
    //   5    each answer sent twice              6  the engine's timer comes due meanwhile
    // An upload block carries what the job holds right now: its id, count, data bytes at
    // the block's offset, or its check values in the final block.
    void CheckUploadBlock(const Bytes& w) const {
        if (w[2] != kCmdFirmwareBlock && w[2] != kCmdConfigBlock) return;
        const TransferJob& job = form->TransferJob;
        FUZZ_CHECK(w[2] == job.JobCode);
        FUZZ_CHECK((w[5] << 8 | w[6]) == job.TransferId);
        const uint32_t block = uint32_t{w[7]} << 8 | w[8];
        FUZZ_CHECK((uint32_t{w[9]} << 8 | w[10]) == job.BlockCount);
        const std::span<const uint8_t> rest(w.data() + 11, w.size() - 11 - 3);
        if (block == job.BlockCount) {
            const uint8_t check[] = {job.XOR8, static_cast<uint8_t>(job.SUM32 >> 24), static_cast<uint8_t>(job.SUM32 >> 16),
                                     static_cast<uint8_t>(job.SUM32 >> 8), static_cast<uint8_t>(job.SUM32)};
            FUZZ_CHECK(std::equal(rest.begin(), rest.end(), std::begin(check), std::end(check)));
            return;
        }
        const uint64_t offset = uint64_t{block - 1} * 48;
        FUZZ_CHECK(job.Data != nullptr && offset < job.DataLength);
        FUZZ_CHECK(rest.size() == std::min<uint64_t>(48, job.DataLength - offset));
        FUZZ_CHECK(std::equal(rest.begin(), rest.end(), job.Data + offset));
    }

    void Answer(const Bytes& w) {
        CheckToolFrame(w);
        CheckUploadBlock(w);
        if (answers_ <= 0 || responder_ == 0) return;
        --answers_;
        const uint8_t command = w[2];
        Bytes reply;
        if ((command == kCmdFirmwareBlock || command == kCmdConfigBlock) && (responder_ & 3)) {
            const uint16_t block = static_cast<uint16_t>(w[7] << 8 | w[8]);
            switch (responder_ & 3) {
                case 2:
                    reply = UnitFrame(kCmdNack, {});
                    break;
                case 3:  // a stale acknowledgement: the block before
                    reply = UnitFrame(kCmdAck, {static_cast<uint8_t>((block - 1) >> 8), static_cast<uint8_t>(block - 1)});
                    break;
                default:
                    reply = UnitFrame(kCmdAck, {w[7], w[8]});
                    break;
            }
        } else if (command == kCmdRead && (responder_ & 4)) {
            const uint32_t address = uint32_t{w[5]} << 24 | uint32_t{w[6]} << 16 | uint32_t{w[7]} << 8 | w[8];
            const size_t count = size_t{w[9]} << 8 | w[10];
            reply = ReadReply(address, MemoryAt(address - form->DeviceInfo.ConfigBase, count));
        } else {
            return;
        }
        if (responder_ & 8) reply.push_back(0x00);          // trailing byte: Code20
        if (responder_ & 16) reply.resize(reply.size() / 2);  // half a reply
        if (responder_ & 32) fake.port.FeedLater(reply);     // every answer twice
        fake.port.FeedLater(std::move(reply));
        // The engine's timer comes due while the answer is on its way.
        if (responder_ & 64) {
            TForm1* f = form.get();
            QTimer::singleShot(0, f, [f] {
                if (f->Timer1->isActive()) f->Timer1Timer();
                if (f->Timer3->isActive()) f->Timer3Timer();
            });
        }
    }

    FakePlatform fake;
    size_t writes_ = 0;  // frames the tool has written, ever
    CheckedBoxes boxes_{writes_};
    std::unique_ptr<TForm1> form;
    std::array<uint8_t, 200> upload_{};
    std::array<uint8_t, kConfigImageSize> memory_{};
    uint8_t responder_ = 0;
    int answers_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "receive_path_fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: its font caches stay reachable, so the leak check at exit sees
    // only what the inputs left behind.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Session* session = new Session;  // lives as long as the process, like the app
    session->Reset();
    Script script(data, size);
    session->Run(script);
    return 0;
}
