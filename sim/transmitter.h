#pragma once
// The fault stage between the unit and the port: drops, corrupts, glues, splits and delays
// the unit's replies as the options ask, and queues the writes with the times they are due.
// Announcements pass untouched (only --silent stops them), so a tool can always find the unit.
#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "sim/options.h"
#include "sim/unit.h"

namespace orvel::sim {

constexpr int64_t kSplitGapMs = 40;  // long enough for the tool to see two receive events

struct FaultCounters {
    uint32_t silenced = 0;
    uint32_t dropped = 0;
    uint32_t corrupted = 0;
    uint32_t merged = 0;
    uint32_t split = 0;
    uint32_t delayed = 0;
};

class Transmitter {
public:
    using TraceFn = std::function<void(const std::string&)>;

    Transmitter(const SimOptions& options, uint64_t seed, TraceFn trace);

    void Send(Outgoing out, int64_t nowMs);
    // The writes due at `nowMs`, in order; each is one write to the port.
    std::vector<std::vector<uint8_t>> TakeDue(int64_t nowMs);
    int64_t NextDueMs() const { return queue_.empty() ? kNever : queue_.front().dueMs; }
    // When the last queued write goes out; `nowMs` when nothing is queued.
    int64_t LastDueMs(int64_t nowMs) const { return queue_.empty() ? nowMs : queue_.back().dueMs; }
    void DropPending() { queue_.clear(); }
    // How long a reply can be held back before its last byte is written.
    int64_t ReplyDelayMs() const { return options_.latencyMs + (options_.split ? kSplitGapMs : 0); }
    const FaultCounters& Counters() const { return counters_; }

private:
    struct Write {
        int64_t dueMs;
        std::vector<uint8_t> bytes;
    };
    void Enqueue(int64_t dueMs, std::vector<uint8_t> bytes);
    bool Chance(double p);

    const SimOptions& options_;
    TraceFn trace_;
    std::mt19937_64 rng_;
    std::deque<Write> queue_;
    FaultCounters counters_;
};

}  // namespace orvel::sim
