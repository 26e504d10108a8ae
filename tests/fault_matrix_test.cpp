// The fault matrix: the tool's jobs through orvel-sim's faults, with the real serial port
// adapter and the real timers. Each row must end in one of two ways only: the job's image
// arrives whole with matching check values, or the job ends with its error box and the unit
// keeps the image it had. The tool must not crash and its event loop must keep running.
// A table of time taken and frames sent per row is printed at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/config_image.h"
#include "link/firmware/firmware_image.h"
#include "sim_harness.h"

namespace orvel::testing {
namespace {

using namespace std::chrono_literals;

constexpr auto kRowBound = 120s;
constexpr auto kSettle = 700ms;         // more than one upload tick: a late box would show
constexpr auto kMaxLoopGap = 1000ms;    // the window's thread never blocks this long
constexpr uint32_t kKillAtBlock = 200;  // firmware block after which the unit is killed

const char* const kDone = "Atualização concluída com sucesso!";
const char* const kReadDone = "Leitura da configuração interna concluída!";
const char* const kInvalid = "Configuração inválida!";

// What the tool does with the unit in a row.
enum class Job {
    Read,      // unit at 2.43 holding the default configuration: the read alone (5 requests)
    Write,     // unit at 2.43 with blank memory: the read, then the default preset written (44 blocks)
    Firmware,  // unit at 2.42: the 1,873-block firmware upload, the restart, the read
};

enum class Expect {
    Complete,         // the image arrives whole
    NoConnection,     // "ERRO #0x01": the port goes away under the upload
    CompleteOrGiveUp, // either, depending on how the faults fall
};

struct Row {
    const char* fault;
    Job job;
    std::vector<std::string> args;
    Expect expect;
    const char* injected;  // the summary's fault counter that must have counted, or nullptr
    bool killMidUpload = false;
};

struct Result {
    std::string fault, job, outcome;
    double seconds = 0;
    size_t frames = 0, resends = 0;
    std::string injected;
    ErrorCounters tool{};
    long maxGapMs = 0;
};

const char* JobName(Job job) {
    switch (job) {
        case Job::Read: return "read";
        case Job::Write: return "read+write";
        case Job::Firmware: return "firmware";
    }
    return "";
}

Image Blank() {
    Image img;
    img.fill(0xFF);
    return img;
}

// The summary's counts of injected faults and of operation-mode notices, by name.
std::map<std::string, int> InjectedFaults(const std::string& summary) {
    static const std::regex faults(R"(faults injected: (\d+) NACKs \(--nack-every\), (\d+) dropped, (\d+) corrupted, )"
                                   R"((\d+) merged, (\d+) split, (\d+) delayed)");
    static const std::regex notices(R"(NACKs, (\d+) notices)");
    std::map<std::string, int> out;
    std::smatch m;
    if (std::regex_search(summary, m, faults)) {
        const char* names[] = {"NACKs", "dropped", "corrupted", "merged", "split", "delayed"};
        for (size_t i = 0; i < std::size(names); ++i) out[names[i]] = std::stoi(m[i + 1].str());
    }
    if (std::regex_search(summary, m, notices)) out["notices"] = std::stoi(m[1].str());
    return out;
}

// Frames the unit received from the tool, and how many of them repeated an earlier one
// (the same upload block, or a read of the same address), from the simulator's trace.
std::pair<size_t, size_t> FramesAndResends(const std::string& trace) {
    static const std::regex block(R"(tool>unit (firmware|config) block id 0x([0-9A-F]{4}) block (\d+)/)");
    static const std::regex read(R"(tool>unit read addr 0x([0-9A-F]{8}))");
    std::set<std::string> distinct;
    size_t frames = 0;
    std::istringstream in(trace);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_search(l, m, block))
            distinct.insert(m[1].str() + m[2].str() + "/" + m[3].str());
        else if (std::regex_search(l, m, read))
            distinct.insert("read " + m[1].str());
        else
            continue;
        ++frames;
    }
    return {frames, frames - distinct.size()};
}

// The boxes that end a job that does not complete: given up, or the port gone.
std::vector<std::string> ErrorBoxesOf(Job job, bool inTheRead) {
    if (job == Job::Read || inTheRead) return {"ERRO #0x04", "ERRO #0x03"};
    return {"ERRO #0x02", "ERRO #0x01"};
}

TEST(FaultMatrix, EveryJobEitherArrivesWholeOrEndsWithItsErrorBoxAndTheUnitKeepsItsImage) {
    // Seeds are chosen so that each row's fault really happens (checked below).
    const std::vector<Row> rows = {
        {"drop 2 % of replies", Job::Write, {"--drop", "0.02", "--seed", "6"}, Expect::Complete, "dropped"},
        {"drop 5 % of replies", Job::Write, {"--drop", "0.05", "--seed", "1"}, Expect::Complete, "dropped"},
        {"drop 10 % of replies", Job::Write, {"--drop", "0.10", "--seed", "1"}, Expect::Complete, "dropped"},
        {"drop 2 % of replies", Job::Read, {"--drop", "0.02", "--seed", "13"}, Expect::Complete, "dropped"},
        {"drop 5 % of replies", Job::Read, {"--drop", "0.05", "--seed", "1"}, Expect::Complete, "dropped"},
        {"drop 10 % of replies", Job::Read, {"--drop", "0.10", "--seed", "5"}, Expect::Complete, "dropped"},
        {"drop 0.3 % of replies", Job::Firmware, {"--drop", "0.003", "--seed", "1"}, Expect::Complete, "dropped"},
        {"NACK every 7th block", Job::Write, {"--nack-every", "7"}, Expect::Complete, "NACKs"},
        // One frame per receive event: halves 40 ms apart make no frame, unless the tool was
        // too busy to take the first half alone.
        {"split replies", Job::Read, {"--split"}, Expect::CompleteOrGiveUp, "split"},
        // The first of two glued frames is taken.
        {"merged replies", Job::Write, {"--merge"}, Expect::Complete, "merged"},
        {"1 % of replies with a flipped byte", Job::Firmware, {"--corrupt", "0.01", "--seed", "1"}, Expect::Complete,
         "corrupted"},
        {"20 ms latency", Job::Write, {"--latency", "20"}, Expect::Complete, "delayed"},
        {"command 11 in mid-upload", Job::Firmware, {"--notice-after-block", "20"}, Expect::NoConnection, "notices"},
        {"unit killed in mid-upload", Job::Firmware, {}, Expect::NoConnection, nullptr, true},
    };
    const Image defaults = ImageOf(kDefaultPresetFields);
    const Image blank = Blank();

    std::vector<Result> results;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.fault) + ", " + JobName(row.job));
        Result result;
        result.fault = row.fault;
        result.job = JobName(row.job);

        SimBench bench;
        const std::string savedFirmware = bench.Dir().File("saved-firmware.bin");
        std::vector<std::string> args = {"--trace"};
        switch (row.job) {
            case Job::Read: args.insert(args.end(), {"--config", "default"}); break;
            case Job::Write: args.insert(args.end(), {"--config", "blank"}); break;
            case Job::Firmware:
                args.insert(args.end(), {"--fw", "2.42", "--config", "default", "--save-firmware", savedFirmware});
                break;
        }
        args.insert(args.end(), row.args.begin(), row.args.end());
        ASSERT_TRUE(bench.StartSim(args)) << bench.SimWhy();

        Heartbeat heartbeat;
        heartbeat.Start();
        const auto start = SteadyClock::now();
        ASSERT_TRUE(bench.Connect());
        bool killed = false;
        // ErrorCounters start from zero at each job: add up what each job of the row counted.
        ErrorCounters seen{}, counted{};
        auto noteCounters = [&] {
            const ErrorCounters& now = bench.form->ErrorCounters;
            if (now.Nacks < seen.Nacks || now.Code10 < seen.Code10 || now.Code15 < seen.Code15 ||
                now.Code20 < seen.Code20) {
                counted.Nacks += seen.Nacks;
                counted.Code10 += seen.Code10;
                counted.Code15 += seen.Code15;
                counted.Code20 += seen.Code20;
            }
            seen = now;
        };
        const bool ended = bench.RunUntil(
            [&] {
                noteCounters();
                if (row.killMidUpload && !killed &&
                    bench.form->ProgressBar1->value() >= static_cast<int>(kKillAtBlock)) {
                    bench.sim->Kill();
                    killed = true;
                }
                if (!bench.boxes.shown.empty()) return true;
                switch (row.job) {
                    case Job::Read: return bench.LogHas(kReadDone) || bench.LogHas(kInvalid);
                    case Job::Write: return bench.LogHas(kInvalid) && bench.LogHas(kDone);
                    case Job::Firmware: return bench.LogHas(kDone) && bench.LogHas(kReadDone);
                }
                return false;
            },
            kRowBound);
        result.seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
        bench.RunFor(kSettle);
        heartbeat.Stop();
        noteCounters();
        result.tool = {counted.Nacks + seen.Nacks, counted.Code10 + seen.Code10, counted.Code15 + seen.Code15,
                       counted.Code20 + seen.Code20};
        result.maxGapMs = static_cast<long>(heartbeat.MaxGap().count());
        const auto boxes = bench.boxes.shown;
        const std::string output = bench.StopSim();
        EXPECT_TRUE(ended) << "the row did not end within its bound; log:\n" << bench.LogText();
        if (row.killMidUpload) {
            EXPECT_TRUE(killed) << "the upload never reached block " << kKillAtBlock;
        }

        // The outcome: complete, or the job's own error box.
        const bool complete = boxes.empty();
        const bool inTheRead = row.job == Job::Write && !bench.LogHas(kInvalid);
        if (!complete) {
            result.outcome = boxes.front().caption;
            EXPECT_EQ(boxes.size(), 1u) << "one job, one box; the second: " << boxes.back().caption;
            const auto allowed = ErrorBoxesOf(row.job, inTheRead);
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), boxes.front().caption), allowed.end())
                << boxes.front().caption << ": " << boxes.front().text;
        } else {
            result.outcome = "complete";
        }
        switch (row.expect) {
            case Expect::Complete: EXPECT_TRUE(complete) << result.outcome << "\n" << bench.LogText(); break;
            case Expect::NoConnection:
                EXPECT_EQ(result.outcome, "ERRO #0x01") << bench.LogText();
                if (!boxes.empty()) {
                    EXPECT_EQ(boxes.front().text, "Não há conexão ativa!");
                }
                break;
            case Expect::CompleteOrGiveUp: break;
        }

        // What the unit holds afterwards.
        const bool summarised = output.find("=== orvel-sim summary ===") != std::string::npos;
        EXPECT_TRUE(summarised || killed) << "no summary:\n" << output.substr(output.size() > 2000 ? output.size() - 2000 : 0);
        switch (row.job) {
            case Job::Read:
                if (complete) {
                    EXPECT_EQ(bench.form->WorkArea.ReadImage, defaults);
                }
                if (summarised) {
                    EXPECT_NE(output.find(StoredConfigText(defaults)), std::string::npos);
                }
                break;
            case Job::Write:
                if (summarised) {
                    EXPECT_NE(output.find(StoredConfigText(complete ? defaults : blank)), std::string::npos)
                        << output;
                    if (complete) {
                        EXPECT_NE(output.find(VerifiedUploadText(defaults)), std::string::npos) << output;
                    }
                }
                break;
            case Job::Firmware: {
                const std::string saved = ReadText(savedFirmware);
                if (complete) {
                    EXPECT_EQ(saved.size(), kFirmwareImageBytes);
                    EXPECT_TRUE(saved.size() == kFirmwareImageBytes &&
                                std::equal(saved.begin(), saved.end(), FirmwareImage,
                                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }))
                        << "saved firmware differs from the tool's image";
                    if (summarised) {
                        EXPECT_NE(output.find("firmware 2.43 (started as 2.42)"), std::string::npos);
                    }
                } else {
                    EXPECT_TRUE(saved.empty()) << "an unfinished upload left a firmware behind";
                    if (summarised) {
                        EXPECT_NE(output.find("firmware: no verified firmware received"), std::string::npos);
                        EXPECT_NE(output.find("firmware 2.42,"), std::string::npos);
                    }
                }
                break;
            }
        }

        // The fault really happened, and the window's thread kept going throughout.
        const auto injected = InjectedFaults(output);
        if (row.injected && summarised) {
            EXPECT_GT(injected.count(row.injected) ? injected.at(row.injected) : 0, 0)
                << "the seed injected no fault of this kind: the row tests nothing";
        }
        for (const auto& [name, count] : injected)
            if (count > 0) result.injected += (result.injected.empty() ? "" : ", ") + std::to_string(count) + " " + name;
        if (killed) result.injected = "SIGKILL at block " + std::to_string(kKillAtBlock);
        EXPECT_GT(heartbeat.Ticks(), 0);
        EXPECT_LT(heartbeat.MaxGap(), kMaxLoopGap) << "the event loop stalled";

        std::tie(result.frames, result.resends) = FramesAndResends(output);
        results.push_back(result);
    }

    std::printf("\n| fault | job | outcome | time (s) | frames to unit | resends | faults injected | tool Nacks/Code10/Code15/Code20 | max loop gap (ms) |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const Result& r : results)
        std::printf("| %s | %s | %s | %.2f | %zu | %zu | %s | %d/%d/%d/%d | %ld |\n", r.fault.c_str(), r.job.c_str(),
                    r.outcome.c_str(), r.seconds, r.frames, r.resends, r.injected.empty() ? "-" : r.injected.c_str(),
                    r.tool.Nacks, r.tool.Code10, r.tool.Code15, r.tool.Code20, r.maxGapMs);
    std::fflush(stdout);
}

}  // namespace
}  // namespace orvel::testing
