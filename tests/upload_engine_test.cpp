// The block upload engine against the fake port. Ticks are driven by calling Timer1Timer();
// acknowledgements arrive as unit frames through the receive path.
#include <chrono>

#include "form_fixture.h"
#include "link/transfer_id.h"
#include "link/upload_blocks.h"

namespace orvel::testing {
namespace {

using namespace std::chrono_literals;

// One upload frame as the unit sees it.
struct Sent {
    uint8_t command = 0;
    uint16_t id = 0, block = 0, count = 0;
    Bytes rest;  // data bytes, or XOR8 + SUM32 in the final block
};

Sent Parse(const Bytes& f) {
    Sent s;
    if (f.size() < kFrameOverheadBytes + kUploadHeaderBytes || f[0] != kFrameStart || f[1] != kToolToUnit) {
        ADD_FAILURE() << "not an upload frame";
        return s;
    }
    const size_t n = size_t{f[3]} << 8 | f[4];
    EXPECT_EQ(f.size(), n + kFrameOverheadBytes);
    const uint32_t sum = ByteSum(std::span(f).first(n + kFrameHeaderBytes));
    EXPECT_EQ((uint32_t{f[n + 5]} << 16) | (uint32_t{f[n + 6]} << 8) | f[n + 7], sum & 0xFFFFFF);
    s.command = f[2];
    s.id = static_cast<uint16_t>(f[5] << 8 | f[6]);
    s.block = static_cast<uint16_t>(f[7] << 8 | f[8]);
    s.count = static_cast<uint16_t>(f[9] << 8 | f[10]);
    s.rest.assign(f.begin() + 11, f.begin() + 5 + static_cast<long>(n));
    return s;
}

// Deterministic bytes without a short period, so a block from the wrong offset shows.
Bytes Pattern(size_t n) {
    Bytes b(n);
    uint32_t x = 0x12345678;
    for (auto& v : b) {
        x = x * 1103515245u + 12345u;
        v = static_cast<uint8_t>(x >> 23);
    }
    return b;
}

Bytes Be16(uint32_t v) { return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}; }

class UploadEngine : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        // Ticks are driven by hand: keep the real timers from firing inside ProcessMessages.
        for (QTimer* t : {form->Timer1, form->Timer2, form->Timer3, form->Timer4}) t->setInterval(24h);
        OpenPortDirect();
    }
    void Start(uint8_t jobCode, const Bytes& data, uint8_t xor8 = 0x5A, uint32_t sum32 = 0x01020304) {
        image = data;
        form->TransferJob.JobCode = jobCode;
        form->TransferJob.Data = image.empty() ? nullptr : image.data();
        form->TransferJob.DataLength = static_cast<uint32_t>(image.size());
        form->TransferJob.XOR8 = xor8;
        form->TransferJob.SUM32 = sum32;
        form->TxInit();
    }
    void Ack(uint32_t block) { fake.port.Feed(UnitFrame(kCmdAck, Be16(block))); }
    void Nack() { fake.port.Feed(UnitFrame(kCmdNack, {})); }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) form->Timer1Timer();
    }
    Sent Last() const { return Parse(fake.port.writes.back()); }
    size_t Writes() const { return fake.port.writes.size(); }
    std::vector<int> SentBlocks() const {
        std::vector<int> out;
        for (const auto& w : fake.port.writes) out.push_back(Parse(w).block);
        return out;
    }

    Bytes image;
};

TEST(UploadBlockCount, CountsDataBlocksOf48BytesPlusTheFinalBlock) {
    const std::pair<uint64_t, uint64_t> cases[] = {
        {0, 1},    {1, 2},       {47, 2},          {48, 2},          {49, 3},
        {96, 3},   {2032, 44},   {89'828, 1'873},  {3'145'632, 65'535}, {3'145'633, 65'536},
    };
    for (const auto& [length, blocks] : cases) EXPECT_EQ(UploadBlockCount(length), blocks) << length << " bytes";
}

TEST(UploadBlockPayload, NeverReadsOutsideTheImage) {
    const Bytes data = Pattern(100);
    TransferJob job;
    job.Data = data.data();
    job.DataLength = 100;
    job.BlockCount = 10;  // does not fit the length: blocks past the data carry nothing
    EXPECT_EQ(UploadBlockPayload(job, 3)->size(), kUploadHeaderBytes + 4);
    EXPECT_FALSE(UploadBlockPayload(job, 4).has_value());
    EXPECT_FALSE(UploadBlockPayload(job, 0).has_value());
    EXPECT_FALSE(UploadBlockPayload(job, 11).has_value());
    job.Data = nullptr;
    EXPECT_FALSE(UploadBlockPayload(job, 1).has_value());
    EXPECT_EQ(UploadBlockPayload(job, 10)->size(), kUploadHeaderBytes + 5);  // the final block needs no data
}

TEST_F(UploadEngine, ConfigurationImageGoesOutIn44BlocksAndItsAcksCompleteTheJob) {
    const Bytes data = Pattern(2032);
    Start(kCmdConfigBlock, data, 0x53, 0x0007C9E9);
    EXPECT_EQ(form->ProgressBar1->maximum(), 44);
    Bytes received;
    for (uint32_t k = 1; k <= 44; ++k) {
        ASSERT_EQ(Writes(), k) << "block " << k << " goes out once its predecessor is acknowledged";
        const Sent s = Last();
        EXPECT_EQ(s.command, kCmdConfigBlock);
        EXPECT_EQ(s.id, 0xF800) << "drawn from the fixed clock with shift 5";
        EXPECT_EQ(s.block, k);
        EXPECT_EQ(s.count, 44);
        EXPECT_EQ(form->ProgressBar1->value(), static_cast<int>(k));
        const Bytes expected = k <= 42   ? Bytes(48, 0)
                               : k == 43 ? Bytes(16, 0)
                                         : Bytes{0x53, 0x00, 0x07, 0xC9, 0xE9};
        if (k < 44) {
            EXPECT_EQ(s.rest.size(), expected.size()) << "block " << k;
        } else {
            EXPECT_EQ(s.rest, expected);
        }
        if (k < 44) received.insert(received.end(), s.rest.begin(), s.rest.end());
        Ack(k);
    }
    EXPECT_EQ(received, data);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Iniciando atualização...", "Atualizando configuração...",
                                                    "Atualização concluída com sucesso!"}));
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(form->B_SetConfig->isEnabled());
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(UploadEngine, NinetySixBytesGoOutAsTwoFullBlocksAndTheFinalBlock) {
    const Bytes data = Pattern(96);
    Start(kCmdConfigBlock, data);
    Ack(1);
    Ack(2);
    ASSERT_EQ(Writes(), 3u);
    EXPECT_EQ(Parse(fake.port.writes[0]).rest, Bytes(data.begin(), data.begin() + 48));
    EXPECT_EQ(Parse(fake.port.writes[1]).rest, Bytes(data.begin() + 48, data.end()));
    EXPECT_EQ(Last().block, 3);
    EXPECT_EQ(Last().count, 3);
    EXPECT_EQ(Last().rest, (Bytes{0x5A, 0x01, 0x02, 0x03, 0x04}));
}

TEST_F(UploadEngine, EmptyImageSendsTheFinalBlockFirstAndItsAckCompletesWithoutTheProgressLine) {
    Start(kCmdConfigBlock, {}, 0x00, 0x00000000);
    ASSERT_EQ(Writes(), 1u);
    EXPECT_EQ(fake.port.writes[0].size(), 8u + 11u);
    EXPECT_EQ(Last().block, 1);
    EXPECT_EQ(Last().count, 1);
    EXPECT_EQ(Last().rest, (Bytes{0, 0, 0, 0, 0}));
    EXPECT_EQ(form->ProgressBar1->maximum(), 1);
    Ack(1);
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"Iniciando atualização...", "Atualização concluída com sucesso!"}));
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(UploadEngine, AckOfBlockOneLogsTheJobsProgressLineAndSendsBlockTwoAtOnce) {
    const std::pair<uint8_t, const char*> jobs[] = {{kCmdFirmwareBlock, "Atualizando firmware..."},
                                                    {kCmdConfigBlock, "Atualizando configuração..."}};
    for (const auto& [code, line] : jobs) {
        form->Log->clear();
        fake.port.writes.clear();
        Start(code, Pattern(200));
        Ack(1);
        ASSERT_EQ(Writes(), 2u);
        EXPECT_EQ(Last().command, code);
        EXPECT_EQ(Last().block, 2);
        EXPECT_EQ(LogLines(), (std::vector<std::string>{"Iniciando atualização...", line}));
    }
}

TEST_F(UploadEngine, StaleAckResendsTheCurrentBlockAtOnceAndRestartsTheTickCount) {
    Start(kCmdConfigBlock, Pattern(2032));
    for (uint32_t k = 1; k <= 4; ++k) Ack(k);
    ASSERT_EQ(Last().block, 5);
    Ticks(2);
    ASSERT_EQ(Writes(), 5u);
    Ack(4);
    ASSERT_EQ(Writes(), 6u);
    EXPECT_EQ(Last().block, 5);
    EXPECT_EQ(form->TransferJob.RetryTicks, 0);
    Ticks(2);
    EXPECT_EQ(Writes(), 6u) << "counting starts again from the stale ack";
    Ticks(1);
    EXPECT_EQ(Writes(), 7u);
    EXPECT_EQ(Last().block, 5);
}

TEST_F(UploadEngine, SilentUnitGetsBlockOneFourTimesAndTheJobIsGivenUpOnTickTen) {
    Start(kCmdFirmwareBlock, Pattern(500));
    form->ErrorCounters.Code10 = 2;
    form->ErrorCounters.Code15 = 3;
    form->ErrorCounters.Code20 = 4;
    std::vector<size_t> writesAfterTick;
    for (int tick = 1; tick <= 10; ++tick) {
        form->Timer1Timer();
        writesAfterTick.push_back(Writes());
    }
    EXPECT_EQ(writesAfterTick, (std::vector<size_t>{1, 1, 2, 2, 3, 3, 4, 4, 4, 4}));
    EXPECT_EQ(SentBlocks(), (std::vector<int>{1, 1, 1, 1}));
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text,
              "A operação não foi concluida!\r\nNacks = 0\r\nCode10 = 2\r\nCode15 = 3\r\nCode20 = 4");
    EXPECT_EQ(fake.boxes.shown[0].caption, "ERRO #0x02");
    EXPECT_EQ(fake.boxes.shown[0].flags, MB_OK | MB_ICONHAND);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_EQ(form->TransferJob.CurrentBlock, 1u) << "an abandoned job keeps its state";
}

TEST_F(UploadEngine, ThreeNacksWithoutATickMakeTheThirdOneResendTheBlock) {
    Start(kCmdConfigBlock, Pattern(2032));
    Nack();
    Nack();
    EXPECT_EQ(Writes(), 1u);
    Nack();
    EXPECT_EQ(Writes(), 2u);
    EXPECT_EQ(Last().block, 1);
    EXPECT_EQ(form->ErrorCounters.Nacks, 3);
}

TEST_F(UploadEngine, NackWhileNoUploadRunsIsOnlyCounted) {
    Nack();
    EXPECT_EQ(form->ErrorCounters.Nacks, 1);
    EXPECT_TRUE(fake.port.writes.empty());
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(UploadEngine, PortLostDuringAJobEndsItOnTheNextTickWithTheNoConnectionBox) {
    Start(kCmdConfigBlock, Pattern(2032));
    Ack(1);
    Ack(2);
    ASSERT_EQ(form->ProgressBar1->value(), 3);
    fake.port.Vanish();
    form->Timer1Timer();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "Não há conexão ativa!");
    EXPECT_EQ(fake.boxes.shown[0].caption, "ERRO #0x01");
    EXPECT_EQ(fake.boxes.shown[0].flags, MB_OK | MB_ICONHAND);
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(Writes(), 3u);
}

TEST_F(UploadEngine, JobStartedWithThePortClosedLogsNothingAndEndsOnItsFirstTick) {
    fake.port.Close();
    Start(kCmdFirmwareBlock, Pattern(500));
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(fake.port.writes.empty());
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "ERRO #0x01");
    EXPECT_FALSE(form->Timer1->isActive());
}

struct AutoCloseCase {
    uint8_t hardware, major, minor;
    bool ticked, closes;
};

TEST_F(UploadEngine, PortClosesAfterAConfigurationWriteOnlyForHardware4Or41At243WithTheBoxTicked) {
    const AutoCloseCase cases[] = {
        {4, 2, 43, true, true},   {41, 2, 43, true, true},  {3, 2, 43, true, false},
        {41, 2, 42, true, false}, {4, 2, 44, true, false},  {41, 2, 43, false, false},
    };
    for (const AutoCloseCase& c : cases) {
        const std::string name = "hardware " + std::to_string(c.hardware) + " firmware " +
                                 std::to_string(c.major) + "." + std::to_string(c.minor) +
                                 (c.ticked ? " ticked" : " not ticked");
        form->Timer2->stop();
        form->ComboBox1->setEnabled(false);
        form->B_SetConfig->setEnabled(false);
        form->Cb_COMAutoClose->setChecked(c.ticked);
        form->DeviceInfo.HardwareType = c.hardware;
        form->DeviceInfo.FirmwareMajor = c.major;
        form->DeviceInfo.FirmwareMinor = c.minor;
        Start(kCmdConfigBlock, Pattern(10));
        Ack(2);
        EXPECT_EQ(LogLines().back(), "Atualização concluída com sucesso!") << name;
        EXPECT_TRUE(form->B_SetConfig->isEnabled()) << name;
        EXPECT_EQ(form->Timer2->isActive(), c.closes) << name;
        EXPECT_EQ(form->ComboBox1->isEnabled(), c.closes) << name;
    }
}

TEST_F(UploadEngine, FirmwareJobCompletionLogsAnEmptyLineAndLetsTheNextInfoRecordIn) {
    form->InfoHandled = true;
    Start(kCmdFirmwareBlock, Pattern(10));
    Ack(2);
    const auto log = LogLines();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Atualização concluída com sucesso!");
    EXPECT_EQ(log.back(), "");
    EXPECT_FALSE(form->InfoHandled);
    EXPECT_FALSE(form->B_SetConfig->isEnabled()) << "only a configuration write re-enables CONFIGURAR";
}

TEST_F(UploadEngine, SecondAckOfTheFinalBlockRepeatsTheCompletion) {
    Start(kCmdConfigBlock, Pattern(96));
    Ack(1);
    Ack(2);
    Ack(3);
    Ack(3);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Iniciando atualização...", "Atualizando configuração...",
                                                    "Atualização concluída com sucesso!",
                                                    "Atualização concluída com sucesso!"}));
    EXPECT_EQ(Writes(), 3u);
}

TEST_F(UploadEngine, AckWithoutItsTwoBlockNumberBytesIsIgnored) {
    Start(kCmdConfigBlock, Pattern(96));
    for (const Bytes& payload : {Bytes{}, Bytes{0x00}}) {
        fake.port.Feed(UnitFrame(kCmdAck, payload));
        EXPECT_EQ(Writes(), 1u);
        EXPECT_EQ(form->TransferJob.AckedBlock, 0xFFFFFFu);
        EXPECT_FALSE(form->TransferJob.AckPending);
        EXPECT_EQ(LogLines().size(), 1u);
    }
    // Bytes after the block number are not read.
    fake.port.Feed(UnitFrame(kCmdAck, {0x00, 0x01, 0xFF, 0xFF}));
    EXPECT_EQ(Last().block, 2);
}

TEST_F(UploadEngine, AckBeforeAnyUploadReportsNoSuccess) {
    Ack(5);
    Ack(0xFFFF);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_FALSE(form->B_SetConfig->isEnabled());
    EXPECT_TRUE(fake.port.writes.empty());
}

TEST_F(UploadEngine, AckBelowTheCountAfterTheJobWasGivenUpSendsNothing) {
    Start(kCmdConfigBlock, Pattern(2032));
    Ticks(10);
    ASSERT_FALSE(form->Timer1->isActive());
    const size_t before = Writes();
    Ack(1);
    Ack(2);
    EXPECT_EQ(Writes(), before);
    EXPECT_TRUE(form->TransferJob.AckPending);
}

TEST_F(UploadEngine, AckInsideTheFirstSendOnlyMarksItSoBlockOneGoesAgainOnTickThree) {
    // A unit that answers each block before the write returns.
    fake.port.onWrite = [this](const Bytes& frame) {
        const uint16_t block = static_cast<uint16_t>(frame[7] << 8 | frame[8]);
        fake.port.Feed(UnitFrame(kCmdAck, Be16(block)));
    };
    Start(kCmdConfigBlock, Pattern(100));
    EXPECT_EQ(Writes(), 1u);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(form->TransferJob.AckPending) << "the first tick consumed it after its send";
    Ticks(2);
    EXPECT_EQ(Writes(), 1u);
    Ticks(1);
    EXPECT_EQ(SentBlocks(), (std::vector<int>{1, 1, 2, 3, 4}));
    EXPECT_EQ(LogLines().back(), "Atualização concluída com sucesso!");
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(UploadEngine, OneBlockJobAcknowledgedInsideItsFirstSendStaysComplete) {
    fake.port.onWrite = [this](const Bytes&) { fake.port.Feed(UnitFrame(kCmdAck, Be16(1))); };
    Start(kCmdConfigBlock, {});
    EXPECT_EQ(LogLines().back(), "Atualização concluída com sucesso!");
    EXPECT_FALSE(form->Timer1->isActive()) << "a running timer would resend the block and give up";
    EXPECT_EQ(Writes(), 1u);
}

TEST_F(UploadEngine, NewJobWhileOneRunsStartsAfreshWithANewId) {
    Start(kCmdConfigBlock, Pattern(2032));
    Ack(1);
    Ack(2);
    const Bytes second = Pattern(96);
    Start(kCmdFirmwareBlock, second);
    EXPECT_EQ(Last().command, kCmdFirmwareBlock);
    EXPECT_EQ(Last().block, 1);
    EXPECT_EQ(Last().count, 3);
    EXPECT_EQ(Last().id, TransferIdFromText(fake.clock.text, 6, 0xFFFF));
    EXPECT_EQ(form->ProgressBar1->maximum(), 3);
    EXPECT_EQ(form->IdShift, 7);
}

TEST_F(UploadEngine, ImageOfUpTo65535BlocksIsSentAndALargerOneIsRefusedWithNothingSent) {
    Start(kCmdConfigBlock, Bytes(3'145'632, 0xA5));
    ASSERT_EQ(Writes(), 1u);
    EXPECT_EQ(Last().count, 0xFFFF);
    EXPECT_EQ(form->ProgressBar1->maximum(), 65'535);
    EXPECT_TRUE(fake.boxes.shown.empty());

    Start(kCmdConfigBlock, Bytes(3'145'633, 0xA5));
    EXPECT_EQ(Writes(), 1u);
    EXPECT_EQ(LogLines().size(), 1u) << "no second start line";
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "A imagem é grande demais para ser enviada!\r\nBlocos = 65536 (máximo 65535)");
    EXPECT_EQ(fake.boxes.shown[0].caption, "Erro");
    EXPECT_EQ(fake.boxes.shown[0].flags, MB_OK | MB_ICONHAND);
    EXPECT_FALSE(form->Timer1->isActive()) << "the replaced job does not go on";
    EXPECT_EQ(form->ProgressBar1->value(), 0);
}

TEST_F(UploadEngine, ImageWithALengthButNoBytesIsRefused) {
    form->TransferJob.JobCode = kCmdConfigBlock;
    form->TransferJob.Data = nullptr;
    form->TransferJob.DataLength = 10;
    form->TxInit();
    EXPECT_TRUE(fake.port.writes.empty());
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "A imagem a ser enviada não está disponível!");
    EXPECT_EQ(fake.boxes.shown[0].caption, "Erro");
}

}  // namespace
}  // namespace orvel::testing
