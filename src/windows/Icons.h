#pragma once

#include <QIcon>
#include <QPixmap>

// The program's artwork, from the resources in data/.

// Lettering in red over blue on an orange-to-yellow ground: the main window, the tray, the
// interval and about windows.
QIcon applicationIcon();
// The gold star of the favourites dialog.
QIcon starIcon();
// The 22 x 22 pictures of the previous-page and next-page buttons.
QPixmap previousPagePicture();
QPixmap nextPagePicture();
