#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QKeyEvent;

// The program handles keys as characters, the way the keyboard layout and Shift made them, with the
// button control's mapping: Enter is 13, Backspace 8, Ctrl+V 22. Keys that make no character
// (arrows, Tab, Escape, Delete, the function keys, Alt combinations) have none.
std::optional<short> keyAsciiOf(const QKeyEvent &event);

inline bool isDecimalDigit(short keyAscii)
{
    return keyAscii >= '0' && keyAscii <= '9';
}
constexpr short kBackspace = 8;
constexpr short kEnter = 13;

// Hands every character typed into `target` to `handler` before the control sees it; a handler
// that sets KeyAscii to 0 discards the character.
class KeyPressHook : public QObject
{
public:
    using Handler = std::function<void(short &KeyAscii)>;
    KeyPressHook(QObject *target, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
};

// The character filter of the dialogs' number boxes: digits and Backspace pass, every other
// character is discarded with a beep.
void acceptDigitsOnly(short &KeyAscii, const std::function<void()> &beep);
