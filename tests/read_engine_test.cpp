#include "config_fixture.h"

namespace orvel::testing {
namespace {

constexpr uint32_t kBase = 4096;

struct Request {
    uint32_t address;
    uint16_t count;
    bool operator==(const Request&) const = default;
};

// The unit's reply to a read: address, count n, then the bytes (fewer than n if `bytes` is short).
Bytes ReplyPayload(uint32_t address, uint16_t n, const Bytes& bytes) {
    Bytes p = {static_cast<uint8_t>(address >> 24), static_cast<uint8_t>(address >> 16),
               static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), static_cast<uint8_t>(n >> 8),
               static_cast<uint8_t>(n)};
    p.insert(p.end(), bytes.begin(), bytes.end());
    return p;
}

class ReadEngine : public ConfigFormTest {
protected:
    void SetUp() override {
        ConfigFormTest::SetUp();
        form->DeviceInfo.ConfigBase = kBase;
        OpenPortDirect();
    }

    std::vector<Request> Requests() const {
        std::vector<Request> out;
        for (const Bytes& w : fake.port.writes) {
            if (w.size() < 3 || w[2] != 7) continue;  // an upload started by the read-back
            EXPECT_EQ(w.size(), 14u);
            out.push_back({(uint32_t{w[5]} << 24) | (uint32_t{w[6]} << 16) | (uint32_t{w[7]} << 8) | w[8],
                           static_cast<uint16_t>((w[9] << 8) | w[10])});
        }
        return out;
    }

    // Answers the last request with the bytes of `source` that it asks for.
    void AnswerLastRequest(const Image& source) {
        const Request r = Requests().back();
        const size_t offset = r.address - kBase;
        Reply(r.address, Bytes(source.begin() + offset, source.begin() + offset + r.count));
    }
    void Reply(uint32_t address, const Bytes& bytes) {
        fake.port.Feed(UnitFrame(7, ReplyPayload(address, static_cast<uint16_t>(bytes.size()), bytes)));
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) form->Timer3Timer();
    }
    static Bytes Pattern(size_t n, uint8_t seed) {
        Bytes b(n);
        for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
        return b;
    }
};

TEST_F(ReadEngine, TheFirstRequestAsksForBlockOneAndStartsTheTimer) {
    form->B_SetDefaultsClick();
    form->ErrorCounters = {3, 4, 5, 6};
    form->B_GetConfigClick();
    ASSERT_EQ(fake.port.writes.size(), 1u);
    EXPECT_EQ(fake.port.writes[0], (Bytes{0xBC, 0x21, 0x07, 0x00, 0x06, 0x00, 0x00, 0x10, 0x00, 0x01, 0xF4, 0x00, 0x01, 0xEF}));
    EXPECT_TRUE(form->Timer3->isActive());
    EXPECT_EQ(form->ProgressBar1->maximum(), 5);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Buscando configuração interna..."});
    EXPECT_EQ(form->CB_PING->ItemIndex(), -1);
    EXPECT_EQ(form->CB_A232->ItemIndex(), -1);
    EXPECT_EQ(form->CB_B232->ItemIndex(), -1);
    EXPECT_EQ(form->ErrorCounters.Nacks + form->ErrorCounters.Code10 + form->ErrorCounters.Code15 +
                  form->ErrorCounters.Code20, 0);
}

TEST_F(ReadEngine, AnsweringEachRequestReadsTheImageInFiveRequestsAndHandsItOver) {
    const Image source = BuiltImage(kDefaultPresetFields);
    form->B_GetConfigClick();
    std::vector<int> progress;
    for (int i = 0; i < 5; ++i) {
        AnswerLastRequest(source);
        progress.push_back(form->ProgressBar1->value());
    }
    EXPECT_EQ(Requests(), (std::vector<Request>{{4096, 500}, {4596, 500}, {5096, 500}, {5596, 500}, {6096, 32}}));
    EXPECT_EQ(progress, (std::vector<int>{2, 3, 4, 5, 0}));
    EXPECT_EQ(form->WorkArea.ReadImage, source);
    EXPECT_FALSE(form->Timer3->isActive());
    EXPECT_EQ(LogLines().back(), "Leitura da configuração interna concluída!");
    EXPECT_TRUE(form->B_SetConfig->isEnabled());
    EXPECT_EQ(form->CB_PING->currentText(), "180");
}

TEST_F(ReadEngine, AReplyForAnEarlierBlockIsStoredAtItsOffsetAndTheCurrentBlockIsAskedAgainAtOnce) {
    const Image source = BuiltImage(kDefaultPresetFields);
    form->B_GetConfigClick();
    AnswerLastRequest(source);
    AnswerLastRequest(source);
    ASSERT_EQ(form->TransferJob.CurrentBlock, 3u);
    const size_t before = fake.port.writes.size();
    const Bytes late = Pattern(500, 0x31);
    Reply(kBase + 500, late);
    EXPECT_TRUE(std::equal(late.begin(), late.end(), form->WorkArea.ReadImage.begin() + 500));
    ASSERT_EQ(fake.port.writes.size(), before + 1);
    EXPECT_EQ(Requests().back(), (Request{5096, 500}));
    EXPECT_EQ(form->TransferJob.CurrentBlock, 3u);
    EXPECT_EQ(form->TransferJob.RetryTicks, 0);
}

TEST_F(ReadEngine, ASilentUnitIsAskedFourTimesAndTheReadIsGivenUpOnTheTenthTick) {
    form->B_GetConfigClick();
    Ticks(9);
    EXPECT_EQ(fake.port.writes.size(), 4u);  // at start, then ticks 3, 5 and 7
    EXPECT_TRUE(fake.boxes.shown.empty());
    Ticks(1);
    for (const Request& r : Requests()) EXPECT_EQ(r, (Request{4096, 500}));
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "A operação não pode ser concluida!");
    EXPECT_EQ(fake.boxes.shown[0].caption, "ERRO #0x04");
    EXPECT_EQ(fake.boxes.shown[0].flags, uint32_t{MB_OK | MB_ICONEXCLAMATION});
    EXPECT_FALSE(form->Timer3->isActive());
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Buscando configuração interna..."});  // no read-back
}

TEST_F(ReadEngine, LosingThePortEndsTheReadWithErro03) {
    form->B_GetConfigClick();
    AnswerLastRequest(BuiltImage(kDefaultPresetFields));
    fake.port.Close();
    form->Timer3Timer();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "Não há conexão ativa!");
    EXPECT_EQ(fake.boxes.shown[0].caption, "ERRO #0x03");
    EXPECT_EQ(fake.boxes.shown[0].flags, uint32_t{MB_OK | MB_ICONHAND});
    EXPECT_FALSE(form->Timer3->isActive());
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_EQ(fake.port.writes.size(), 2u);
}

TEST_F(ReadEngine, ARepliedBlockWithNoBytesStillCountsAsItsReply) {
    form->B_GetConfigClick();
    form->WorkArea.ReadImage.fill(0x5A);
    // A payload of at least 7 bytes reaches the engine: one byte beyond the announced none.
    fake.port.Feed(UnitFrame(7, ReplyPayload(kBase + 10, 0, {0xEE})));
    EXPECT_TRUE(std::all_of(form->WorkArea.ReadImage.begin(), form->WorkArea.ReadImage.end(),
                            [](uint8_t b) { return b == 0x5A; }));
    EXPECT_EQ(Requests().back(), (Request{4596, 500}));
    EXPECT_EQ(form->ProgressBar1->value(), 2);
}

TEST_F(ReadEngine, AReplyForTheLastBlockEndsTheReadWhateverCameBefore) {
    form->B_GetConfigClick();
    Reply(kBase + 2000, Pattern(32, 1));
    EXPECT_FALSE(form->Timer3->isActive());
    // The read's progress went back to 0; the automatic write now shows its first block.
    EXPECT_EQ(form->ProgressBar1->maximum(), 44);
    EXPECT_EQ(form->ProgressBar1->value(), 1);
    EXPECT_EQ(Requests().size(), 1u);
    // The image is mostly empty: the read-back rejects it and starts the default write.
    EXPECT_NE(std::find(LogLines().begin(), LogLines().end(), "Configuração inválida!"), LogLines().end());
    ExpectConfigJobFor(kDefaultPresetFields);
}

TEST_F(ReadEngine, RepliesReachingOutsideTheImageOrTheFrameAreDroppedAndAskedForAgain) {
    struct Case {
        const char* what;
        uint32_t address;
        uint16_t n;
        size_t carried;  // bytes actually in the frame
    } cases[] = {
        {"address below the image", kBase - 1, 10, 10},
        {"address far below", 0, 0, 1},
        {"bytes past the image's end", kBase + 2000, 33, 33},
        {"a full block from near the end", kBase + 1600, 500, 500},
        {"address just past the image", kBase + 2032, 0, 1},
        {"address far past the image", kBase + 0x10000000, 4, 4},
        {"count larger than the bytes carried", kBase, 10, 5},
        {"count far larger than the frame", kBase + 1500, 0xFFFF, 1},
    };
    for (const Case& c : cases) {
        fake.port.writes.clear();
        form->B_GetConfigClick();
        form->WorkArea.ReadImage.fill(0x5A);
        form->ProgressBar1->setValue(1);
        fake.port.Feed(UnitFrame(7, ReplyPayload(c.address, c.n, Pattern(c.carried, 9))));
        EXPECT_TRUE(std::all_of(form->WorkArea.ReadImage.begin(), form->WorkArea.ReadImage.end(),
                                [](uint8_t b) { return b == 0x5A; }))
            << c.what;
        EXPECT_EQ(form->TransferJob.AckedBlock, 0xFFFFFFu) << c.what;
        EXPECT_FALSE(form->TransferJob.AckPending) << c.what;
        EXPECT_EQ(form->TransferJob.CurrentBlock, 1u) << c.what;
        EXPECT_EQ(form->ProgressBar1->value(), 1) << c.what;
        EXPECT_TRUE(form->Timer3->isActive()) << c.what;
        Ticks(3);  // the retry asks for block 1 again
        EXPECT_EQ(Requests(), (std::vector<Request>{{4096, 500}, {4096, 500}})) << c.what;
    }
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(ReadEngine, AReplyOutsideARunningReadStoresNothingAndStartsNothing) {
    // Never started: nothing to store it for.
    Reply(kBase, Pattern(500, 3));
    EXPECT_EQ(form->WorkArea.ReadImage, Image{});
    // A duplicate of the last reply after the read has ended must not run the read-back again.
    const Image source = BuiltImage(kDefaultPresetFields);
    form->B_GetConfigClick();
    for (int i = 0; i < 5; ++i) AnswerLastRequest(source);
    const std::vector<std::string> log = LogLines();
    const ::orvel::TransferJob job = form->TransferJob;
    Reply(kBase + 2000, Pattern(32, 5));
    EXPECT_EQ(LogLines(), log);
    EXPECT_EQ(form->WorkArea.ReadImage, source);
    EXPECT_EQ(form->TransferJob.AckedBlock, job.AckedBlock);
    EXPECT_EQ(form->TransferJob.AckPending, job.AckPending);
    EXPECT_EQ(form->TransferJob.CurrentBlock, job.CurrentBlock);
}

}  // namespace
}  // namespace orvel::testing
