#pragma once
// The editor's values as the text commands a unit in the field is configured with, e.g.
//   #CVMX[120,5,11]23________Velocidade
// command text, two check digits (XOR of the text, upper-case hex), underscores up to
// 25 characters, the command's label.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/field_validation.h"

namespace orvel {

constexpr size_t kRemoteLabelColumn = 25;

// Appends the exclusive or of all characters of `line` as two upper-case hex digits.
void AppendCheckDigits(std::string& line);

// Appends underscores until `line` is 25 characters long (none if it already is), then `label`.
void AppendLabel(std::string& line, std::string_view label);

// One line of the listing: a command line, or the error message of the command's first
// invalid field (then `emptied` names the edit to empty, if the field is an edit).
struct ListingLine {
    std::string text;
    std::optional<ConfigEdit> emptied;
};

// The nine command lines, in listing order: PING, RS232-B, ACP, ACN, VMX, VCH, RPX,
// OSC, BGL. Edit texts go in as typed ("05" stays 05).
std::vector<ListingLine> RemoteListing(const EditorValues& values);

}  // namespace orvel
