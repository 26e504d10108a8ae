#include "sim/summary.h"

#include <algorithm>
#include <cstdio>

#include "sim/text.h"

namespace orvel::sim {

namespace {

std::string Hex(std::span<const uint8_t> bytes) {
    std::string s;
    for (uint8_t b : bytes) s += Format(s.empty() ? "%02X" : " %02X", b);
    return s;
}

std::string ListEntry(std::span<const int32_t> table, uint32_t value, int64_t scale, const char* unit) {
    const auto index = TableIndex(table, value);
    if (!index) return "not in the list";
    return Format("%lld %s, list entry %d", static_cast<long long>(value * scale), unit, *index);
}

std::string Boxes(uint8_t digit, bool during) {
    std::string s;
    auto add = [&](const char* name) { s += s.empty() ? name : std::string(", ") + name; };
    if (digit & 1) add("Entrada");
    if (digit & 2) add("Saída");
    if (during && (digit & 4)) add("Durante");
    return s.empty() ? "none" : s;
}

// Option byte of a condition with the three buzzer boxes (or, for ACP/ACN, one of each).
std::string Option(uint8_t value, bool threeBoxes) {
    const uint8_t buzzer = BuzzerDigit(value), event = EventDigit(value);
    const uint8_t maxBuzzer = threeBoxes ? 4 : 1, maxEvent = threeBoxes ? 3 : 1;
    std::string s;
    if (buzzer > maxBuzzer)
        s += Format("buzzer digit %u out of range (0 to %u)", buzzer, maxBuzzer);
    else
        s += "buzzer: " + (threeBoxes ? Boxes(buzzer, true) : std::string(buzzer ? "on" : "off"));
    s += "; ";
    if (event > maxEvent)
        s += Format("event digit %u out of range (0 to %u)", event, maxEvent);
    else
        s += "event: " + (threeBoxes ? Boxes(event, false) : std::string(event ? "on" : "off"));
    return s;
}

const char* OutcomeText(UploadOutcome o) {
    switch (o) {
        case UploadOutcome::InProgress: return "not finished";
        case UploadOutcome::Verified: return "check values match";
        case UploadOutcome::Mismatch: return "check values DIFFER";
        case UploadOutcome::Refused: return "refused";
    }
    return "";
}

}  // namespace

std::optional<std::string> ImageFault(std::span<const uint8_t, kConfigImageSize> image) {
    if (std::all_of(image.begin(), image.end(), [](uint8_t b) { return b == 0xFF; }))
        return "blank memory (every byte FF)";
    if (!std::equal(kConfigMagic.begin(), kConfigMagic.end(), image.begin()))
        return "magic is " + Hex(image.first(4)) + ", expected CA FE F0 DA";
    const size_t length = (size_t{image[4]} << 8) | image[5];
    const size_t used = length + 9;
    if (used > kConfigImageSize) return Format("length %zu is too large (%zu + 9 > 2032)", length, length);
    uint32_t sum = 0;
    for (size_t i = 0; i + 3 < used; ++i) sum += image[i];
    const uint32_t stored = (uint32_t{image[used - 3]} << 16) | (uint32_t{image[used - 2]} << 8) | image[used - 1];
    if (sum != stored)
        return Format("SUM24 at offset %zu is %06X, but bytes 0 to %zu add up to %06X", used - 3, stored, used - 4, sum);
    // The checks above mirror the acceptance test; if they ever part, say so.
    if (!AcceptConfigImage(image)) return "rejected by the acceptance test";
    return std::nullopt;
}

std::string DescribeConfig(std::span<const uint8_t, kConfigImageSize> image, const std::string& indent) {
    if (const auto fault = ImageFault(image)) return indent + "invalid image: " + *fault + "\n";
    const ConfigFields f = DecodeConfigImage(image);
    std::string s = indent + "valid image (" + Hex(image.first(8)) + " ...)\n";
    auto line = [&](const char* name, uint32_t value, const std::string& meaning) {
        s += indent + Format("%-8s %5u  ", name, value) + meaning + "\n";
    };
    line("PING", f.PING, ListEntry(kPingTable, f.PING, 1, "s"));
    line("A232", f.A232, ListEntry(kRateTable, f.A232, 100, "baud"));
    line("B232", f.B232, ListEntry(kRateTable, f.B232, 100, "baud"));
    line("ACP", f.ACP, "km/h per s, harsh acceleration");
    line("ACN", f.ACN, "km/h per s, harsh braking");
    line("OPT_ACP", f.OPT_ACP, Option(f.OPT_ACP, false));
    line("OPT_ACN", f.OPT_ACN, Option(f.OPT_ACN, false));
    line("OPT_VMX", f.OPT_VMX, Option(f.OPT_VMX, true));
    line("VMX", f.VMX, "km/h, speed");
    line("TVMX", f.TVMX, "s");
    line("OPT_VCH", f.OPT_VCH, Option(f.OPT_VCH, true));
    line("VCH", f.VCH, "km/h, speed in rain");
    line("TVCH", f.TVCH, "s");
    line("OPT_RPX", f.OPT_RPX, Option(f.OPT_RPX, true));
    line("RPX", f.RPX, "rpm, engine speed");
    line("TRPX", f.TRPX, "s");
    line("OPT_OSC", f.OPT_OSC, Option(f.OPT_OSC, true));
    line("TOSC", f.TOSC, "min, idling");
    line("XOSC", f.XOSC, "s, exception for manoeuvres");
    line("OPT_BGL", f.OPT_BGL, Option(f.OPT_BGL, true));
    line("VBGL", f.VBGL, "km/h, coasting minimum speed");
    line("RBGL", f.RBGL, "rpm, coasting maximum engine speed");
    line("TBGL", f.TBGL, "s");
    return s;
}

std::string Summary(const SimOptions& o, uint64_t seed, const SimUnit& unit, const FaultCounters& faults,
                    const LinkCounters& link, const std::string& firmwareNote) {
    std::string s = "=== orvel-sim summary ===\n";
    s += Format("unit: hardware %u, firmware %u.%u", o.hardwareType, unit.FirmwareMajor(), unit.FirmwareMinor());
    if (unit.FirmwareMajor() != o.firmwareMajor || unit.FirmwareMinor() != o.firmwareMinor)
        s += Format(" (started as %u.%u)", o.firmwareMajor, o.firmwareMinor);
    s += Format(", id %08X %08X %08X, mode flag %u\n", o.unitId[0], o.unitId[1], o.unitId[2], o.operationMode ? 0 : 1);

    s += "uploads:\n";
    if (unit.Uploads().empty()) s += "  none\n";
    for (const UploadRecord& r : unit.Uploads()) {
        s += Format("  %s, transfer id 0x%04X, %u blocks: %u received", r.job == 1 ? "firmware" : "configuration",
                    r.transferId, r.blockCount, r.distinctBlocks);
        if (r.resends) s += Format(" (+%u resends)", r.resends);
        s += std::string(", ") + OutcomeText(r.outcome);
        if (r.checked)
            s += Format(" (sent XOR8 %02X SUM32 %08X, data gives XOR8 %02X SUM32 %08X, %zu bytes)", r.sent.XOR8,
                        r.sent.SUM32, r.computed.XOR8, r.computed.SUM32, r.dataLength);
        if (!r.note.empty()) s += ": " + r.note;
        if (r.outcome == UploadOutcome::Mismatch || r.outcome == UploadOutcome::Refused) s += "; previous image kept";
        s += "\n";
    }
    s += "firmware: " + firmwareNote + "\n";

    s += Format("configuration in memory at 0x%08X (%u), started as %s:\n", o.configBase, o.configBase,
                o.configSource.c_str());
    s += DescribeConfig(unit.ConfigMemory(), "  ");

    const UnitCounters& c = unit.Counters();
    s += Format("frames: %u in (%u upload blocks, %u resends, %u read requests, %u jumps, %u other), "
                "%u announcements, %u acks, %u NACKs, %u notices\n",
                link.framesIn, c.blockFrames, c.resends, c.readRequests, c.jumps, c.otherFrames, c.announcements,
                c.acksSent, c.nacksSent, c.notices);
    s += Format("link: port opened %u times; errors in: %u bad sums, %u bad lengths, %u not for the unit, "
                "%u incomplete, %u bytes skipped; %u writes lost\n",
                link.toolOpens, link.badSums, link.badLengths, link.notForUnit, link.incomplete, link.bytesSkipped,
                link.writesLost);
    s += Format("faults injected: %u NACKs (--nack-every), %u dropped, %u corrupted, %u merged, %u split, "
                "%u delayed, %u silenced (seed %llu)\n",
                c.injectedNacks, faults.dropped, faults.corrupted, faults.merged, faults.split, faults.delayed,
                faults.silenced, static_cast<unsigned long long>(seed));
    return s;
}

}  // namespace orvel::sim
