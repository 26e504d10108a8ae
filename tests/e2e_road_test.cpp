// The tool's roads end to end: a real window on the real serial port adapter, an orvel-sim
// on the other side of a pseudo-terminal, and the real timers. Each case runs the window's
// event loop until the road's end (a log line, a message box, the simulator's exit).
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "config/config_image.h"
#include "link/firmware/firmware_image.h"
#include "sim_harness.h"

namespace orvel::testing {
namespace {

using namespace std::chrono_literals;

// Bounds, generous for a loaded machine; none of them is a performance figure.
constexpr auto kFirmwareRoadBound = 240s;
constexpr auto kConfigRoadBound = 30s;
constexpr auto kCloseBound = 10s;
// The delayed close is a 50 ms one-shot; a coarse timer may fire a little early.
constexpr auto kDelayedCloseAtLeast = 40ms;

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

const char* const kIdLine = "Id: 4F52564C 53494D00 00000001";  // the simulator's default identifier
const char* const kDone = "Atualização concluída com sucesso!";
const char* const kReadDone = "Leitura da configuração interna concluída!";
const std::vector<std::string> kOperationModeLines = {
    "O Orvel foi detectado em modo de operação!",
    "1-Desconectar todos os chicotes",
    "2-Conectar apenas o cabo USB",
    "3-Aguardar o Windows criar a porta (5 segundos)",
    "4-Rodar o OrvelTool e abrir a porta COM criada",
};

std::vector<std::string> Texts(const std::vector<SimBench::LogEntry>& history) {
    std::vector<std::string> out;
    for (const auto& e : history) out.push_back(e.text);
    return out;
}

// Reads the unit's configuration again through the tool; the image it got, once the
// read-back has ended.
std::optional<Image> ReadAgain(SimBench& bench) {
    const size_t before = bench.LogCount(kReadDone) + bench.LogCount("Configuração inválida!");
    bench.form->B_GetConfigClick();
    if (!bench.RunUntil([&] { return bench.LogCount(kReadDone) + bench.LogCount("Configuração inválida!") > before ||
                                     !bench.boxes.shown.empty(); },
                        kConfigRoadBound))
        return std::nullopt;
    if (!bench.boxes.shown.empty()) return std::nullopt;
    return bench.form->WorkArea.ReadImage;
}

TEST(EndToEndRoad, AUnitAt242GetsTheFirmwareRestartsAs243AndHasItsBlankConfigurationRepaired) {
    SimBench bench;
    const std::string saved = bench.Dir().File("saved-firmware.bin");
    ASSERT_TRUE(bench.StartSim({"--hw", "4", "--fw", "2.42", "--config", "blank", "--save-firmware", saved,
                                "--exit-after-config"}))
        << bench.SimWhy();
    ASSERT_TRUE(bench.Connect());

    const bool ended = bench.RunUntil(
        [&] { return (bench.LogCount(kDone) >= 2 && !bench.sim->Running()) || !bench.boxes.shown.empty(); },
        kFirmwareRoadBound);
    ASSERT_TRUE(ended) << "log so far:\n" << bench.LogText() << "simulator:\n" << bench.sim->Stdout();
    EXPECT_TRUE(bench.boxes.shown.empty()) << bench.boxes.shown.front().caption << ": " << bench.boxes.shown.front().text;

    const std::vector<std::string> expected = {
        "Conexão aberta...",
        "Orvel v4.1.2.42",
        kIdLine,
        "Iniciando atualização...",
        "Atualizando firmware...",
        kDone,
        "",
        "Orvel v4.1.2.43",
        kIdLine,
        "O Orvel está atualizado!",
        "Buscando configuração interna...",
        "Configuração inválida!",
        "Preparando configuração padrão...",
        "Iniciando atualização...",
        "Atualizando configuração...",
        kDone,
    };
    const auto& history = bench.History();
    ASSERT_EQ(Texts(history), expected);
    const size_t firstRed = 11;  // "Configuração inválida!" turns the log red for good
    for (size_t i = 0; i < history.size(); ++i)
        EXPECT_EQ(history[i].color, i < firstRed ? kBlack : kRed) << "line " << i << ": " << history[i].text;

    const auto upload = std::chrono::duration<double>(history[5].time - history[3].time).count();
    std::printf("[ firmware ] 1,873-block firmware upload: %.2f s (Iniciando atualização... to %s)\n", upload, kDone);
    ::testing::Test::RecordProperty("firmware_upload_ms", static_cast<int>(upload * 1000));

    // The unit holds exactly the firmware the tool carries, and the default configuration.
    const std::string firmware = ReadText(saved);
    ASSERT_EQ(firmware.size(), kFirmwareImageBytes);
    EXPECT_EQ(firmware, ReadText(ORVEL_SOURCE_DIR "/link/firmware/orvel-2.43.bin")) << "saved firmware differs";
    EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), FirmwareImage,
                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }))
        << "saved firmware differs from the embedded image";

    EXPECT_EQ(bench.sim->WaitExit(0s), 0) << bench.sim->Stderr();
    const std::string summary = bench.sim->Stdout();
    const Image defaults = ImageOf(kDefaultPresetFields);
    EXPECT_NE(summary.find("unit: hardware 4, firmware 2.43 (started as 2.42)"), std::string::npos) << summary;
    const std::string firmwareUpload = UploadLine(summary, "firmware");
    EXPECT_NE(firmwareUpload.find("1873 blocks: 1873 received"), std::string::npos) << summary;
    EXPECT_NE(firmwareUpload.find(VerifiedUploadText({FirmwareImage, kFirmwareImageBytes})), std::string::npos) << summary;
    const std::string configUpload = UploadLine(summary, "configuration");
    EXPECT_NE(configUpload.find("44 blocks: 44 received"), std::string::npos) << summary;
    EXPECT_NE(configUpload.find(VerifiedUploadText(defaults)), std::string::npos) << summary;
    EXPECT_NE(summary.find(StoredConfigText(defaults)), std::string::npos) << summary;
    EXPECT_EQ(bench.form->WriteImage, defaults);
    EXPECT_TRUE(bench.form->B_SetConfig->isEnabled());
}

TEST(EndToEndRoad, AnEditedSpeedLimitIsWrittenAndTheUnitHoldsIt) {
    SimBench bench;
    ASSERT_TRUE(bench.StartSim({"--config", "default"})) << bench.SimWhy();
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.RunUntil([&] { return bench.LogHas(kReadDone) || !bench.boxes.shown.empty(); }, kConfigRoadBound))
        << bench.LogText();
    EXPECT_EQ(Texts(bench.History()),
              (std::vector<std::string>{"Conexão aberta...", "Orvel v4.1.2.43", kIdLine, "O Orvel está atualizado!",
                                        "Buscando configuração interna...", kReadDone}));
    EXPECT_TRUE(bench.form->B_SetConfig->isEnabled());
    EXPECT_EQ(bench.form->ED_VMX->text(), "120");

    bench.form->ED_VMX->setText("100");
    bench.form->B_SetConfigClick();
    ASSERT_TRUE(bench.RunUntil([&] { return bench.LogHas(kDone) || !bench.boxes.shown.empty(); }, kConfigRoadBound))
        << bench.LogText();
    ASSERT_TRUE(bench.boxes.shown.empty()) << bench.boxes.shown.front().caption << ": " << bench.boxes.shown.front().text;
    EXPECT_TRUE(bench.LogInOrder({kReadDone, "Iniciando atualização...", "Atualizando configuração...", kDone}));
    EXPECT_TRUE(bench.form->B_SetConfig->isEnabled());
    EXPECT_TRUE(bench.port.IsOpen()) << "the port stays open without \"Fechar após configurar\"";

    ConfigFields edited = kDefaultPresetFields;
    edited.VMX = 100;
    const Image expected = ImageOf(edited);
    EXPECT_EQ(bench.form->WriteImage, expected);
    const auto readBack = ReadAgain(bench);
    ASSERT_TRUE(readBack.has_value()) << bench.LogText();
    EXPECT_EQ(*readBack, expected);
    EXPECT_EQ(bench.form->ED_VMX->text(), "100");

    const std::string summary = bench.StopSim();
    EXPECT_NE(summary.find(StoredConfigText(expected)), std::string::npos) << summary;
}

TEST(EndToEndRoad, RotavalModeReplacesTheDefaultConfigurationWithTheRotavalPreset) {
    SimBench bench;
    bench.form->Cb_Rotaval->setChecked(true);
    ASSERT_TRUE(bench.StartSim({"--config", "default"})) << bench.SimWhy();
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.RunUntil([&] { return bench.LogHas(kDone) || !bench.boxes.shown.empty(); }, kConfigRoadBound))
        << bench.LogText();
    ASSERT_TRUE(bench.boxes.shown.empty()) << bench.boxes.shown.front().caption << ": " << bench.boxes.shown.front().text;
    std::string missing;
    EXPECT_TRUE(bench.LogInOrder({"Buscando configuração interna...", "Configuração inválida!",
                                  "Preparando configuração Rotaval...", "Iniciando atualização...",
                                  "Atualizando configuração...", kDone},
                                 &missing))
        << missing << "\n" << bench.LogText();

    const Image rotaval = ImageOf(kRotavalPresetFields);
    EXPECT_EQ(bench.form->WriteImage, rotaval);
    EXPECT_TRUE(bench.form->B_SetConfig->isEnabled());
    const auto readBack = ReadAgain(bench);
    ASSERT_TRUE(readBack.has_value()) << bench.LogText();
    EXPECT_EQ(*readBack, rotaval);
    EXPECT_TRUE(bench.LogHas(kReadDone)) << "the Rotaval image conforms in Rotaval mode";

    const std::string summary = bench.StopSim();
    EXPECT_NE(summary.find(StoredConfigText(rotaval)), std::string::npos) << summary;
}

TEST(EndToEndRoad, AUnitInOperationModeGetsTheInstructionsAndThePortClosesShortlyAfterEachOpening) {
    SimBench bench;
    ASSERT_TRUE(bench.StartSim({"--operation-mode"})) << bench.SimWhy();
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.RunUntil([&] { return bench.LogHas("Conexão fechada..."); }, kCloseBound)) << bench.LogText();
    bench.RunFor(600ms);  // a further announcement would be another record; none may be handled

    std::vector<std::string> expected = {"Conexão aberta..."};
    expected.insert(expected.end(), kOperationModeLines.begin(), kOperationModeLines.end());
    expected.push_back("Conexão fechada...");
    const auto& history = bench.History();
    ASSERT_EQ(Texts(history), expected);
    EXPECT_GE(history[6].time - history[5].time, kDelayedCloseAtLeast) << "closed through the delayed close";
    EXPECT_FALSE(bench.port.IsOpen());
    EXPECT_FALSE(bench.form->ButtonVCP->Down());
    EXPECT_FALSE(bench.form->ComboBox1->isEnabled()) << "only the same port may be reopened";
    EXPECT_TRUE(bench.boxes.shown.empty());
    EXPECT_EQ(bench.form->DeviceInfo.HardwareType, 4);


    // The same port opens again with a click, and the unit is told off the same way.
    bench.form->ButtonVCPClick();
    EXPECT_TRUE(bench.port.IsOpen());
    ASSERT_TRUE(bench.RunUntil([&] { return bench.LogCount("Conexão fechada...") == 2; }, kCloseBound)) << bench.LogText();
    std::vector<std::string> twice = expected;
    twice.insert(twice.end(), expected.begin(), expected.end());
    EXPECT_EQ(Texts(history), twice);
    EXPECT_FALSE(bench.port.IsOpen());

    const std::string summary = bench.StopSim();
    EXPECT_NE(summary.find("uploads:\n  none"), std::string::npos) << summary;
    EXPECT_NE(summary.find("port opened 2 times"), std::string::npos) << summary;
}

TEST(EndToEndRoad, TheOperationModeNoticeInMidUploadClosesThePortAndTheUploadEndsWithNoConnection) {
    SimBench bench;
    ASSERT_TRUE(bench.StartSim({"--fw", "2.42", "--notice-after-block", "20"})) << bench.SimWhy();
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.RunUntil([&] { return !bench.boxes.shown.empty(); }, kCloseBound)) << bench.LogText();
    bench.RunFor(1200ms);  // longer than two upload ticks: nothing more may come

    std::vector<std::string> expected = {"Conexão aberta...", "Orvel v4.1.2.42", kIdLine, "Iniciando atualização...",
                                         "Atualizando firmware..."};
    expected.insert(expected.end(), kOperationModeLines.begin(), kOperationModeLines.end());
    expected.push_back("Conexão fechada...");
    EXPECT_EQ(Texts(bench.History()), expected);
    ASSERT_EQ(bench.boxes.shown.size(), 1u);
    EXPECT_EQ(bench.boxes.shown[0].text, "Não há conexão ativa!");
    EXPECT_EQ(bench.boxes.shown[0].caption, "ERRO #0x01");
    EXPECT_EQ(bench.boxLogSize[0], expected.size()) << "the box comes after the port has closed";
    EXPECT_FALSE(bench.port.IsOpen());
    EXPECT_FALSE(bench.form->Timer1->isActive());
    EXPECT_EQ(bench.form->ProgressBar1->value(), 0);

    const std::string summary = bench.StopSim();
    EXPECT_NE(summary.find("unit: hardware 4, firmware 2.42,"), std::string::npos) << summary;
    EXPECT_NE(summary.find("firmware: no verified firmware received"), std::string::npos) << summary;
    EXPECT_NE(summary.find("1 notices"), std::string::npos) << summary;
}

TEST(EndToEndRoad, WithAutoCloseTheConfigurationWriteEndsWithThePortClosedAndThePortListEnabled) {
    SimBench bench;
    bench.form->Cb_COMAutoClose->setChecked(true);
    ASSERT_TRUE(bench.StartSim({"--hw", "4", "--fw", "2.43", "--config", "blank"})) << bench.SimWhy();
    ASSERT_TRUE(bench.Connect());
    ASSERT_TRUE(bench.RunUntil([&] { return bench.LogHas("Conexão fechada...") || !bench.boxes.shown.empty(); },
                               kConfigRoadBound))
        << bench.LogText();
    EXPECT_TRUE(bench.boxes.shown.empty());
    std::string missing;
    EXPECT_TRUE(bench.LogInOrder({"O Orvel está atualizado!", "Configuração inválida!", "Preparando configuração padrão...",
                                  "Atualizando configuração...", kDone, "Conexão fechada..."},
                                 &missing))
        << missing << "\n" << bench.LogText();
    EXPECT_EQ(bench.History().back().text, "Conexão fechada...");
    EXPECT_FALSE(bench.port.IsOpen());
    EXPECT_TRUE(bench.form->ComboBox1->isEnabled());
    EXPECT_FALSE(bench.form->ButtonVCP->Down());
    EXPECT_FALSE(bench.form->B_SetConfig->isEnabled());

    const std::string summary = bench.StopSim();
    EXPECT_NE(summary.find(StoredConfigText(ImageOf(kDefaultPresetFields))), std::string::npos) << summary;
}

}  // namespace
}  // namespace orvel::testing
