#pragma once
// The editor's values as plain data, and the bounds every numeric field must keep before
// it goes into an image or a remote command. One table serves the write and the listing;
// only the wording of their messages differs.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "config/config_image.h"

namespace orvel {

// The numeric edits of the editor, in image order.
enum class ConfigEdit : uint8_t { ACP, ACN, VMX, TVMX, VCH, TVCH, RPX, TRPX, TOSC, XOSC, VBGL, RBGL, TBGL };
constexpr size_t kConfigEditCount = 13;

// What the editor shows: list positions (-1 = nothing selected), edit texts as typed
// (UTF-8), and the option bytes formed from the boxes.
struct EditorValues {
    int PING = -1, A232 = -1, B232 = -1;
    std::array<std::string, kConfigEditCount> texts;  // indexed by ConfigEdit
    uint8_t OPT_ACP = 0, OPT_ACN = 0, OPT_VMX = 0, OPT_VCH = 0, OPT_RPX = 0, OPT_OSC = 0, OPT_BGL = 0;

    std::string& Text(ConfigEdit e) { return texts[static_cast<size_t>(e)]; }
    const std::string& Text(ConfigEdit e) const { return texts[static_cast<size_t>(e)]; }
};

// Bounds of one edit and its name in the two kinds of message.
struct FieldRule {
    ConfigEdit edit;
    uint32_t min;
    uint32_t max;  // never above what the field's bytes hold: no value is written truncated
    std::string_view writeName;
    std::string_view listName;
};

// In image order. ACP, ACN and VBGL are one-byte fields: above 255 they are refused,
// since the unit would otherwise receive only the low byte.
inline constexpr std::array<FieldRule, kConfigEditCount> kFieldRules = {{
    {ConfigEdit::ACP, 0, 255, "Aceleração", "Aceleração"},
    {ConfigEdit::ACN, 0, 255, "Desaceleração", "Desaceleração"},
    {ConfigEdit::VMX, 0, 150, "Velocidade", "Velocidade"},
    {ConfigEdit::TVMX, 0, 60, "Tempo validação Velocidade", "Tempo validação Velocidade"},
    {ConfigEdit::VCH, 0, 150, "Velocidade na Chuva", "Velocidade na Chuva"},
    {ConfigEdit::TVCH, 0, 60, "Tempo validação Velocidade na Chuva", "Tempo validação Velocidade na Chuva"},
    {ConfigEdit::RPX, 1000, 0xFFFF, "Rotação do Motor", "Rotação do Motor"},
    {ConfigEdit::TRPX, 0, 60, "Tempo validação Rotação", "Tempo validação Rotação"},
    {ConfigEdit::TOSC, 1, 255, "Tempo osciosidade", "Tempo ociosidade"},
    {ConfigEdit::XOSC, 0, 60, "Tempo excessão manobra", "Tempo excessão manobra"},
    {ConfigEdit::VBGL, 1, 255, "Velocidade min. Banguela", "Velocidade min. Banguela"},
    {ConfigEdit::RBGL, 300, 1000, "Rotação max. Banguela", "Rotação max. Banguela"},
    {ConfigEdit::TBGL, 0, 30, "Tempo validação Banguela", "Tempo validação Banguela"},
}};

const FieldRule& RuleFor(ConfigEdit edit);

// True for a non-empty text of the characters 0 to 9 only (no sign, no space).
bool IsDigits(std::string_view text);

// The number in `text` when it passes IsDigits and the rule's bounds; nullopt otherwise.
std::optional<uint32_t> ParseField(std::string_view text, const FieldRule& rule);

// "Parâmetro inválido!\r\n[name]" (message box) and "Parâmetro inválido! [name]" (listing).
std::string WriteMessage(std::string_view name);
std::string ListingMessage(std::string_view name);

// The first field that stops a write: its message and, for an edit, which edit to empty
// (nullopt for a list without a selection).
struct FieldFault {
    std::optional<ConfigEdit> edit;
    std::string message;
};

// Checks the fields in image order (PING, A232, B232, then the edits) and returns the
// image's values, or the first fault.
std::variant<ConfigFields, FieldFault> FieldsForWrite(const EditorValues& values);

}  // namespace orvel
