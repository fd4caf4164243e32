#include "favourites/FavouritesLog.h"

Q_LOGGING_CATEGORY(lcFavourites, "pagiscopo.favourites", QtInfoMsg)
