#pragma once
// Test double of the message boxes: records each box and answers with `answer`.
#include <vector>

#include "platform/message_boxes.h"

namespace orvel {

class RecordingMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        std::string text;
        std::string caption;
        uint32_t flags;
    };
    std::vector<Shown> shown;
    int answer = IDOK;  // IDYES / IDNO for question boxes
    int Show(const std::string& text, const std::string& caption, uint32_t flags) override {
        shown.push_back({text, caption, flags});
        return (flags & 0x0F) == MB_YESNO ? answer : IDOK;
    }
};

}  // namespace orvel
