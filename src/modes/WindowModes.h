#pragma once

#include <QString>

// The tip over the notification-area icon for the page in the page box, cut to the 63
// characters the icon's tip holds.
QString trayTipText(const QString &pageText);
