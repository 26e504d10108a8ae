#include "config/field_validation.h"

#include <algorithm>

namespace orvel {

namespace {

// Digits past this many cannot be in range of any rule; stop before the number overflows.
constexpr size_t kMaxParsedDigits = 9;

// The table value at list position `index`, or nullopt when nothing (valid) is selected.
std::optional<uint16_t> ListValue(std::span<const int32_t> table, int index) {
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return std::nullopt;
    return static_cast<uint16_t>(table[static_cast<size_t>(index)]);
}

constexpr bool RulesInEnumOrder() {
    for (size_t i = 0; i < kFieldRules.size(); ++i)
        if (static_cast<size_t>(kFieldRules[i].edit) != i) return false;
    return true;
}
static_assert(RulesInEnumOrder(), "kFieldRules is indexed by ConfigEdit");

}  // namespace

const FieldRule& RuleFor(ConfigEdit edit) { return kFieldRules[static_cast<size_t>(edit)]; }

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<uint32_t> ParseField(std::string_view text, const FieldRule& rule) {
    if (!IsDigits(text)) return std::nullopt;
    const size_t firstNonZero = std::min(text.find_first_not_of('0'), text.size());
    const std::string_view significant = text.substr(firstNonZero);
    if (significant.size() > kMaxParsedDigits) return std::nullopt;
    uint32_t value = 0;
    for (char c : significant) value = value * 10 + static_cast<uint32_t>(c - '0');
    if (value < rule.min || value > rule.max) return std::nullopt;
    return value;
}

std::string WriteMessage(std::string_view name) {
    return "Parâmetro inválido!\r\n[" + std::string(name) + "]";
}

std::string ListingMessage(std::string_view name) {
    return "Parâmetro inválido! [" + std::string(name) + "]";
}

std::variant<ConfigFields, FieldFault> FieldsForWrite(const EditorValues& v) {
    ConfigFields f;
    const auto ping = ListValue(kPingTable, v.PING);
    if (!ping) return FieldFault{std::nullopt, WriteMessage("PING")};
    const auto a232 = ListValue(kRateTable, v.A232);
    if (!a232) return FieldFault{std::nullopt, WriteMessage("RS232-A")};
    const auto b232 = ListValue(kRateTable, v.B232);
    if (!b232) return FieldFault{std::nullopt, WriteMessage("RS232-B")};
    f.PING = *ping;
    f.A232 = *a232;
    f.B232 = *b232;

    std::array<uint32_t, kConfigEditCount> n{};
    for (const FieldRule& rule : kFieldRules) {
        const auto value = ParseField(v.Text(rule.edit), rule);
        if (!value) return FieldFault{rule.edit, WriteMessage(rule.writeName)};
        n[static_cast<size_t>(rule.edit)] = *value;
    }
    auto byte = [&](ConfigEdit e) { return static_cast<uint8_t>(n[static_cast<size_t>(e)]); };
    auto word = [&](ConfigEdit e) { return static_cast<uint16_t>(n[static_cast<size_t>(e)]); };
    f.ACP = byte(ConfigEdit::ACP);
    f.ACN = byte(ConfigEdit::ACN);
    f.OPT_ACP = v.OPT_ACP;
    f.OPT_ACN = v.OPT_ACN;
    f.OPT_VMX = v.OPT_VMX;
    f.VMX = byte(ConfigEdit::VMX);
    f.TVMX = byte(ConfigEdit::TVMX);
    f.OPT_VCH = v.OPT_VCH;
    f.VCH = byte(ConfigEdit::VCH);
    f.TVCH = byte(ConfigEdit::TVCH);
    f.OPT_RPX = v.OPT_RPX;
    f.RPX = word(ConfigEdit::RPX);
    f.TRPX = byte(ConfigEdit::TRPX);
    f.OPT_OSC = v.OPT_OSC;
    f.TOSC = byte(ConfigEdit::TOSC);
    f.XOSC = byte(ConfigEdit::XOSC);
    f.OPT_BGL = v.OPT_BGL;
    f.VBGL = byte(ConfigEdit::VBGL);
    f.RBGL = word(ConfigEdit::RBGL);
    f.TBGL = byte(ConfigEdit::TBGL);
    return f;
}

}  // namespace orvel
