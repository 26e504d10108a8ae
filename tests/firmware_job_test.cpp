// The firmware job: the embedded image, its frames, a whole run against a scripted unit,
// and the jump command.
#include <chrono>
#include <fstream>
#include <iterator>
#include <map>

#include "form_fixture.h"
#include "link/firmware/firmware_image.h"

namespace orvel::testing {
namespace {

using namespace std::chrono_literals;

Bytes Image() { return Bytes(FirmwareImage, FirmwareImage + kFirmwareImageBytes); }
Bytes Be16(uint32_t v) { return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}; }
uint16_t BlockOf(const Bytes& frame) { return static_cast<uint16_t>(frame[7] << 8 | frame[8]); }
Bytes PayloadOf(const Bytes& frame) { return Bytes(frame.begin() + 5, frame.end() - 3); }

TEST(FirmwareImage, IsTheRepositorysBinByteForByte) {
    std::ifstream in(ORVEL_SOURCE_DIR "/link/firmware/orvel-2.43.bin", std::ios::binary);
    ASSERT_TRUE(in.good());
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(file, Image());
}

TEST(FirmwareImage, MatchesItsStoredLengthAndCheckValues) {
    uint8_t xor8 = 0;
    uint32_t sum32 = 0;
    for (uint8_t b : Image()) {
        xor8 ^= b;
        sum32 += b;
    }
    EXPECT_EQ(kFirmwareImageBytes, 89'828u);
    EXPECT_EQ(xor8, kFirmwareXOR8);
    EXPECT_EQ(sum32, kFirmwareSUM32);
    EXPECT_EQ(kFirmwareXOR8, 0xE1);
    EXPECT_EQ(kFirmwareSUM32, 0x0077CBABu);
}

class FirmwareJob : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        for (QTimer* t : {form->Timer1, form->Timer2, form->Timer3, form->Timer4}) t->setInterval(24h);
        OpenPortDirect();
    }
    void Ack(uint32_t block) { fake.port.Feed(UnitFrame(kCmdAck, Be16(block))); }
};

TEST_F(FirmwareJob, StartsWithBlockOneOfTheImageAsCommandOne) {
    form->B_FwTxClick();
    ASSERT_EQ(fake.port.writes.size(), 1u);
    const Bytes& f = fake.port.writes[0];
    EXPECT_EQ(f[2], kCmdFirmwareBlock);
    Bytes expected = {0xF8, 0x00, 0x00, 0x01, 0x07, 0x51};
    expected.insert(expected.end(), FirmwareImage, FirmwareImage + 48);
    EXPECT_EQ(PayloadOf(f), expected);
    EXPECT_EQ(form->ProgressBar1->maximum(), 1873);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"Iniciando atualização..."});
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(FirmwareJob, LastDataBlockCarriesTheLast20BytesAndTheFinalBlockTheCheckValues) {
    form->B_FwTxClick();
    for (uint32_t k = 1; k <= 1872; ++k) Ack(k);
    const auto& writes = fake.port.writes;
    ASSERT_EQ(writes.size(), 1873u);

    const Bytes block1872 = PayloadOf(writes[1871]);
    ASSERT_EQ(block1872.size(), 26u);
    EXPECT_EQ(Bytes(block1872.begin(), block1872.begin() + 6), (Bytes{0xF8, 0x00, 0x07, 0x50, 0x07, 0x51}));
    EXPECT_EQ(Bytes(block1872.begin() + 6, block1872.end()),
              Bytes(FirmwareImage + kFirmwareImageBytes - 20, FirmwareImage + kFirmwareImageBytes));

    EXPECT_EQ(PayloadOf(writes[1872]), (Bytes{0xF8, 0x00, 0x07, 0x51, 0x07, 0x51, 0xE1, 0x00, 0x77, 0xCB, 0xAB}));
    EXPECT_EQ(writes[1872][2], kCmdFirmwareBlock);
    EXPECT_EQ(form->ProgressBar1->value(), 1873);
}

TEST_F(FirmwareJob, UnitReporting242ReceivesTheWholeImageAndTheJobCompletes) {
    // A unit that acknowledges every block it receives, after the write has returned,
    // and keeps what it was sent.
    std::map<uint16_t, Bytes> blocks;
    std::vector<uint16_t> order;
    fake.port.onWrite = [&](const Bytes& frame) {
        ASSERT_EQ(frame[2], kCmdFirmwareBlock);
        const uint16_t block = BlockOf(frame);
        order.push_back(block);
        blocks[block] = Bytes(frame.begin() + 11, frame.end() - 3);
        fake.port.FeedLater(UnitFrame(kCmdAck, Be16(block)));
    };
    form->InfoHandled = false;
    Bytes info(45, 0);
    info[0] = 1;
    info[37] = 4;
    info[39] = 2;
    info[40] = 42;
    fake.port.Feed(UnitFrame(kCmdInfo, info));
    // The job starts inside the record's receive event, so each ack is handled after the
    // event that sent its block: the whole image goes out without a single resend.
    ASSERT_EQ(order.size(), 1873u);
    for (size_t i = 0; i < order.size(); ++i) ASSERT_EQ(order[i], i + 1) << "frame " << i;
    Bytes received;
    for (uint16_t k = 1; k <= 1872; ++k) received.insert(received.end(), blocks[k].begin(), blocks[k].end());
    EXPECT_EQ(received, Image());
    EXPECT_EQ(blocks[1873], (Bytes{0xE1, 0x00, 0x77, 0xCB, 0xAB}));

    const auto log = LogLines();
    EXPECT_EQ(log, (std::vector<std::string>{"Orvel v4.0.2.42", "Id: 00000000 00000000 00000000",
                                             "Iniciando atualização...", "Atualizando firmware...",
                                             "Atualização concluída com sucesso!", ""}));
    EXPECT_FALSE(form->InfoHandled);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(FirmwareJob, JumpSendsTheEightByteFrameAndTouchesNothingElse) {
    form->ProgressBar1->setValue(7);
    form->B_FwJumpClick();
    ASSERT_EQ(fake.port.writes.size(), 1u);
    EXPECT_EQ(fake.port.writes[0], (Bytes{0xBC, 0x21, 0x05, 0x00, 0x00, 0x00, 0x00, 0xE2}));
    EXPECT_TRUE(LogLines().empty());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->ProgressBar1->value(), 7);
}

TEST_F(FirmwareJob, JumpWithThePortClosedSendsNothingAndShowsNothing) {
    fake.port.Close();
    form->B_FwJumpClick();
    EXPECT_TRUE(fake.port.writes.empty());
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_TRUE(LogLines().empty());
}

}  // namespace
}  // namespace orvel::testing
