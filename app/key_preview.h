#pragma once
// Key preview: the window's key-down handler sees every key pressed in the window before
// the focused control does, and the key still reaches that control.
#include <QObject>
#include <cstdint>
#include <functional>

class QWidget;

namespace orvel {

// Windows virtual-key code of a Qt key event, which the key-down handler works with.
// Main-block digits give 0x30..0x39 and letters 0x41..0x5A whatever the shift state; keypad
// digits give 0x60..0x69. `nativeScanCode` (an X/evdev key code, 0 for synthetic events)
// recovers the physical digit row and F12 where the keyboard layout turned them into
// another symbol (Shift+1 is "!", Ctrl+Alt+F12 a console switch). 0 for keys without code.
uint16_t VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, uint32_t nativeScanCode);

// Watches the application's key presses and hands those aimed at a widget of `window`
// to `handler` (virtual-key code, Shift, Alt, Ctrl held), before the widget gets them.
// Never consumes a key.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(uint16_t key, bool shift, bool alt, bool ctrl)>;
    KeyPreview(QWidget* window, Handler handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    Handler handler_;
};

}  // namespace orvel
