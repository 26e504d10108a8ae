// Identification: the information record, the update decision it leads to, the
// operation-mode instructions and the one-record-per-connection guard.
#include <chrono>

#include "device/info_record.h"
#include "form_fixture.h"

namespace orvel::testing {
namespace {

using namespace std::chrono_literals;

struct Record {
    uint8_t mode = 1;
    uint32_t id0 = 0x00000003, id1 = 0x00000002, id2 = 0x00000001;  // id words in printing order
    uint8_t hardware = 4, byte2 = 1, major = 2, minor = 43;
    uint32_t configBase = 0x00001000;
};

void PutBe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// The 45-byte payload as the unit lays it out: word 2 first, word 0 last.
Bytes InfoPayload(const Record& r) {
    Bytes p(kInfoRecordBytes, 0x20);  // the unused text fields hold anything
    p[0] = r.mode;
    PutBe32(p, 1, r.id2);
    PutBe32(p, 5, r.id1);
    PutBe32(p, 9, r.id0);
    p[37] = r.hardware;
    p[38] = r.byte2;
    p[39] = r.major;
    p[40] = r.minor;
    PutBe32(p, 41, r.configBase);
    return p;
}

const std::vector<std::string> kOperationModeLines = {
    "O Orvel foi detectado em modo de operação!",
    "1-Desconectar todos os chicotes",
    "2-Conectar apenas o cabo USB",
    "3-Aguardar o Windows criar a porta (5 segundos)",
    "4-Rodar o OrvelTool e abrir a porta COM criada",
};
const std::string kDiscontinued =
    "Essa versão do orvel está descontinuada, entre em contato com a Corvane para mais informações!";
const std::string kReadEngineFirstLine = "Buscando configuração interna...";

TEST(ParseInfoRecord, ReadsEveryFieldAtItsOffsetBigEndian) {
    Record r;
    r.id0 = 0xA1B2C3D4;
    r.id1 = 0x0000000F;
    r.id2 = 0x80000001;
    r.hardware = 41;
    r.byte2 = 7;
    r.major = 2;
    r.minor = 42;
    r.configBase = 0x0801F800;
    const auto parsed = ParseInfoRecord(InfoPayload(r));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_FALSE(parsed->operationMode);
    EXPECT_EQ(parsed->info.UnitId[0], 0xA1B2C3D4u);
    EXPECT_EQ(parsed->info.UnitId[1], 0x0000000Fu);
    EXPECT_EQ(parsed->info.UnitId[2], 0x80000001u);
    EXPECT_EQ(parsed->info.HardwareType, 41);
    EXPECT_EQ(parsed->info.VersionByte2, 7);
    EXPECT_EQ(parsed->info.FirmwareMajor, 2);
    EXPECT_EQ(parsed->info.FirmwareMinor, 42);
    EXPECT_EQ(parsed->info.ConfigBase, 0x0801F800u);
}

TEST(ParseInfoRecord, OnlyAZeroModeFlagMeansOperationMode) {
    for (int flag : {0, 1, 2, 0x80, 0xFF}) {
        Bytes p = InfoPayload({});
        p[0] = static_cast<uint8_t>(flag);
        EXPECT_EQ(ParseInfoRecord(p)->operationMode, flag == 0) << "flag " << flag;
    }
}

TEST(ParseInfoRecord, RefusesAPayloadShorterThan45BytesAndIgnoresBytesAfterThem) {
    const Bytes full = InfoPayload({});
    for (size_t n : {size_t{0}, size_t{1}, size_t{37}, size_t{44}}) {
        const Bytes shorter(full.begin(), full.begin() + static_cast<long>(n));  // exact size: no slack to read
        EXPECT_FALSE(ParseInfoRecord(shorter).has_value()) << n << " bytes";
    }
    Bytes longer = full;
    longer.insert(longer.end(), 20, 0xEE);
    ASSERT_TRUE(ParseInfoRecord(longer).has_value());
    EXPECT_EQ(ParseInfoRecord(longer)->info.ConfigBase, 0x00001000u);
}

TEST(VersionEntry, PrintsTheVersionInDecimalAndTheIdWordsAsEightUpperCaseHexDigits) {
    DeviceInfo info;
    info.HardwareType = 41;
    info.VersionByte2 = 0;
    info.FirmwareMajor = 255;
    info.FirmwareMinor = 255;
    info.UnitId[0] = 0x00000A0B;
    info.UnitId[1] = 0xDEADBEEF;
    info.UnitId[2] = 0;
    EXPECT_EQ(VersionEntry(info), "Orvel v41.0.255.255\r\nId: 00000A0B DEADBEEF 00000000");
}

class Identification : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        // Timers are driven by hand here: keep them from firing inside ProcessMessages.
        for (QTimer* t : {form->Timer1, form->Timer2, form->Timer3, form->Timer4}) t->setInterval(24h);
        OpenPortDirect();
    }
    void SendRecord(const Record& r) { fake.port.Feed(UnitFrame(kCmdInfo, InfoPayload(r))); }
    std::vector<uint8_t> WrittenCommands() const {
        std::vector<uint8_t> out;
        for (const auto& w : fake.port.writes) out.push_back(w.size() > 2 ? w[2] : 0);
        return out;
    }
    // The log starts with `lines`; anything after them is the configuration read's.
    void ExpectLogThenConfigurationRead(const std::vector<std::string>& lines) {
        const auto log = LogLines();
        ASSERT_GE(log.size(), lines.size());
        EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + static_cast<long>(lines.size())), lines);
        if (log.size() > lines.size()) {
            EXPECT_EQ(log[lines.size()], kReadEngineFirstLine);
        }
        for (uint8_t c : WrittenCommands()) EXPECT_EQ(c, kCmdRead) << "only read requests may go out";
    }
    QColor LineColour(size_t line) const {
        QTextBlock b = form->Log->document()->findBlockByNumber(static_cast<int>(line));
        return b.begin().fragment().charFormat().foreground().color();
    }
};

TEST_F(Identification, PrintsTheIdWordsInTheReverseOrderOfThePayload) {
    Record r;
    r.hardware = 5;  // leave the unit alone: only the entry
    r.id2 = 1;       // payload bytes 1..4
    r.id1 = 2;       // 5..8
    r.id0 = 3;       // 9..12
    SendRecord(r);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Orvel v5.1.2.43", "Id: 00000003 00000002 00000001"}));
}

TEST_F(Identification, UpToDateUnitGetsTheVersionLinesThenUpToDateThenTheConfigurationRead) {
    SendRecord({});
    ExpectLogThenConfigurationRead(
        {"Orvel v4.1.2.43", "Id: 00000003 00000002 00000001", "O Orvel está atualizado!"});
    EXPECT_TRUE(form->InfoHandled);
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(Identification, OldFirmwareStartsTheFirmwareJobAndLogsNothingElseItself) {
    Record r;
    r.minor = 42;
    SendRecord(r);
    ASSERT_FALSE(fake.port.writes.empty());
    EXPECT_EQ(WrittenCommands().front(), kCmdFirmwareBlock);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Orvel v4.1.2.42", "Id: 00000003 00000002 00000001",
                                                    "Iniciando atualização..."}));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(form->InfoHandled);
}

struct DecisionCase {
    const char* name;
    uint8_t hardware, major, minor;
    enum { Firmware, Read, Nothing } job;
    std::vector<std::string> linesAfterId;
};

class IdentificationDecision : public Identification, public ::testing::WithParamInterface<DecisionCase> {};

TEST_P(IdentificationDecision, StartsTheJobThatTheVersionCallsFor) {
    const DecisionCase& c = GetParam();
    Record r;
    r.hardware = c.hardware;
    r.major = c.major;
    r.minor = c.minor;
    SendRecord(r);
    char version[40];
    std::snprintf(version, sizeof version, "Orvel v%d.1.%d.%d", c.hardware, c.major, c.minor);
    std::vector<std::string> expected = {version, "Id: 00000003 00000002 00000001"};
    expected.insert(expected.end(), c.linesAfterId.begin(), c.linesAfterId.end());
    switch (c.job) {
        case DecisionCase::Firmware:
            ASSERT_FALSE(fake.port.writes.empty());
            EXPECT_EQ(WrittenCommands().front(), kCmdFirmwareBlock);
            expected.push_back("Iniciando atualização...");
            EXPECT_EQ(LogLines(), expected);
            break;
        case DecisionCase::Read:
            ExpectLogThenConfigurationRead(expected);
            break;
        case DecisionCase::Nothing:
            EXPECT_TRUE(fake.port.writes.empty());
            EXPECT_EQ(LogLines(), expected);
            break;
    }
    EXPECT_TRUE(form->InfoHandled);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, IdentificationDecision,
    ::testing::Values(
        DecisionCase{"Hw4At2_43", 4, 2, 43, DecisionCase::Read, {"O Orvel está atualizado!"}},
        DecisionCase{"Hw3At3_0", 3, 3, 0, DecisionCase::Read, {"O Orvel está atualizado!"}},
        DecisionCase{"Hw41At2_42", 41, 2, 42, DecisionCase::Firmware, {}},
        DecisionCase{"Hw4At99_1", 4, 99, 1, DecisionCase::Firmware, {}},
        DecisionCase{"Hw3Blank", 3, 255, 255, DecisionCase::Firmware, {}},
        DecisionCase{"Hw1At0_0", 1, 0, 0, DecisionCase::Read, {kDiscontinued}},
        DecisionCase{"Hw2Blank", 2, 255, 255, DecisionCase::Read, {kDiscontinued}},
        DecisionCase{"Hw5At2_42", 5, 2, 42, DecisionCase::Nothing, {}},
        DecisionCase{"Hw0At0_0", 0, 0, 0, DecisionCase::Nothing, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Identification, DiscontinuedLineIsRedAndTheLogStaysRed) {
    Record r;
    r.hardware = 1;
    SendRecord(r);
    ASSERT_GE(LogLines().size(), 3u);
    EXPECT_EQ(LineColour(1), QColor(Qt::black));
    EXPECT_EQ(LineColour(2), QColor(255, 0, 0));
    form->AppendLog("next");
    EXPECT_EQ(LineColour(LogLines().size() - 1), QColor(255, 0, 0));
}

TEST_F(Identification, ASecondRecordOnTheSameConnectionChangesNothing) {
    Record first;
    first.hardware = 5;
    SendRecord(first);
    const auto log = LogLines();
    Record other;
    other.id0 = 0x12345678;
    other.minor = 42;  // would start the firmware job if it were handled
    SendRecord(other);
    EXPECT_EQ(LogLines(), log);
    EXPECT_TRUE(fake.port.writes.empty());
    EXPECT_EQ(form->DeviceInfo.UnitId[0], 3u);
    EXPECT_EQ(form->DeviceInfo.HardwareType, 5);
}

TEST_F(Identification, OperationModeRecordGivesTheInstructionsAndClosesThePortLater) {
    Record r;
    r.mode = 0;
    r.hardware = 41;
    r.id0 = 0xCAFE0000;
    r.configBase = 0x2000;
    Bytes event = UnitFrame(kCmdInfo, InfoPayload(r));
    event.push_back(0x55);  // a trailing byte: the event ends before it is counted
    fake.port.Feed(event);
    EXPECT_EQ(LogLines(), kOperationModeLines);
    EXPECT_TRUE(form->Timer2->isActive());
    EXPECT_FALSE(form->InfoHandled);
    EXPECT_EQ(form->ErrorCounters.Code20, 0);
    EXPECT_TRUE(fake.port.writes.empty());
    // The record was taken in before its mode flag was looked at.
    EXPECT_EQ(form->DeviceInfo.HardwareType, 41);
    EXPECT_EQ(form->DeviceInfo.UnitId[0], 0xCAFE0000u);
    EXPECT_EQ(form->DeviceInfo.ConfigBase, 0x2000u);
}

TEST_F(Identification, OperationModeRecordAfterAHandledOneIsIgnored) {
    Record r;
    r.hardware = 5;
    SendRecord(r);
    const auto log = LogLines();
    r.mode = 0;
    SendRecord(r);
    EXPECT_EQ(LogLines(), log);
    EXPECT_FALSE(form->Timer2->isActive());
}

TEST_F(Identification, AfterAnOperationModeRecordTheNextRecordIsStillHandled) {
    Record r;
    r.mode = 0;
    SendRecord(r);
    r.mode = 1;
    SendRecord(r);
    const auto log = LogLines();
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(log[5], "Orvel v4.1.2.43");
    EXPECT_TRUE(form->InfoHandled);
}

TEST_F(Identification, RecordShorterThan45BytesIsIgnoredAndTheNextFullOneIsHandled) {
    for (size_t n : {size_t{0}, size_t{1}, size_t{44}}) {
        Record r;
        r.mode = 0;  // even an operation-mode flag does not count in a short record
        const Bytes full = InfoPayload(r);
        fake.port.Feed(UnitFrame(kCmdInfo, Bytes(full.begin(), full.begin() + static_cast<long>(n))));
        EXPECT_TRUE(LogLines().empty()) << n << " bytes";
        EXPECT_FALSE(form->Timer2->isActive()) << n << " bytes";
        EXPECT_FALSE(form->InfoHandled) << n << " bytes";
        EXPECT_EQ(form->DeviceInfo.HardwareType, 0) << n << " bytes";
    }
    Record r;
    r.hardware = 5;
    SendRecord(r);
    EXPECT_EQ(LogLines().front(), "Orvel v5.1.2.43");
    EXPECT_TRUE(form->InfoHandled);
}

TEST_F(Identification, OperationModeNoticeGivesTheInstructionsWhateverTheGuardSays) {
    form->InfoHandled = true;
    fake.port.Feed(UnitFrame(kCmdOperationMode, {0x01, 0x02}));
    EXPECT_EQ(LogLines(), kOperationModeLines);
    EXPECT_TRUE(form->Timer2->isActive());
    EXPECT_TRUE(form->InfoHandled);
}

TEST_F(Identification, OperationModeNoticeDuringAFirmwareUploadEndsItWithTheLostConnectionBox) {
    Record r;
    r.minor = 42;
    SendRecord(r);
    ASSERT_TRUE(form->Timer1->isActive());
    fake.port.Feed(UnitFrame(kCmdOperationMode, {}));
    const auto log = LogLines();
    EXPECT_EQ(std::vector<std::string>(log.end() - 5, log.end()), kOperationModeLines);
    ASSERT_TRUE(form->Timer2->isActive());
    fake.port.Close();  // what the delayed close does
    form->Timer1Timer();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].text, "Não há conexão ativa!");
    EXPECT_EQ(fake.boxes.shown[0].caption, "ERRO #0x01");
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(Identification, AfterACompletedFirmwareUploadTheNextRecordIsHandledAgain) {
    Record r;
    r.minor = 42;
    SendRecord(r);
    // The unit acknowledges the final block (1,873 = 0x0751): the job completes.
    fake.port.Feed(UnitFrame(kCmdAck, {0x07, 0x51}));
    EXPECT_FALSE(form->InfoHandled);
    r.minor = 43;
    SendRecord(r);
    const auto log = LogLines();
    const std::vector<std::string> expected = {
        "Orvel v4.1.2.42", "Id: 00000003 00000002 00000001", "Iniciando atualização...",
        "Atualização concluída com sucesso!", "", "Orvel v4.1.2.43", "Id: 00000003 00000002 00000001",
        "O Orvel está atualizado!"};
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_TRUE(form->InfoHandled);
}

}  // namespace
}  // namespace orvel::testing
