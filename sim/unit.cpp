#include "sim/unit.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "link/frame.h"
#include "sim/text.h"
#include "sim/unit_frame.h"

namespace orvel::sim {

namespace {

constexpr size_t kUploadHeaderBytes = 6;  // transfer id, block number, block count
constexpr size_t kFinalBlockPayloadBytes = kUploadHeaderBytes + 5;
constexpr size_t kReadRequestBytes = 6;
constexpr size_t kReadReplyHeaderBytes = 6;
constexpr size_t kMaxReadReplyBytes = kMaxPayloadBytes - kReadReplyHeaderBytes;
constexpr size_t kMissingBlocksListed = 5;

uint16_t Get16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>((b[at] << 8) | b[at + 1]); }
uint32_t Get32(std::span<const uint8_t> b, size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}
void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v);
}

const char* JobName(uint8_t job) { return job == kCmdFirmwareBlock ? "firmware" : "configuration"; }

std::string CheckText(const ImageCheckValues& v) { return Format("XOR8 %02X SUM32 %08X", v.XOR8, v.SUM32); }

// One line about a frame from the tool, for the trace.
std::string DescribeToolFrame(uint8_t command, std::span<const uint8_t> p) {
    std::string s;
    switch (command) {
        case kCmdFirmwareBlock:
        case kCmdConfigBlock:
            s = command == kCmdFirmwareBlock ? "firmware block" : "config block";
            if (p.size() < kUploadHeaderBytes) return s + Format(", %zu-byte payload (too short)", p.size());
            s += Format(" id 0x%04X block %u/%u", Get16(p, 0), Get16(p, 2), Get16(p, 4));
            if (Get16(p, 2) == Get16(p, 4) && p.size() == kFinalBlockPayloadBytes)
                s += " (final) " + CheckText({p[6], Get32(p, 7)});
            else
                s += Format(", %zu data bytes", p.size() - kUploadHeaderBytes);
            return s;
        case kCmdRead:
            if (p.size() != kReadRequestBytes) return Format("read, %zu-byte payload (expected 6)", p.size());
            return Format("read addr 0x%08X count %u", Get32(p, 0), Get16(p, 4));
        case kCmdJump:
            return "jump";
        default:
            return Format("command %u, %zu-byte payload", command, p.size());
    }
}

}  // namespace

std::array<uint8_t, kInfoPayloadBytes> InfoPayload(bool operationMode, const std::array<uint32_t, 3>& unitId,
                                                   uint8_t hardwareType, uint8_t versionByte2, uint8_t major,
                                                   uint8_t minor, uint32_t configBase) {
    std::vector<uint8_t> p;
    p.push_back(operationMode ? 0 : 1);
    Put32(p, unitId[2]);
    Put32(p, unitId[1]);
    Put32(p, unitId[0]);
    for (std::string_view text : {"ORVEL-SIM", "VIRTUAL"}) {
        std::array<uint8_t, 12> field{};
        std::copy(text.begin(), text.end(), field.begin());
        p.insert(p.end(), field.begin(), field.end());
    }
    p.insert(p.end(), {hardwareType, versionByte2, major, minor});
    Put32(p, configBase);
    std::array<uint8_t, kInfoPayloadBytes> out{};
    std::copy(p.begin(), p.end(), out.begin());
    return out;
}

SimUnit::SimUnit(const SimOptions& options, int64_t replyDelayMs, TraceFn trace)
    : options_(options),
      replyDelayMs_(replyDelayMs),
      trace_(std::move(trace)),
      major_(options.firmwareMajor),
      minor_(options.firmwareMinor),
      memory_(options.initialConfig) {}

void SimUnit::Trace(const std::string& line) const {
    if (trace_) trace_(line);
}

Outgoing SimUnit::Announcement() {
    ++counters_.announcements;
    const auto p = InfoPayload(options_.operationMode, options_.unitId, options_.hardwareType, options_.versionByte2,
                               major_, minor_, options_.configBase);
    return {BuildUnitFrame(kCmdInfo, p), false,
            Format("info mode %u, version %u.%u.%u.%u, id %08X %08X %08X, config at 0x%08X", p[0],
                   options_.hardwareType, options_.versionByte2, major_, minor_, options_.unitId[0],
                   options_.unitId[1], options_.unitId[2], options_.configBase)};
}

Outgoing SimUnit::Notice() {
    noticeSent_ = true;
    applicationRunning_ = true;
    ++counters_.notices;
    return {BuildUnitFrame(kCmdOperationMode, {}), true,
            "operation-mode notice (--notice-after-block); the unit now runs its application", kNoticeGapMs};
}

Outgoing SimUnit::Ack(uint16_t block, const std::string& why) {
    ++counters_.acksSent;
    std::vector<uint8_t> p;
    Put16(p, block);
    return {BuildUnitFrame(kCmdAck, p), true, Format("ack block %u", block) + (why.empty() ? "" : " (" + why + ")")};
}

Outgoing SimUnit::Nack(uint16_t block, const std::string& why) {
    ++counters_.nacksSent;
    return {BuildUnitFrame(kCmdNack, {}), true, Format("nack block %u: ", block) + why};
}

std::vector<Outgoing> SimUnit::OnFrame(uint8_t command, std::span<const uint8_t> payload, int64_t nowMs) {
    const std::string what = DescribeToolFrame(command, payload) + Format(" (%zu-byte frame)", payload.size() + kFrameOverheadBytes);
    if (restarting_) {
        Trace("tool>unit " + what + " -- ignored, the unit is restarting");
        return {};
    }
    if (applicationRunning_) {
        Trace("tool>unit " + what + " -- ignored, the unit runs its application");
        return {};
    }
    Trace("tool>unit " + what);

    bool keepAnnouncing = false;
    std::vector<Outgoing> out;
    switch (command) {
        case kCmdFirmwareBlock:
        case kCmdConfigBlock:
            out = OnUploadBlock(command, payload, nowMs, keepAnnouncing);
            break;
        case kCmdRead:
            out = OnRead(payload);
            break;
        case kCmdJump:
            ++counters_.jumps;
            Trace("           jump accepted; nothing to answer");
            break;
        default:
            ++counters_.otherFrames;
            Trace("           not a command the unit takes; ignored");
            break;
    }
    if (announcing_ && !keepAnnouncing && !restarting_) {
        announcing_ = false;
        Trace("           first frame from the tool: announcements stop");
    }
    return out;
}

std::vector<Outgoing> SimUnit::OnUploadBlock(uint8_t job, std::span<const uint8_t> p, int64_t nowMs, bool& keepAnnouncing) {
    ++counters_.blockFrames;
    if (p.size() < kUploadHeaderBytes)
        return {Nack(0, Format("a %zu-byte payload is too short for an upload block", p.size()))};
    const uint16_t id = Get16(p, 0), block = Get16(p, 2), count = Get16(p, 4);
    if (options_.nackEvery != 0 && counters_.blockFrames % options_.nackEvery == 0) {
        ++counters_.injectedNacks;
        return {Nack(block, Format("injected (--nack-every %u)", options_.nackEvery))};
    }
    if (count == 0 || block == 0 || block > count)
        return {Nack(block, Format("block %u of %u is out of range", block, count))};

    const bool sameTransfer = assembling_ && uploads_[assembly_.record].job == job &&
                              uploads_[assembly_.record].transferId == id && uploads_[assembly_.record].blockCount == count;
    if (!sameTransfer) {
        if (block != 1)
            return {Nack(block, Format("transfer id 0x%04X (%u blocks) was never started; a transfer starts with block 1",
                                       id, count))};
        if (assembling_ && uploads_[assembly_.record].outcome == UploadOutcome::InProgress)
            Trace(Format("           %s upload id 0x%04X abandoned", JobName(uploads_[assembly_.record].job),
                         uploads_[assembly_.record].transferId));
        UploadRecord rec;
        rec.job = job;
        rec.transferId = id;
        rec.blockCount = count;
        uploads_.push_back(rec);
        assembly_.record = uploads_.size() - 1;
        assembly_.data.assign(size_t{count - 1u} * kUploadBlockBytes, 0);
        assembly_.blockBytes.assign(count - 1u, 0);
        assembling_ = true;
        Trace(Format("           new %s upload: transfer id 0x%04X, %u blocks", JobName(job), id, count));
    }
    if (block == count) return OnFinalBlock(p, nowMs, keepAnnouncing);

    UploadRecord& rec = uploads_[assembly_.record];
    const size_t bytes = p.size() - kUploadHeaderBytes;
    const bool lastData = block == count - 1;
    if (bytes == 0 || bytes > kUploadBlockBytes || (!lastData && bytes != kUploadBlockBytes))
        return {Nack(block, Format("block %u carries %zu data bytes, expected %s", block, bytes,
                                   lastData ? "1 to 48" : "48"))};

    const auto data = p.subspan(kUploadHeaderBytes);
    const auto at = assembly_.data.begin() + static_cast<std::ptrdiff_t>((block - 1u) * kUploadBlockBytes);
    std::string note;
    uint8_t& have = assembly_.blockBytes[block - 1u];
    if (have != 0) {
        ++rec.resends;
        ++counters_.resends;
        note = "resend";
        if (have != bytes || !std::equal(data.begin(), data.end(), at)) note = "resend with different data";
    } else {
        ++rec.distinctBlocks;
    }
    if (rec.outcome != UploadOutcome::InProgress && note != "resend") rec.outcome = UploadOutcome::InProgress;
    std::copy(data.begin(), data.end(), at);
    have = static_cast<uint8_t>(bytes);

    std::vector<Outgoing> out{Ack(block, note)};
    if (options_.noticeAfterBlock == block && !noticeSent_) out.push_back(Notice());
    return out;
}

std::vector<Outgoing> SimUnit::OnFinalBlock(std::span<const uint8_t> p, int64_t nowMs, bool& keepAnnouncing) {
    UploadRecord& rec = uploads_[assembly_.record];
    const uint16_t block = rec.blockCount;
    if (p.size() != kFinalBlockPayloadBytes)
        return {Nack(block, Format("the final block has a %zu-byte payload, expected 11", p.size()))};

    std::vector<uint32_t> missing;
    for (size_t i = 0; i < assembly_.blockBytes.size(); ++i)
        if (assembly_.blockBytes[i] == 0) missing.push_back(static_cast<uint32_t>(i + 1));
    if (!missing.empty()) {
        std::string list;
        for (size_t i = 0; i < std::min(missing.size(), kMissingBlocksListed); ++i)
            list += (i ? ", " : "") + std::to_string(missing[i]);
        if (missing.size() > kMissingBlocksListed) list += ", ...";
        return {Nack(block, Format("%zu data block(s) missing: ", missing.size()) + list)};
    }

    const bool again = rec.checked;
    if (again) {
        ++rec.resends;
        ++counters_.resends;
    } else {
        ++rec.distinctBlocks;
    }
    const size_t length =
        rec.blockCount >= 2 ? size_t{rec.blockCount - 2u} * kUploadBlockBytes + assembly_.blockBytes.back() : 0;
    const std::span<const uint8_t> image(assembly_.data.data(), length);
    const UploadOutcome before = rec.outcome;
    rec.checked = true;
    rec.sent = {p[6], Get32(p, 7)};
    rec.computed = ComputeCheckValues(image);
    rec.dataLength = length;

    if (rec.sent.XOR8 != rec.computed.XOR8 || rec.sent.SUM32 != rec.computed.SUM32) {
        rec.outcome = UploadOutcome::Mismatch;
        return {Nack(block, "check values differ: sent " + CheckText(rec.sent) + ", received data gives " +
                                CheckText(rec.computed) + "; previous image kept")};
    }
    if (rec.job == kCmdConfigBlock && length != kConfigImageSize) {
        rec.outcome = UploadOutcome::Refused;
        rec.note = Format("a configuration image is %zu bytes, this one %zu", kConfigImageSize, length);
        return {Nack(block, rec.note + "; previous image kept")};
    }

    rec.outcome = UploadOutcome::Verified;
    std::string why;
    if (rec.job == kCmdConfigBlock) {
        if (before == UploadOutcome::Verified && std::equal(image.begin(), image.end(), memory_.begin())) {
            why = "already stored";
        } else {
            std::copy(image.begin(), image.end(), memory_.begin());
            events_.push_back(UnitEvent::ConfigStored);
            why = Format("check values match; stored at 0x%08X", options_.configBase);
        }
    } else if (hasFirmware_ && before == UploadOutcome::Verified && std::equal(image.begin(), image.end(), firmware_.begin(), firmware_.end())) {
        // The acknowledgement of the final block was lost; the unit has restarted already
        // and keeps announcing itself for the tool's next step.
        why = "already verified";
        keepAnnouncing = true;
    } else {
        firmware_.assign(image.begin(), image.end());
        hasFirmware_ = true;
        events_.push_back(UnitEvent::FirmwareVerified);
        restarting_ = true;
        restartEndMs_ = nowMs + replyDelayMs_ + kRestartSilenceMs;
        why = Format("check values match; %zu bytes of firmware; restarting", length);
    }
    std::vector<Outgoing> out{Ack(block, why)};
    if (options_.noticeAfterBlock == block && !noticeSent_) out.push_back(Notice());
    return out;
}

std::vector<Outgoing> SimUnit::OnRead(std::span<const uint8_t> p) {
    ++counters_.readRequests;
    if (p.size() != kReadRequestBytes) {
        Trace(Format("           a read request has a 6-byte payload, this one %zu: not answered", p.size()));
        return {};
    }
    const uint32_t address = Get32(p, 0);
    const uint32_t count = Get16(p, 4);
    const uint64_t begin = options_.configBase, end = begin + kConfigImageSize;
    // Only the configuration memory is there to read: what lies outside it is answered
    // with no bytes, so that a wrong address shows in the trace and the tool is not stalled.
    size_t n = 0, offset = 0;
    std::string note;
    if (address >= begin && address < end) {
        offset = address - begin;
        n = std::min<size_t>({count, kConfigImageSize - offset, kMaxReadReplyBytes});
        if (n < count) note = Format(" (clipped: %u asked, memory ends at 0x%08llX)", count, static_cast<unsigned long long>(end));
    } else if (count != 0) {
        note = Format(" (outside the configuration memory 0x%08llX..0x%08llX)", static_cast<unsigned long long>(begin),
                      static_cast<unsigned long long>(end - 1));
    }
    std::vector<uint8_t> reply;
    Put32(reply, address);
    Put16(reply, static_cast<uint32_t>(n));
    reply.insert(reply.end(), memory_.begin() + static_cast<std::ptrdiff_t>(offset),
                 memory_.begin() + static_cast<std::ptrdiff_t>(offset + n));
    return {{BuildUnitFrame(kCmdRead, reply), true, Format("read reply addr 0x%08X n %zu", address, n) + note}};
}

std::vector<Outgoing> SimUnit::OnTick(int64_t nowMs) {
    std::vector<Outgoing> out;
    if (restarting_ && nowMs >= restartEndMs_) {
        restarting_ = false;
        major_ = kRestartedFirmwareMajor;
        minor_ = kRestartedFirmwareMinor;
        announcing_ = true;
        nextAnnounceMs_ = nowMs;
        Trace(Format("           restarted with firmware %u.%u", major_, minor_));
    }
    if (connected_ && announcing_ && !restarting_ && nowMs >= nextAnnounceMs_) {
        out.push_back(Announcement());
        nextAnnounceMs_ = nowMs + kAnnounceIntervalMs;
    }
    return out;
}

int64_t SimUnit::NextDeadline() const {
    if (restarting_) return restartEndMs_;
    if (connected_ && announcing_) return nextAnnounceMs_;
    return kNever;
}

void SimUnit::OnToolConnected(int64_t nowMs) {
    connected_ = true;
    applicationRunning_ = false;  // a fresh conversation, as after a reconnection
    if (!restarting_) {
        announcing_ = true;
        nextAnnounceMs_ = nowMs;
    }
}

void SimUnit::OnToolDisconnected() { connected_ = false; }

std::vector<UnitEvent> SimUnit::TakeEvents() { return std::exchange(events_, {}); }

}  // namespace orvel::sim
