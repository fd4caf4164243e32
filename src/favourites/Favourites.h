#pragma once

#include <QtGlobal>

// What a slot falls back to while it has no file. Slot 1 has neither: its button keeps its design
// caption and a click reloads the page in the page box.
struct FavouriteDefaults {
    const char *caption; // nullptr: keep the design caption
    const char *page;    // nullptr: leave the page box as it is
};

constexpr int kFirstSlot = 1;
constexpr int kLastSlot = 7;

// The defaults of slots 1 to 7; nothing for any other number.
const FavouriteDefaults *favouriteDefaults(int slot);
