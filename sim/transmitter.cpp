#include "sim/transmitter.h"

#include <algorithm>

namespace orvel::sim {

Transmitter::Transmitter(const SimOptions& options, uint64_t seed, TraceFn trace)
    : options_(options), trace_(std::move(trace)), rng_(seed) {}

bool Transmitter::Chance(double p) {
    // No draw for a fault that is off, so that a seed repeats a run whatever else is set.
    if (p <= 0) return false;
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p;
}

void Transmitter::Enqueue(int64_t dueMs, std::vector<uint8_t> bytes) {
    // Writes keep their order even when a later one is due earlier (an announcement
    // behind a delayed reply).
    if (!queue_.empty()) dueMs = std::max(dueMs, queue_.back().dueMs);
    queue_.push_back({dueMs, std::move(bytes)});
}

void Transmitter::Send(Outgoing out, int64_t nowMs) {
    std::string line = "unit>tool " + out.text + " (" + std::to_string(out.frame.size()) + "-byte frame)";
    auto trace = [&](const std::string& tail) {
        if (trace_) trace_(line + tail);
    };
    if (options_.silent) {
        ++counters_.silenced;
        trace(" [not sent: --silent]");
        return;
    }
    if (!out.reply) {
        trace("");
        Enqueue(nowMs, std::move(out.frame));
        return;
    }
    if (Chance(options_.dropProbability)) {
        ++counters_.dropped;
        trace(" [dropped]");
        return;
    }
    std::string faults;
    if (Chance(options_.corruptProbability)) {
        const size_t at = std::uniform_int_distribution<size_t>(0, out.frame.size() - 1)(rng_);
        out.frame[at] ^= 0xFF;
        ++counters_.corrupted;
        faults += " [byte " + std::to_string(at) + " flipped]";
    }
    if (options_.merge) {
        const std::vector<uint8_t> copy = out.frame;
        out.frame.insert(out.frame.end(), copy.begin(), copy.end());
        ++counters_.merged;
        faults += " [written twice in one write]";
    }
    int64_t due = nowMs + out.afterMs;
    if (options_.latencyMs > 0) {
        due += options_.latencyMs;
        ++counters_.delayed;
        faults += " [delayed " + std::to_string(options_.latencyMs) + " ms]";
    }
    if (options_.split && out.frame.size() >= 2) {
        const auto half = static_cast<std::ptrdiff_t>(out.frame.size() / 2);
        ++counters_.split;
        faults += " [split " + std::to_string(half) + "+" + std::to_string(out.frame.size() - half) + ", " +
                  std::to_string(kSplitGapMs) + " ms apart]";
        Enqueue(due, std::vector<uint8_t>(out.frame.begin(), out.frame.begin() + half));
        Enqueue(due + kSplitGapMs, std::vector<uint8_t>(out.frame.begin() + half, out.frame.end()));
    } else {
        Enqueue(due, std::move(out.frame));
    }
    trace(faults);
}

std::vector<std::vector<uint8_t>> Transmitter::TakeDue(int64_t nowMs) {
    std::vector<std::vector<uint8_t>> due;
    while (!queue_.empty() && queue_.front().dueMs <= nowMs) {
        due.push_back(std::move(queue_.front().bytes));
        queue_.pop_front();
    }
    return due;
}

}  // namespace orvel::sim
