// Malformed input from the unit, the technician and the code reader, met in the middle of
// real work: each row states what its input may change, and a snapshot of everything the
// window keeps (counters, unit, jobs, images, log, boxes, port writes, timers, editor,
// production panel, update check) shows that nothing else changed.
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <iomanip>
#include <map>
#include <sstream>

#include "config/config_image.h"
#include "config/editor_controls.h"
#include "device/info_record.h"
#include "form_fixture.h"
#include "link/firmware/firmware_image.h"

namespace orvel::testing {
namespace {

using namespace std::chrono_literals;
using State = std::map<std::string, std::string>;

constexpr uint32_t kBase = 0x1000;

std::string Hex(std::span<const uint8_t> b) {
    std::ostringstream o;
    o << std::hex << std::setfill('0');
    for (uint8_t v : b) o << std::setw(2) << int{v};
    return o.str();
}

template <typename T>
std::string Str(const T& v) {
    std::ostringstream o;
    if constexpr (std::is_same_v<T, uint8_t> || std::is_same_v<T, bool>)
        o << int{v};
    else
        o << v;
    return o.str();
}

std::vector<std::string> LinesOf(const QTextEdit* edit) {
    std::vector<std::string> out;
    if (edit->document()->isEmpty()) return out;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) out.push_back(b.text().toStdString());
    return out;
}

// Each line of a log with the colour it is written in.
std::string LogWithColours(const QTextEdit* edit) {
    std::string out;
    if (edit->document()->isEmpty()) return out;
    for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next())
        out += b.text().toStdString() + " " + b.charFormat().foreground().color().name().toStdString() + "\n";
    return out;
}

// Everything the window keeps that bad input could disturb.
State Snapshot(const TForm1& f, const FakePlatform& fake) {
    State s;
    const ErrorCounters& e = f.ErrorCounters;
    s["Nacks"] = Str(e.Nacks);
    s["Code10"] = Str(e.Code10);
    s["Code15"] = Str(e.Code15);
    s["Code20"] = Str(e.Code20);

    const DeviceInfo& d = f.DeviceInfo;
    std::ostringstream unit;
    unit << std::hex << d.UnitId[0] << ' ' << d.UnitId[1] << ' ' << d.UnitId[2] << ' ' << int{d.HardwareType} << '.'
         << int{d.VersionByte2} << '.' << int{d.FirmwareMajor} << '.' << int{d.FirmwareMinor} << " @" << d.ConfigBase;
    s["DeviceInfo"] = unit.str();
    s["InfoHandled"] = Str(f.InfoHandled);

    const TransferJob& j = f.TransferJob;
    s["JobCode"] = Str(j.JobCode);
    s["Data"] = j.Data == nullptr                ? "none"
                : j.Data == f.WriteImage.data()  ? "WriteImage"
                : j.Data == FirmwareImage        ? "FirmwareImage"
                                                 : "other";
    s["DataLength"] = Str(j.DataLength);
    s["XOR8"] = Str(j.XOR8);
    s["SUM32"] = Str(j.SUM32);
    s["BlockCount"] = Str(j.BlockCount);
    s["CurrentBlock"] = Str(j.CurrentBlock);
    s["TransferId"] = Str(j.TransferId);
    s["RetryTicks"] = Str(j.RetryTicks);
    s["AckedBlock"] = Str(j.AckedBlock);
    s["AckPending"] = Str(j.AckPending);
    s["ReadBlockSize"] = Str(j.ReadBlockSize);
    s["ReadLastSize"] = Str(j.ReadLastSize);
    s["ReadRunning"] = Str(f.ReadRunning);
    s["ReadImage"] = Hex(f.WorkArea.ReadImage);
    s["WriteImage"] = Hex(f.WriteImage);

    s["Log"] = LogWithColours(f.Log);
    std::string boxes;
    for (const auto& b : fake.boxes.shown) boxes += b.caption + "|" + b.text + "\n";
    s["Boxes"] = boxes;
    std::string writes;
    for (const Bytes& w : fake.port.writes) writes += Hex(w) + "\n";
    s["Writes"] = writes;
    s["Port"] = Str(fake.port.IsOpen()) + Str(fake.port.Connected()) + " closes " + Str(fake.port.closeCount);

    s["Timers"] = Str(f.Timer1->isActive()) + Str(f.Timer2->isActive()) + Str(f.Timer3->isActive()) +
                  Str(f.Timer4->isActive());
    s["Progress"] = Str(f.ProgressBar1->value()) + "/" + Str(f.ProgressBar1->maximum());

    const EditorValues v = ReadEditorValues(f);
    std::ostringstream editor;
    editor << v.PING << ' ' << v.A232 << ' ' << v.B232;
    for (const std::string& t : v.texts) editor << " [" << t << ']';
    for (uint8_t o : {v.OPT_ACP, v.OPT_ACN, v.OPT_VMX, v.OPT_VCH, v.OPT_RPX, v.OPT_OSC, v.OPT_BGL}) editor << ' ' << int{o};
    s["Editor"] = editor.str();
    s["Buttons"] = Str(f.B_SetConfig->isEnabled()) + Str(f.B_RemConfig->isEnabled()) + Str(f.ComboBox1->isEnabled());

    s["Capture"] = Str(f.CapturePos) + " " + std::string(f.WorkArea.ScannedCode);
    s["Edit1"] = f.Edit1->text().toStdString();
    s["Edit2"] = f.Edit2->text().toStdString();
    s["Mark"] = f.Label0->text().toStdString();
    s["IdList"] = f.LogIdList->toPlainText().toStdString() + " #" + Str(f.LoggedIdCount);
    s["Width"] = Str(f.width());

    s["UpdateTick"] = Str(f.UpdateTick);
    s["L_Msg"] = f.L_Msg->text().toStdString();
    s["Navigations"] = Str(fake.web.navigations.size());
    return s;
}

// The entries that differ between two snapshots, with their new values.
State Changed(const State& before, const State& after) {
    State changed;
    for (const auto& [key, value] : after)
        if (before.at(key) != value) changed[key] = value;
    return changed;
}

// Only the listed entries changed, each to the given value ("*": to anything, checked by
// the caller; "?": may change or stay).
void ExpectOnlyChanged(const State& before, const State& after, const State& expected, const std::string& what) {
    const State changed = Changed(before, after);
    for (const auto& [key, value] : changed) {
        const auto want = expected.find(key);
        if (want == expected.end()) {
            ADD_FAILURE() << what << ": " << key << " changed from\n  " << before.at(key) << "\nto\n  " << value;
        } else if (want->second != "*" && want->second != "?") {
            EXPECT_EQ(value, want->second) << what << ": " << key;
        }
    }
    for (const auto& [key, value] : expected) {
        if (!changed.count(key) && value != "?")
            ADD_FAILURE() << what << ": " << key << " should have changed to " << value;
    }
}

void PutBe32(Bytes& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

Bytes InfoPayload(uint8_t hardware, uint8_t major, uint8_t minor) {
    Bytes p(kInfoRecordBytes, 0x20);
    p[0] = 1;
    PutBe32(p, 1, 0x01);
    PutBe32(p, 5, 0x02);
    PutBe32(p, 9, 0x03);
    p[37] = hardware;
    p[38] = 1;
    p[39] = major;
    p[40] = minor;
    PutBe32(p, 41, kBase);
    return p;
}

Bytes ReplyPayload(uint32_t address, uint16_t n, const Bytes& bytes) {
    Bytes p(6);
    PutBe32(p, 0, address);
    p[4] = static_cast<uint8_t>(n >> 8);
    p[5] = static_cast<uint8_t>(n);
    p.insert(p.end(), bytes.begin(), bytes.end());
    return p;
}

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes WithBadSum(Bytes frame) {
    frame.back() ^= 0x01;
    return frame;
}

Bytes Truncated(Bytes frame) {
    frame.pop_back();
    return frame;
}

// A window on fakes whose timers tick only when a test calls their handler.
struct Window {
    FakePlatform fake;
    std::unique_ptr<TForm1> form;

    Window() {
        fake.port.ports = std::vector<std::string>{"ttyS0"};
        form = std::make_unique<TForm1>(fake.Get());
        for (QTimer* t : {form->Timer1, form->Timer2, form->Timer3, form->Timer4, form->Timer5}) t->setInterval(24h);
        form->Timer5Timer();
        form->ButtonVCPClick();
    }
    State Now() const { return Snapshot(*form, fake); }

    // A current unit at 2.43 announces itself: the read of its configuration starts.
    void Identify() { fake.port.Feed(UnitFrame(kCmdInfo, InfoPayload(4, 2, 43))); }

    void Reply(uint32_t offset, std::span<const uint8_t> image, uint16_t n) {
        fake.port.Feed(UnitFrame(kCmdRead, ReplyPayload(kBase + offset, n, Bytes(image.begin() + offset,
                                                                                     image.begin() + offset + n))));
    }

    // The unit answers the five requests with the default image, which is kept.
    void ReadDefaultImage() {
        std::array<uint8_t, kConfigImageSize> image{};
        BuildConfigImage(kDefaultPresetFields, image);
        for (uint32_t offset = 0; offset < 2000; offset += 500) Reply(offset, image, 500);
        Reply(2000, image, 32);
    }

    void Ack(uint16_t block) {
        fake.port.Feed(UnitFrame(kCmdAck, {static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)}));
    }
};

// ------------------------------------------------------------------ frames

TEST(BadInput, MalformedFramesInTheMiddleOfAConfigurationWriteChangeOnlyWhatTheirRowSays) {
    const Bytes ackOfBlock2 = UnitFrame(kCmdAck, {0x00, 0x02});
    const Bytes image500(500, 0x77);
    struct Row {
        const char* what;
        Bytes bytes;
        State changes;
    } rows[] = {
        {"7 bytes: counted, and the upload tick runs at once", Bytes(ackOfBlock2.begin(), ackOfBlock2.begin() + 7),
         {{"Code10", "1"}, {"RetryTicks", "1"}}},
        {"20 bytes without the start byte", Bytes(20, 0x00), {{"Code15", "1"}}},
        {"acknowledgement of the current block with a wrong sum", WithBadSum(ackOfBlock2), {}},
        {"acknowledgement of the current block cut short", Truncated(ackOfBlock2), {}},
        {"length 1020 whatever follows", UnitFrame(kCmdAck, Bytes(1020, 0x00)), {}},
        {"acknowledgement addressed to the unit", UnitFrame(kCmdAck, {0x00, 0x02}, 0x21), {{"Log", "*"}}},
        {"acknowledgement without its block number", UnitFrame(kCmdAck, {0x02}), {}},
        {"read reply of six bytes", UnitFrame(kCmdRead, ReplyPayload(kBase, 0, {})), {}},
        {"read reply while no read runs", UnitFrame(kCmdRead, ReplyPayload(kBase, 500, image500)), {}},
        {"unknown command with bytes after it", Join(UnitFrame(0x09, {0x00, 0x02}), {0xAA, 0xBB}), {{"Code20", "1"}}},
        {"information record of another unit", UnitFrame(kCmdInfo, InfoPayload(4, 2, 42)), {}},
        {"information record without payload", UnitFrame(kCmdInfo, {}), {}},
    };
    for (const Row& row : rows) {
        Window w;
        w.Identify();
        w.ReadDefaultImage();
        w.form->B_SetConfigClick();
        w.Ack(1);  // block 2 is out
        ASSERT_EQ(w.form->TransferJob.CurrentBlock, 2u) << row.what;
        ASSERT_TRUE(w.form->Timer1->isActive()) << row.what;
        const State before = w.Now();
        w.fake.port.Feed(row.bytes);
        ExpectOnlyChanged(before, w.Now(), row.changes, row.what);
        if (row.changes.count("Log")) {
            EXPECT_EQ(LinesOf(w.form->Log).back(), "Destino inválido!");
        }
        EXPECT_EQ(w.fake.port.Pending(), 0u) << row.what;
    }
}

// Negative acknowledgements and too-short events each count as a tick, also when they are
// handled while a resend lets window events run: the tick that gives up nested inside the
// resend is the only one that may report it, and the job stays given up.
TEST(BadInput, ABurstOfNacksDuringAResendGivesTheJobUpOnceAndForGood) {
    struct Row {
        const char* what;
        Bytes event;
        int resendTick;  // the resend during which the burst arrives
    } rows[] = {
        {"negative acknowledgements during the third resend", UnitFrame(kCmdNack, {}), 7},
        {"too-short events during the third resend", Bytes(3, 0xBC), 7},
        {"negative acknowledgements during the first resend", UnitFrame(kCmdNack, {}), 3},
    };
    for (const Row& row : rows) {
        Window w;
        w.form->B_SetDefaultsClick();
        w.form->B_SetConfigClick();  // block 1 out, no answer
        ASSERT_TRUE(w.form->Timer1->isActive());
        for (int tick = 1; tick < row.resendTick; ++tick) w.form->Timer1Timer();
        // Enough events to reach the give-up, all handled while the resend lets events run.
        const int burst = 10 - row.resendTick;
        bool armed = true;
        w.fake.port.onWrite = [&](const Bytes&) {
            if (!armed) return;
            armed = false;
            QTimer::singleShot(0, [&] {
                for (int i = 0; i < burst; ++i) w.fake.port.Feed(row.event);
            });
        };
        const size_t writesBefore = w.fake.port.writes.size();
        w.form->Timer1Timer();
        size_t resends = 0;  // this one, and those of the nested ticks
        for (int tick = row.resendTick; tick <= 10; ++tick) resends += (tick == 3 || tick == 5 || tick == 7) ? 1 : 0;
        EXPECT_EQ(w.fake.port.writes.size(), writesBefore + resends) << row.what;
        ASSERT_EQ(w.fake.boxes.shown.size(), 1u) << row.what;
        EXPECT_EQ(w.fake.boxes.shown[0].caption, "ERRO #0x02") << row.what;
        EXPECT_FALSE(w.form->Timer1->isActive()) << row.what;
        // Given up for good: nothing more goes out and nothing more is reported.
        const State after = w.Now();
        w.fake.port.Feed(UnitFrame(kCmdNack, {}));
        ExpectOnlyChanged(after, w.Now(), {{"Nacks", "*"}}, row.what);
    }
}

TEST(BadInput, MalformedRepliesInTheMiddleOfAReadChangeOnlyWhatTheirRowSays) {
    const Bytes block2(500, 0x5A);
    struct Row {
        const char* what;
        Bytes bytes;
        State changes;
    } rows[] = {
        {"7 bytes: counted, the read engine is not ticked", Bytes(7, 0xBC), {{"Code10", "1"}}},
        {"negative acknowledgement: counted only", UnitFrame(kCmdNack, {}), {{"Nacks", "1"}}},
        {"reply for block 2 with a wrong sum", WithBadSum(UnitFrame(kCmdRead, ReplyPayload(kBase + 500, 500, block2))),
         {}},
        {"reply below the configuration's address", UnitFrame(kCmdRead, ReplyPayload(kBase - 1, 8, Bytes(8, 1))), {}},
        {"reply reaching past the image", UnitFrame(kCmdRead, ReplyPayload(kBase + 2000, 40, Bytes(40, 1))), {}},
        {"reply far above the image", UnitFrame(kCmdRead, ReplyPayload(0xFFFFFFF0, 8, Bytes(8, 1))), {}},
        {"reply announcing more bytes than it carries",
         UnitFrame(kCmdRead, ReplyPayload(kBase + 500, 500, Bytes(block2.begin(), block2.begin() + 100))), {}},
        {"reply of six bytes", UnitFrame(kCmdRead, ReplyPayload(kBase + 500, 0, {})), {}},
        {"acknowledgement of a block no upload has sent", UnitFrame(kCmdAck, {0x00, 0x05}), {}},
    };
    for (const Row& row : rows) {
        Window w;
        w.Identify();
        std::array<uint8_t, kConfigImageSize> image{};
        BuildConfigImage(kDefaultPresetFields, image);
        w.Reply(0, image, 500);  // block 2 is asked for
        ASSERT_EQ(w.form->TransferJob.CurrentBlock, 2u) << row.what;
        ASSERT_TRUE(w.form->Timer3->isActive()) << row.what;
        const State before = w.Now();
        w.fake.port.Feed(row.bytes);
        ExpectOnlyChanged(before, w.Now(), row.changes, row.what);
    }
}

TEST(BadInput, MalformedInformationRecordsOnAFreshConnectionChangeNothing) {
    struct Row {
        const char* what;
        Bytes bytes;
    } rows[] = {
        {"44 bytes", UnitFrame(kCmdInfo, Truncated(InfoPayload(4, 2, 43)))},
        {"no payload", UnitFrame(kCmdInfo, {})},
        {"wrong sum", WithBadSum(UnitFrame(kCmdInfo, InfoPayload(4, 2, 43)))},
        {"cut short", Truncated(UnitFrame(kCmdInfo, InfoPayload(4, 2, 43)))},
        {"split over two events", {}},
    };
    for (const Row& row : rows) {
        Window w;
        const State before = w.Now();
        if (row.bytes.empty()) {
            const Bytes frame = UnitFrame(kCmdInfo, InfoPayload(4, 2, 43));
            w.fake.port.Feed(Bytes(frame.begin(), frame.begin() + 20));
            w.fake.port.Feed(Bytes(frame.begin() + 20, frame.end()));
            ExpectOnlyChanged(before, w.Now(), {{"Code15", "1"}}, row.what);
        } else {
            w.fake.port.Feed(row.bytes);
            ExpectOnlyChanged(before, w.Now(), {}, row.what);
        }
        // The unit's next, whole record is handled as the first one.
        w.Identify();
        EXPECT_TRUE(w.form->InfoHandled) << row.what;
        EXPECT_EQ(w.form->DeviceInfo.ConfigBase, kBase) << row.what;
    }
}

// ------------------------------------------------------------------ configuration images

// An image that fails the acceptance test is not decoded: the editor goes straight from
// empty to the default preset, which is written at once; the unit, the counters, the
// production panel and the read image as it arrived stay as they were.
TEST(BadInput, AnImageFailingTheAcceptanceTestIsReplacedByTheDefaultPresetAndNothingElse) {
    std::array<uint8_t, kConfigImageSize> preset{};
    BuildConfigImage(kDefaultPresetFields, preset);
    ConfigFields odd = kDefaultPresetFields;
    odd.VMX = 99;  // a value the preset does not have: it must never reach the editor
    std::array<uint8_t, kConfigImageSize> base{};
    BuildConfigImage(odd, base);
    struct Row {
        const char* what;
        size_t at;
        uint8_t value;
    } rows[] = {
        {"magic CA FE F0 DB", 3, 0xDB},
        {"length 2078: the sum would lie past the image", 4, 0x08},
        {"sum off by one", 38, static_cast<uint8_t>(base[38] + 1)},
    };
    for (const Row& row : rows) {
        auto image = base;
        image[row.at] = row.value;
        Window w;
        w.Identify();
        for (uint32_t offset = 0; offset < 2000; offset += 500) w.Reply(offset, image, 500);
        QStringList speedTexts;
        QObject::connect(w.form->ED_VMX, &QLineEdit::textChanged, [&](const QString& t) { speedTexts << t; });
        const State before = w.Now();
        w.Reply(2000, image, 32);
        EXPECT_EQ(speedTexts, QStringList{"120"}) << row.what << ": shown straight from empty to the preset";
        ExpectOnlyChanged(before, w.Now(),
                          {{"Log", before.at("Log") + "Configuração inválida! #ff0000\n"
                                              "Preparando configuração padrão... #ff0000\n"
                                              "Iniciando atualização... #ff0000\n"},
                           {"Editor", "*"}, {"WriteImage", Hex(preset)}, {"ReadImage", Hex(image)},
                           {"ReadRunning", "0"}, {"Timers", "1001"}, {"Progress", "1/44"},
                           {"Writes", "*"}, {"JobCode", "6"}, {"Data", "WriteImage"}, {"DataLength", "2032"},
                           {"XOR8", "*"}, {"SUM32", "*"}, {"BlockCount", "44"}, {"CurrentBlock", "1"},
                           {"TransferId", "*"}, {"AckedBlock", "16777215"}, {"AckPending", "?"},
                           {"RetryTicks", "?"}},
                          row.what);
    }
}

// ------------------------------------------------------------------ the technician's texts

// Texts that are not a plain run of ASCII digits, typed into the speed limit.
const char* const kNotANumber[] = {
    " 120", "120 ", "+120", "-1", "12.0", "1e2", "0x78", "12O",
    "\u0661\u0662\u0660",   // Arabic-Indic digits
    "\uFF11\uFF12\uFF10",   // full-width digits
    "4294967416",           // 2^32 + 120: wraps to 120 in 32 bits
    "18446744073709551736", // 2^64 + 120
};

TEST(BadInput, ASpeedLimitThatIsNotADecimalNumberStopsTheWriteAndEmptiesOnlyItsBox) {
    for (const char* text : kNotANumber) {
        Window w;
        w.Identify();
        w.ReadDefaultImage();
        ASSERT_TRUE(w.form->B_SetConfig->isEnabled());
        w.form->ED_VMX->setText(QString::fromUtf8(text));
        const State before = w.Now();
        w.form->B_SetConfigClick();
        const State after = w.Now();
        ExpectOnlyChanged(before, after, {{"Boxes", "Erro|Parâmetro inválido!\r\n[Velocidade]\n"}, {"Editor", "*"}},
                          text);
        EXPECT_TRUE(w.form->ED_VMX->text().isEmpty()) << text;
    }
}

TEST(BadInput, ASpeedLimitThatIsNotADecimalNumberIsListedAsInvalidAndEmptied) {
    for (const char* text : kNotANumber) {
        Window w;
        w.form->ButtonVCPClick();  // the listing is offered with the port closed
        w.form->B_SetDefaultsClick();
        w.form->ED_VMX->setText(QString::fromUtf8(text));
        const State before = w.Now();
        w.form->B_RemConfigClick();
        ExpectOnlyChanged(before, w.Now(), {{"Log", "*"}, {"Editor", "*"}}, text);
        const auto lines = LinesOf(w.form->Log);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Parâmetro inválido! [Velocidade]"), 1) << text;
        EXPECT_TRUE(w.form->ED_VMX->text().isEmpty()) << text;
    }
}

// ------------------------------------------------------------------ the code reader

TEST(BadInput, KeysThatAreNotPartOfACodeChangeNothingOneKeyBeforeItsEnd) {
    struct Row {
        const char* what;
        uint16_t key;
        bool shift, alt, ctrl;
    } rows[] = {
        {"Ctrl+0", '0', false, false, true},  {"Ctrl+Alt+A", 'A', false, true, true},
        {"keypad 0", 0x60, false, false, false}, {"G", 'G', false, false, false},
        {"Enter", 0x0D, false, false, false},  {"Ctrl+Alt+F12", 0x7B, false, true, true},
        {"Shift+Alt+F12", 0x7B, true, true, false}, {"no key code", 0, true, true, true},
        {"0xFFFF", 0xFFFF, false, false, false},
    };
    for (const Row& row : rows) {
        Window w;
        for (char c : std::string("0123456789ABCDEF0123456")) w.form->FormKeyDown(static_cast<uint16_t>(c), false, false, false);
        const State before = w.Now();
        w.form->FormKeyDown(row.key, row.shift, row.alt, row.ctrl);
        ExpectOnlyChanged(before, w.Now(), {}, row.what);
        w.form->FormKeyDown('7', false, false, false);
        EXPECT_EQ(w.form->Edit2->text().toStdString(), "0123456789ABCDEF01234567") << row.what;
    }
}

}  // namespace
}  // namespace orvel::testing
