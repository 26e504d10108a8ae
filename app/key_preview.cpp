#include "app/key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace orvel {

namespace {

// X key codes (evdev + 8) of the main-block digit row "1".."9", "0" and of F1..F12.
constexpr uint32_t kScanDigit1 = 10;
constexpr uint32_t kScanDigit0 = 19;
constexpr uint32_t kScanF1 = 67;
constexpr uint32_t kScanF10 = 76;
constexpr uint32_t kScanF11 = 95;
constexpr uint32_t kScanF12 = 96;

constexpr uint16_t kVkF1 = 0x70;
constexpr uint16_t kVkNumpad0 = 0x60;

uint16_t FromScanCode(uint32_t scan) {
    if (scan >= kScanDigit1 && scan < kScanDigit0) return static_cast<uint16_t>('1' + (scan - kScanDigit1));
    if (scan == kScanDigit0) return '0';
    if (scan >= kScanF1 && scan <= kScanF10) return static_cast<uint16_t>(kVkF1 + (scan - kScanF1));
    if (scan == kScanF11) return kVkF1 + 10;
    if (scan == kScanF12) return kVkF1 + 11;
    return 0;
}

}  // namespace

uint16_t VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, uint32_t nativeScanCode) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        const int digit = qtKey - Qt::Key_0;
        return static_cast<uint16_t>(keypad ? kVkNumpad0 + digit : '0' + digit);
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<uint16_t>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<uint16_t>(kVkF1 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
        case Qt::Key_Backspace: return 0x08;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return 0x09;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 0x0D;
        case Qt::Key_Shift: return 0x10;
        case Qt::Key_Control: return 0x11;
        case Qt::Key_Alt: return 0x12;
        case Qt::Key_Pause: return 0x13;
        case Qt::Key_CapsLock: return 0x14;
        case Qt::Key_Escape: return 0x1B;
        case Qt::Key_Space: return 0x20;
        case Qt::Key_PageUp: return 0x21;
        case Qt::Key_PageDown: return 0x22;
        case Qt::Key_End: return 0x23;
        case Qt::Key_Home: return 0x24;
        case Qt::Key_Left: return 0x25;
        case Qt::Key_Up: return 0x26;
        case Qt::Key_Right: return 0x27;
        case Qt::Key_Down: return 0x28;
        case Qt::Key_Insert: return 0x2D;
        case Qt::Key_Delete: return 0x2E;
        case Qt::Key_Asterisk: return keypad ? 0x6A : FromScanCode(nativeScanCode);
        case Qt::Key_Plus: return keypad ? 0x6B : 0xBB;
        case Qt::Key_Minus: return keypad ? 0x6D : 0xBD;
        case Qt::Key_Period: return keypad ? 0x6E : 0xBE;
        case Qt::Key_Slash: return keypad ? 0x6F : 0xBF;
        case Qt::Key_Semicolon: return 0xBA;
        case Qt::Key_Equal: return 0xBB;
        case Qt::Key_Comma: return 0xBC;
        case Qt::Key_QuoteLeft: return 0xC0;
        case Qt::Key_BracketLeft: return 0xDB;
        case Qt::Key_Backslash: return 0xDC;
        case Qt::Key_BracketRight: return 0xDD;
        case Qt::Key_Apostrophe: return 0xDE;
        default: break;
    }
    // Shifted digits ("!", "@", ...) and keys the layout remapped: the physical key decides.
    return keypad ? 0 : FromScanCode(nativeScanCode);
}

KeyPreview::KeyPreview(QWidget* window, Handler handler)
    : QObject(window), window_(window), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() { qApp->removeEventFilter(this); }

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != window_) return false;
    // An ignored key travels on to the parents and passes this filter once per parent;
    // only its first receiver, the window's focus widget (or the window), counts.
    QWidget* first = window_->focusWidget() ? window_->focusWidget() : window_;
    if (widget != first) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers();
    if (handler_)
        handler_(VirtualKeyCode(key->key(), mods, key->nativeScanCode()), mods.testFlag(Qt::ShiftModifier),
                 mods.testFlag(Qt::AltModifier), mods.testFlag(Qt::ControlModifier));
    return false;  // the focused control still gets the key
}

}  // namespace orvel
