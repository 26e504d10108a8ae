#include "form_fixture.h"

namespace orvel::testing {
namespace {

class ReceivePath : public FormTest {};

TEST_F(ReceivePath, EightByteNackCountsOneNack) {
    OpenPortDirect();
    fake.port.Feed({0xBC, 0x12, 0x03, 0x00, 0x00, 0x00, 0x00, 0xD1});
    EXPECT_EQ(form->ErrorCounters.Nacks, 1);
    EXPECT_EQ(form->ErrorCounters.Code10 + form->ErrorCounters.Code15 + form->ErrorCounters.Code20, 0);
}

}  // namespace
}  // namespace orvel::testing
