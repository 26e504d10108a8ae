// The transfer id: drawn from the clock's text, with a stepping shift and a random fallback.
#include <cstdlib>

#include "form_fixture.h"
#include "link/transfer_id.h"

namespace orvel::testing {
namespace {

TEST(TransferIdFromText, ProductOfTheDateAndTimeCharactersGivesF800) {
    EXPECT_EQ(TransferIdFromText("10/12/202414:35:07", 5, 0xFFFF), 0xF800u);
}

TEST(TransferIdFromText, AMorningTextGivesZeroForShiftsFiveToNine) {
    for (uint8_t shift = 5; shift <= 9; ++shift)
        EXPECT_EQ(TransferIdFromText("09/12/202408:01:59", shift, 0xFFFF), 0u) << "shift " << int(shift);
    // The product is not zero, only its low bits are.
    EXPECT_EQ(TransferIdFromText("09/12/202408:01:59", 10, 0xFFFF), 0x8000u);
    EXPECT_EQ(TransferIdFromText("09/12/202408:01:59", 11, 0xFFFF), 0xC000u);
}

TEST(TransferIdFromText, UsesOnlyTheFirstFourteenCharacters) {
    EXPECT_EQ(TransferIdFromText("10/12/202414:35:07 and more", 5, 0xFFFF),
              TransferIdFromText("10/12/202414:3", 5, 0xFFFF));
}

TEST(TransferIdFromText, MissingCharactersCountAsZero) {
    EXPECT_EQ(TransferIdFromText("10/12/2024", 5, 0xFFFF), 0u);
    EXPECT_EQ(TransferIdFromText("", 5, 0xFFFF), 0u);
}

TEST(TransferIdFromText, BytesAboveSevenBitsCountAsNegative) {
    // 13 x '1' (49) times 0xFF (-1): -(49^13) as 32 bits, not +(49^13 * 255).
    const std::string text = std::string(13, '1') + "\xFF";
    uint32_t expected = 0xFFFFFFFFu;
    for (int i = 0; i < 13; ++i) expected *= 49u;
    EXPECT_EQ(TransferIdFromText(text, 0, 0xFFFFFFFF), expected);
}

TEST(TransferIdFromText, KeepsOnlyTheBitsOfTheMask) {
    EXPECT_EQ(TransferIdFromText("10/12/202414:35:07", 5, 0x0F00), 0x0800u);
}

TEST(NextIdShift, StepsFromFiveToElevenAndStartsAgain) {
    uint8_t shift = kFirstIdShift;
    std::vector<int> seen;
    for (int i = 0; i < 9; ++i) {
        seen.push_back(shift);
        shift = NextIdShift(shift);
    }
    EXPECT_EQ(seen, (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 5, 6}));
}

class MakeTransferId : public FormTest {};

TEST_F(MakeTransferId, TakesTheClocksTextAndStepsTheShiftOnEveryCall) {
    fake.clock.text = "09/12/202408:01:59";
    for (int i = 0; i < 5; ++i) form->MakeTransferId(0xFFFF);  // shifts 5..9
    EXPECT_EQ(form->IdShift, 10);
    EXPECT_EQ(form->MakeTransferId(0xFFFF), 0x8000u);
    EXPECT_EQ(form->MakeTransferId(0xFFFF), 0xC000u);
    EXPECT_EQ(form->IdShift, 5);
    fake.clock.text = "10/12/202414:35:07";
    EXPECT_EQ(form->MakeTransferId(0xFFFF), 0xF800u);
}

TEST_F(MakeTransferId, FallsBackToTheStandardGeneratorModuloTheMaskWhenTheTextGivesZero) {
    fake.clock.text = "09/12/202408:01:59";
    // The tool never seeds the generator; the test does, to know what it will draw.
    std::srand(1234);
    const uint32_t first = static_cast<uint32_t>(std::rand()) % 0xFFFF;
    const uint32_t second = static_cast<uint32_t>(std::rand()) % 0xFFFF;
    std::srand(1234);
    EXPECT_EQ(form->MakeTransferId(0xFFFF), first);
    EXPECT_EQ(form->MakeTransferId(0xFFFF), second);
}

TEST_F(MakeTransferId, AZeroMaskGivesZeroInsteadOfDividingByIt) {
    EXPECT_EQ(form->MakeTransferId(0), 0u);
    EXPECT_EQ(form->IdShift, 6);
}

}  // namespace
}  // namespace orvel::testing
