#pragma once

#include <QString>
#include <Qt>

#include <optional>

// The key codes the button's KeyDown and KeyUp carry: the classic virtual-key numbers (space 32,
// arrows 37 to 40, letters as upper-case ASCII), so handlers written against them keep working.
// 0 for a key without one.
short virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The character code KeyPress carries, or nothing for a key that types no character (or is
// pressed with Alt, which makes it a menu or access key instead).
std::optional<short> keyAscii(int qtKey, Qt::KeyboardModifiers modifiers, const QString &text);
