#include <QTimer>

#include "form_fixture.h"

namespace orvel::testing {
namespace {

const Bytes kNack = {0xBC, 0x12, 0x03, 0x00, 0x00, 0x00, 0x00, 0xD1};

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Counts {
    int32_t nacks, code10, code15, code20;
    bool operator==(const Counts&) const = default;
};

void PrintTo(const Counts& c, std::ostream* os) {
    *os << "{Nacks " << c.nacks << ", Code10 " << c.code10 << ", Code15 " << c.code15 << ", Code20 " << c.code20 << "}";
}

class ReceivePath : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        OpenPortDirect();
    }
    Counts Counted() const {
        const ErrorCounters& e = form->ErrorCounters;
        return {e.Nacks, e.Code10, e.Code15, e.Code20};
    }
};

// Each row is the bytes of one receive event.
TEST_F(ReceivePath, CountsEachKindOfEventAsTheFailureTableSays) {
    Bytes badSum = UnitFrame(kCmdAck, {0x00, 0x01});
    badSum.back() ^= 0x01;
    Bytes tooLong = UnitFrame(0x09, Bytes(1020, 0x00));
    const Bytes justFits = UnitFrame(0x09, Bytes(1019, 0xFF));
    Bytes truncated = UnitFrame(kCmdNack, {0x00, 0x00});
    truncated.pop_back();
    const Bytes frameThenMore = Join(UnitFrame(0x09, {0x01}), {0xAA, 0xBB});
    struct Case {
        const char* what;
        Bytes bytes;
        Counts counted;
    } cases[] = {
        {"8-byte NACK", kNack, {1, 0, 0, 0}},
        {"NACK followed by 3 bytes", Join(kNack, {1, 2, 3}), {1, 0, 0, 1}},
        {"7 bytes", Bytes(kNack.begin(), kNack.end() - 1), {0, 1, 0, 0}},
        {"1 byte", {0xBC}, {0, 1, 0, 0}},
        {"20 bytes starting with 0x00", Bytes(20, 0x00), {0, 0, 1, 0}},
        {"length 1020", tooLong, {0, 0, 0, 0}},
        {"length 1019, right sum, unknown command", justFits, {0, 0, 0, 0}},
        {"wrong sum", badSum, {0, 0, 0, 0}},
        {"frame longer than the bytes received", truncated, {0, 0, 0, 0}},
        {"unknown command followed by more bytes", frameThenMore, {0, 0, 0, 1}},
        {"two NACKs in one event", Join(kNack, kNack), {1, 0, 0, 1}},
        {"two acknowledgements in one event", Join(UnitFrame(kCmdAck, {0, 1}), UnitFrame(kCmdAck, {0, 2})),
         {0, 0, 0, 1}},
        {"read reply with 6 payload bytes, then more bytes", Join(UnitFrame(kCmdRead, Bytes(6, 0x00)), {1, 2, 3}),
         {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        form->ErrorCounters = {};
        fake.port.Feed(c.bytes);
        EXPECT_EQ(Counted(), c.counted) << c.what;
        EXPECT_EQ(fake.port.Pending(), 0u) << c.what << ": every byte was taken";
    }
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(ReceivePath, FrameEchoedBackFromTheToolIsReportedAndNotCounted) {
    fake.port.Feed(UnitFrame(kCmdNack, {}, /*address=*/0x21));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Destino inválido!"}));
    EXPECT_EQ(Counted(), (Counts{0, 0, 0, 0}));
}

TEST_F(ReceivePath, DestinationIsJudgedByTheLowNibbleOnly) {
    for (uint8_t address : {0x02, 0xF2, 0x12}) fake.port.Feed(UnitFrame(kCmdNack, {}, address));
    EXPECT_EQ(form->ErrorCounters.Nacks, 3);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(ReceivePath, FrameSplitOverTwoEventsIsLostAndCounted) {
    const Bytes frame = UnitFrame(kCmdNack, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00});  // 14 bytes
    struct Case {
        const char* what;
        size_t split;
        Counts counted;
    } cases[] = {
        {"7 + 7 bytes: both too short", 7, {0, 2, 0, 0}},
        {"6 + 8 bytes: too short, then no start byte", 6, {0, 1, 1, 0}},
        {"9 + 5 bytes: truncated frame, then too short", 9, {0, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        form->ErrorCounters = {};
        fake.port.Feed(Bytes(frame.begin(), frame.begin() + static_cast<long>(c.split)));
        fake.port.Feed(Bytes(frame.begin() + static_cast<long>(c.split), frame.end()));
        EXPECT_EQ(Counted(), c.counted) << c.what;
    }
}

TEST_F(ReceivePath, ShortEventRunsTheUploadTickAtOnceWhileTimer1Runs) {
    // The tick finds the port gone and stops Timer1: proof that it ran inside the event.
    fake.port.SetRxHandler(nullptr);
    fake.port.Feed(Bytes(7, 0xBC));  // waits in the queue
    fake.port.Vanish();
    form->Timer1->start();
    form->VCPRxChar(7);
    EXPECT_EQ(form->ErrorCounters.Code10, 1);
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(ReceivePath, ShortEventLeavesTheUploadEngineAloneWhileTimer1IsStopped) {
    fake.port.SetRxHandler(nullptr);
    fake.port.Feed(Bytes(7, 0xBC));
    fake.port.Vanish();
    form->VCPRxChar(7);
    EXPECT_EQ(form->ErrorCounters.Code10, 1);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(fake.boxes.shown.empty());  // an upload tick on a lost port would say so
}

TEST_F(ReceivePath, ShortReadUsesOnlyTheBytesTheReadReturned) {
    fake.port.readLimit = 7;  // the first event's read stops one byte short of the NACK
    fake.port.Feed(kNack);
    EXPECT_EQ(form->ErrorCounters.Nacks, 0);
    EXPECT_EQ(form->ErrorCounters.Code10, 2);  // 7 bytes, then the 1 left behind
}

TEST_F(ReceivePath, BytesArrivingDuringAnEventAreReportedByTheNextOne) {
    QTimer::singleShot(0, form.get(), [&] { fake.port.Feed(kNack); });  // runs inside the first event
    fake.port.Feed(kNack);
    EXPECT_EQ(form->ErrorCounters.Nacks, 2);
    EXPECT_EQ(form->ErrorCounters.Code20, 0);
    EXPECT_EQ(fake.port.Pending(), 0u);
}

TEST_F(ReceivePath, EventCountsEvenWhenNoTransferRuns) {
    for (int i = 0; i < 3; ++i) fake.port.Feed(kNack);
    EXPECT_EQ(form->ErrorCounters.Nacks, 3);
}

}  // namespace
}  // namespace orvel::testing
