#include "config/remote_commands.h"


namespace orvel {

namespace {

std::string TwoDigits(uint8_t option) {
    std::string s = std::to_string(option);
    return s.size() < 2 ? "0" + s : s;
}

// A command whose arguments are edit texts followed by an option number.
struct EditCommand {
    std::string_view name;  // "#CVMX" ...
    std::vector<ConfigEdit> edits;  // in argument order
    uint8_t option;
    std::string_view label;
};

ListingLine CommandLine(std::string text, std::string_view label) {
    AppendCheckDigits(text);
    AppendLabel(text, label);
    return {std::move(text), std::nullopt};
}

ListingLine EditCommandLine(const EditorValues& v, const EditCommand& c) {
    std::string text(c.name);
    text += '[';
    for (ConfigEdit e : c.edits) {
        const FieldRule& rule = RuleFor(e);
        if (!ParseField(v.Text(e), rule)) return {ListingMessage(rule.listName), e};
        text += v.Text(e);
        text += ',';
    }
    text += TwoDigits(c.option);
    text += ']';
    return CommandLine(std::move(text), c.label);
}

ListingLine ListCommandLine(std::string_view name, std::span<const int32_t> table, int index, int32_t factor,
                            std::string_view label) {
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return {ListingMessage(label), std::nullopt};
    const int32_t value = table[static_cast<size_t>(index)] * factor;
    return CommandLine(std::string(name) + "[" + std::to_string(value) + "]", label);
}

}  // namespace

void AppendCheckDigits(std::string& line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    uint8_t x = 0;
    for (char c : line) x ^= static_cast<uint8_t>(c);
    line += kHex[x >> 4];
    line += kHex[x & 0x0F];
}

void AppendLabel(std::string& line, std::string_view label) {
    if (line.size() < kRemoteLabelColumn) line.append(kRemoteLabelColumn - line.size(), '_');
    line += label;
}

std::vector<ListingLine> RemoteListing(const EditorValues& v) {
    using E = ConfigEdit;
    std::vector<ListingLine> lines;
    lines.push_back(ListCommandLine("#CPI", kPingTable, v.PING, 1, "PING"));
    lines.push_back(ListCommandLine("#CBR", kRateTable, v.B232, 100, "RS232-B"));
    const EditCommand commands[] = {
        {"#CACP", {E::ACP}, v.OPT_ACP, "Aceleração"},
        {"#CACN", {E::ACN}, v.OPT_ACN, "Desaceleração"},
        {"#CVMX", {E::VMX, E::TVMX}, v.OPT_VMX, "Velocidade"},
        {"#CVCH", {E::VCH, E::TVCH}, v.OPT_VCH, "Velocidade na chuva"},
        {"#CRPX", {E::RPX, E::TRPX}, v.OPT_RPX, "Rotação do motor"},
        {"#COCS", {E::TOSC, E::XOSC}, v.OPT_OSC, "Ociosidade do motor"},
        {"#CBGL", {E::VBGL, E::RBGL, E::TBGL}, v.OPT_BGL, "Banguela"},
    };
    for (const EditCommand& c : commands) lines.push_back(EditCommandLine(v, c));
    return lines;
}

}  // namespace orvel
