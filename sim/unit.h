#pragma once
// The unit's side of the protocol, without any I/O: frames in, frames out, at times the
// caller gives (milliseconds on a monotonic clock). The caller writes what comes out,
// through the fault stage, and tells the unit when a program opens or closes the port.
//
//   announcing --(any frame from the tool)--> listening
//   listening --(verified firmware)--> restarting (300 ms silent) --> announcing, fw 2.43
//   listening --(operation-mode notice sent)--> application (takes no frames)
//   any state --(the tool opens the port again)--> announcing
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "config/config_image.h"
#include "sim/options.h"

namespace orvel::sim {

constexpr int64_t kAnnounceIntervalMs = 500;
constexpr int64_t kRestartSilenceMs = 300;
// The notice leaves this long after the acknowledgement before it, as a unit switching to
// its application would send it: glued to the acknowledgement in one receive event, a tool
// that takes one frame per event would never see it.
constexpr int64_t kNoticeGapMs = 40;
constexpr uint8_t kRestartedFirmwareMajor = 2;
constexpr uint8_t kRestartedFirmwareMinor = 43;
constexpr size_t kUploadBlockBytes = 48;
constexpr size_t kInfoPayloadBytes = 45;
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

struct Outgoing {
    std::vector<uint8_t> frame;
    bool reply = true;  // false for announcements, which the fault options leave alone
    std::string text;   // what the trace says about it
    int64_t afterMs = 0;  // held back this long before it is written
};

enum class UploadOutcome {
    InProgress,  // final block not yet checked
    Verified,    // check values matched; the image was taken
    Mismatch,    // check values differed; the previous image is kept
    Refused,     // check values matched but the image cannot be taken (wrong size)
};

// One upload, from its block 1 to whatever became of it.
struct UploadRecord {
    uint8_t job = 0;  // 1 firmware, 6 configuration
    uint16_t transferId = 0;
    uint16_t blockCount = 0;
    uint32_t distinctBlocks = 0;  // data blocks and final block, each counted once
    uint32_t resends = 0;
    UploadOutcome outcome = UploadOutcome::InProgress;
    bool checked = false;  // sent/computed below are meaningful
    ImageCheckValues sent, computed;
    size_t dataLength = 0;
    std::string note;  // the reason of a refusal
};

struct UnitCounters {
    uint32_t blockFrames = 0;   // upload frames received (commands 1 and 6)
    uint32_t resends = 0;       // the same block received again
    uint32_t acksSent = 0;
    uint32_t nacksSent = 0;     // including the injected ones
    uint32_t injectedNacks = 0; // --nack-every
    uint32_t readRequests = 0;
    uint32_t jumps = 0;
    uint32_t otherFrames = 0;   // well formed, but of a command the unit does not take
    uint32_t announcements = 0;
    uint32_t notices = 0;
};

enum class UnitEvent { ConfigStored, FirmwareVerified };

// The 45-byte information record for the given identity.
std::array<uint8_t, kInfoPayloadBytes> InfoPayload(bool operationMode, const std::array<uint32_t, 3>& unitId,
                                                   uint8_t hardwareType, uint8_t versionByte2, uint8_t major,
                                                   uint8_t minor, uint32_t configBase);

class SimUnit {
public:
    using TraceFn = std::function<void(const std::string&)>;

    // `replyDelayMs` is how long the fault stage holds a reply back; the restart after a
    // verified firmware waits for the last acknowledgement to get out.
    SimUnit(const SimOptions& options, int64_t replyDelayMs, TraceFn trace);

    // A well-formed frame for the unit.
    std::vector<Outgoing> OnFrame(uint8_t command, std::span<const uint8_t> payload, int64_t nowMs);
    // Announcements and the end of a restart.
    std::vector<Outgoing> OnTick(int64_t nowMs);
    // When OnTick next has something to do; kNever when nothing.
    int64_t NextDeadline() const;

    // A program opened the port (a fresh conversation) or the last one closed it.
    void OnToolConnected(int64_t nowMs);
    void OnToolDisconnected();

    std::vector<UnitEvent> TakeEvents();

    const std::array<uint8_t, kConfigImageSize>& ConfigMemory() const { return memory_; }
    const std::vector<UploadRecord>& Uploads() const { return uploads_; }
    const UnitCounters& Counters() const { return counters_; }
    const std::vector<uint8_t>& VerifiedFirmware() const { return firmware_; }
    bool HasVerifiedFirmware() const { return hasFirmware_; }
    uint8_t FirmwareMajor() const { return major_; }
    uint8_t FirmwareMinor() const { return minor_; }

private:
    struct Assembly {
        size_t record = 0;                // index into uploads_
        std::vector<uint8_t> data;        // (blockCount - 1) x 48 bytes at most
        std::vector<uint8_t> blockBytes;  // bytes received per data block; 0 = missing
    };

    std::vector<Outgoing> OnUploadBlock(uint8_t job, std::span<const uint8_t> payload, int64_t nowMs, bool& keepAnnouncing);
    std::vector<Outgoing> OnFinalBlock(std::span<const uint8_t> payload, int64_t nowMs, bool& keepAnnouncing);
    std::vector<Outgoing> OnRead(std::span<const uint8_t> payload);
    Outgoing Ack(uint16_t block, const std::string& why = {});
    Outgoing Nack(uint16_t block, const std::string& why);
    Outgoing Announcement();
    // The operation-mode notice; from then on the unit runs its application.
    Outgoing Notice();
    void Trace(const std::string& line) const;

    const SimOptions& options_;
    const int64_t replyDelayMs_;
    TraceFn trace_;

    uint8_t major_, minor_;
    std::array<uint8_t, kConfigImageSize> memory_;
    std::vector<uint8_t> firmware_;
    bool hasFirmware_ = false;

    bool connected_ = false;
    bool announcing_ = true;
    int64_t nextAnnounceMs_ = 0;
    bool restarting_ = false;
    int64_t restartEndMs_ = 0;

    std::vector<UploadRecord> uploads_;
    bool assembling_ = false;
    Assembly assembly_;
    bool noticeSent_ = false;
    bool applicationRunning_ = false;  // after the notice, until the port is opened again

    UnitCounters counters_;
    std::vector<UnitEvent> events_;
};

}  // namespace orvel::sim
