// The update decision and the automatic-close rule, as tables of reported versions.
#include <gtest/gtest.h>

#include <string>

#include "device/update_decision.h"

namespace orvel {
namespace {

struct DecisionCase {
    uint8_t hardware, major, minor;
    UpdateDecision expected;
};

class UpdateDecisionTable : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(UpdateDecisionTable, DecidesAsTheUnitsVersionRequires) {
    const DecisionCase c = GetParam();
    EXPECT_EQ(DecideUpdate(c.hardware, c.major, c.minor), c.expected)
        << "hardware " << int(c.hardware) << " firmware " << int(c.major) << "." << int(c.minor);
}

std::string CaseName(const ::testing::TestParamInfo<DecisionCase>& info) {
    const DecisionCase& c = info.param;
    return "Hw" + std::to_string(c.hardware) + "At" + std::to_string(c.major) + "_" + std::to_string(c.minor);
}

constexpr auto kFw = UpdateDecision::FirmwareJob;
constexpr auto kUp = UpdateDecision::UpToDate;

INSTANTIATE_TEST_SUITE_P(
    CurrentHardware, UpdateDecisionTable,
    ::testing::Values(
        // Older than 2.43: updated.
        DecisionCase{4, 0, 0, kFw}, DecisionCase{4, 1, 99, kFw}, DecisionCase{4, 2, 0, kFw},
        DecisionCase{4, 2, 42, kFw},
        // 2.43 and above: up to date (255.0 is just a high number).
        DecisionCase{4, 2, 43, kUp}, DecisionCase{4, 2, 200, kUp}, DecisionCase{4, 3, 0, kUp},
        DecisionCase{4, 98, 0, kUp}, DecisionCase{4, 255, 0, kUp}, DecisionCase{4, 255, 254, kUp},
        // Test builds and blank units: always replaced.
        DecisionCase{4, 99, 0, kFw}, DecisionCase{4, 99, 255, kFw}, DecisionCase{4, 255, 255, kFw},
        // The three current hardware types decide alike.
        DecisionCase{3, 2, 42, kFw}, DecisionCase{41, 2, 42, kFw}, DecisionCase{3, 2, 43, kUp},
        DecisionCase{41, 2, 43, kUp}, DecisionCase{41, 255, 255, kFw}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    OtherHardware, UpdateDecisionTable,
    ::testing::Values(
        // Discontinued hardware is never updated, whatever its firmware says.
        DecisionCase{1, 0, 0, UpdateDecision::Discontinued}, DecisionCase{2, 255, 255, UpdateDecision::Discontinued},
        DecisionCase{1, 2, 43, UpdateDecision::Discontinued},
        // Hardware the tool does not know is left alone.
        DecisionCase{0, 0, 0, UpdateDecision::LeaveAlone}, DecisionCase{5, 2, 42, UpdateDecision::LeaveAlone},
        DecisionCase{40, 2, 42, UpdateDecision::LeaveAlone}, DecisionCase{42, 1, 0, UpdateDecision::LeaveAlone},
        DecisionCase{255, 255, 255, UpdateDecision::LeaveAlone}),
    CaseName);

TEST(UpdateDecision, CurrentVersionIsTheVersionOfTheCarriedImage) {
    EXPECT_EQ(kCurrentFirmwareMajor, 2);
    EXPECT_EQ(kCurrentFirmwareMinor, 43);
}

TEST(UpdateDecision, OnlyHardware4And41AtTheCurrentFirmwareMayCloseByThemselves) {
    struct Case {
        uint8_t hardware, major, minor;
        bool expected;
    };
    const Case cases[] = {
        {4, 2, 43, true},   {41, 2, 43, true},  {3, 2, 43, false},  {1, 2, 43, false},
        {4, 2, 42, false},  {4, 2, 44, false},  {41, 3, 43, false}, {41, 99, 43, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsCurrentUnitAtCurrentFirmware(c.hardware, c.major, c.minor), c.expected)
            << "hardware " << int(c.hardware) << " firmware " << int(c.major) << "." << int(c.minor);
}

}  // namespace
}  // namespace orvel
