#include "config/conformance.h"

#include <utility>

namespace orvel {

namespace {

uint32_t OptionDeviations(uint8_t option, DigitLimits limits) {
    return (BuzzerDigitOk(option, limits) ? 0u : 1u) + (EventDigitOk(option, limits) ? 0u : 1u);
}

uint32_t OptionDifferences(uint8_t option, uint8_t reference) {
    return (BuzzerDigit(option) != BuzzerDigit(reference) ? 1u : 0u) +
           (EventDigit(option) != EventDigit(reference) ? 1u : 0u);
}

uint32_t RotavalDifferences(const ConfigFields& f) {
    const ConfigFields& r = kRotavalPresetFields;
    uint32_t n = 0;
    auto differs = [&n](auto a, auto b) { n += (a != b) ? 1u : 0u; };
    // A232 is left out: it is tested in both modes already.
    differs(f.PING, r.PING);
    differs(f.B232, r.B232);
    differs(f.ACP, r.ACP);
    differs(f.ACN, r.ACN);
    const std::pair<uint8_t, uint8_t> options[] = {{f.OPT_ACP, r.OPT_ACP}, {f.OPT_ACN, r.OPT_ACN},
                                                   {f.OPT_VMX, r.OPT_VMX}, {f.OPT_VCH, r.OPT_VCH},
                                                   {f.OPT_RPX, r.OPT_RPX}, {f.OPT_OSC, r.OPT_OSC},
                                                   {f.OPT_BGL, r.OPT_BGL}};
    for (const auto& [opt, ref] : options) n += OptionDifferences(opt, ref);
    differs(f.VMX, r.VMX);
    differs(f.TVMX, r.TVMX);
    differs(f.VCH, r.VCH);
    differs(f.TVCH, r.TVCH);
    differs(f.RPX, r.RPX);
    differs(f.TRPX, r.TRPX);
    differs(f.TOSC, r.TOSC);
    differs(f.XOSC, r.XOSC);
    differs(f.VBGL, r.VBGL);
    differs(f.RBGL, r.RBGL);
    differs(f.TBGL, r.TBGL);
    return n;
}

}  // namespace

uint32_t CountDeviations(const ConfigFields& f, bool rotaval) {
    uint32_t n = 0;
    if (!TableIndex(kPingTable, f.PING)) ++n;
    if (!TableIndex(kRateTable, f.A232)) ++n;
    if (!TableIndex(kRateTable, f.B232)) ++n;
    if (f.A232 != kRequiredA232) ++n;
    n += OptionDeviations(f.OPT_ACP, kAccelerationDigitLimits);
    n += OptionDeviations(f.OPT_ACN, kAccelerationDigitLimits);
    for (uint8_t opt : {f.OPT_VMX, f.OPT_VCH, f.OPT_RPX, f.OPT_OSC, f.OPT_BGL})
        n += OptionDeviations(opt, kConditionDigitLimits);
    if (rotaval) n += RotavalDifferences(f);
    return n;
}

}  // namespace orvel
