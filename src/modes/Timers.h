#pragma once

#include <QtGlobal>

class QTimer;

// The auto-scroll interval last set in the interval dialog, in milliseconds; 0 while never set.
// Wide enough for every interval the dialog's three digits can give (999 s).
extern qint64 scrollIntervalMs;

// Enables or disables a timer. An interval of 0 means the timer never ticks (a zero-interval
// QTimer would fire at every turn of the event loop).
void setTimerEnabled(QTimer *timer, bool enabled);
