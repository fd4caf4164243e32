#pragma once

#include <QRect>
#include <QSize>
#include <QString>

// The page picture is shown at a whole multiple of its size, each page pixel a k x k block.
constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 3;
// A page of the service is 360 x 400 pixels; the window grows by that much for each step.
constexpr int kPageWidth = 360;
constexpr int kPageHeight = 400;

constexpr int zoomedIn(int zoom)
{
    return zoom < kMaxZoom ? zoom + 1 : kMaxZoom;
}
constexpr int zoomedOut(int zoom)
{
    return zoom > kMinZoom ? zoom - 1 : kMinZoom;
}
constexpr bool isZoom(int zoom)
{
    return zoom >= kMinZoom && zoom <= kMaxZoom;
}

// How much the picture box, and with it the window, grows at `zoom` over its size at x1.
constexpr QSize zoomGrowth(int zoom)
{
    return QSize((zoom - 1) * kPageWidth, (zoom - 1) * kPageHeight);
}

// Where a control laid out at `base` for x1 goes at `zoom`, `picture` being the picture box at
// x1: the box itself grows from its top-left corner, what lies to its right moves right by the
// growth, what lies below it moves down by it, and the rest stays.
QRect zoomedGeometry(const QRect &base, const QRect &picture, int zoom);

// The zoom kept across runs in the settings file `path` (an INI file). A missing file, one that
// cannot be read, and a value that is no zoom all give x1, each with one log line.
int readZoomSetting(const QString &path);
// Writes the zoom to `path`, replacing the file as a whole (its folder is made if need be).
// Returns false, and logs why, when the file could not be written.
bool writeZoomSetting(const QString &path, int zoom);
