#pragma once

#include <QFont>

#include <functional>
#include <optional>

class QString;

// The window layouts name Windows faces (MS Sans Serif, Tahoma, Tw Cen MT ...) at Windows point
// sizes. This returns the font that draws such a face here at that size and weight: the face
// itself where one is installed that really does (for MS Sans Serif, the bitmap strike of that
// size, bold or regular), otherwise a scalable face of the same kind. The size is set in pixels at
// the layouts' 96 dots per inch, so the texts keep to the controls whatever the screen's resolution.
//
// It makes the faces of fonts-wine known to Qt as they are needed, so it needs the application
// object. Its choices are kept in $XDG_CACHE_HOME/pagiscopo/fonts for the next run, for as long as
// the fonts they were made from stay as they are.
QFont designFont(const QString &family, qreal points, bool bold);

// Whether `font`, asked for in bold, draws exactly as its regular weight, where that is known
// without drawing: so it is for the MS Sans Serif strikes made by designFont, where no bold strike
// of that size was made. Nothing for any other font. For the buttons' captions
// (setBoldDrawnAsRegularHint).
std::optional<bool> boldDrawnAsRegular(const QFont &font);

// Pixels of the em of a font of `points` points at the layouts' 96 dots per inch.
int designPixels(qreal points);

// fontconfig reads its configuration and its caches of every installed font the first time it is
// asked, which takes several milliseconds. This starts that on a thread of its own, to be called
// once before the application object is made, which has no need of it; the first font asked for
// through designFont (or awaitFontSystem) waits for it to end. The same thread then runs
// `afterwards`, which nothing here waits for.
void startLoadingFontSystem(std::function<void()> afterwards = {});
void awaitFontSystem();
// Whether startLoadingFontSystem's thread is still loading fontconfig.
bool fontSystemLoading();
