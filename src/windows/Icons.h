#pragma once

#include <QIcon>
#include <QPixmap>

#include <functional>

// The program's artwork, from the resources in data/.

// Decodes the main window's pictures now, on the thread that calls it, for the functions below to
// take; once begun, they wait for it to end. Meant for start-up, on a thread other than the window's.
void decodePicturesAhead();
// The same for as long as `worthIt` says so, asked before each picture; the rest are decoded when
// they are first asked for. For a thread that would otherwise only wait, such as the main thread
// while the font system loads.
void decodePicturesWhile(const std::function<bool()> &worthIt);

// Lettering in red over blue on an orange-to-yellow ground: the main window, the tray, the
// interval and about windows.
QIcon applicationIcon();
// The gold star of the favourites dialog.
QIcon starIcon();
// The 22 x 22 pictures of the previous-page and next-page buttons.
QPixmap previousPagePicture();
QPixmap nextPagePicture();
