#pragma once
// Modal message boxes without an owner window. The real side is a QMessageBox;
// tests record what was shown and answer with a scripted button.
#include <cstdint>
#include <string>

namespace orvel {

// Button sets, icons and answers, with the values the original platform uses.
enum : uint32_t {
    MB_OK = 0x00,
    MB_YESNO = 0x04,
    MB_ICONHAND = 0x10,         // error (stop sign)
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,  // warning
    MB_ICONASTERISK = 0x40,     // information
};
enum : int { IDOK = 1, IDYES = 6, IDNO = 7 };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` titled `caption` and waits for the answer (IDOK, IDYES or IDNO).
    virtual int Show(const std::string& text, const std::string& caption, uint32_t flags) = 0;
};

}  // namespace orvel
