#pragma once

#include <QtGlobal>

class QTimer;

// Enables or disables a timer. An interval of 0 means the timer never ticks (a zero-interval
// QTimer would fire at every turn of the event loop).
void setTimerEnabled(QTimer *timer, bool enabled);
