#pragma once

#include <functional>

class QWidget;

// Hands the characters typed into `box` to `handler` as KeyAscii codes (Enter 13, Backspace 8,
// Ctrl+V 22, ...) before the box sees them; a handler that sets the code to 0 discards the key.
// Keys that type no character never reach the handler, and neither do Tab and Shift+Tab (they
// move the focus), Escape (it belongs to the window: a dialog closes) and Delete.
void connectKeyPress(QWidget *box, std::function<void(short &KeyAscii)> handler);
