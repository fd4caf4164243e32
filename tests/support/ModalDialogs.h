#pragma once

#include <QWidget>

#include <functional>

// Runs `action` on the next modal dialog once it is open and active, from inside its exec() loop.
// Gives up (and says so) when no dialog opens within the bound.
void whenModalOpens(std::function<void(QWidget *dialog)> action);
