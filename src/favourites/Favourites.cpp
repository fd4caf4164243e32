// The seven favourite buttons: their captions at start-up, their pages on a click, and the letter m
// that opens the assign dialog for one of them.

#include "favourites/Favourites.h"

#include "customButton/customButton.h"
#include "favourites/FavouritesLog.h"
#include "favourites/SlotFile.h"
#include "platform/Platform.h"
#include "windows/Controls.h"
#include "windows/Form1.h"
#include "windows/formpagiscopo.h"

#include <QLineEdit>

#include <array>

namespace
{

constexpr short kLetterM = 109;

// Left to right on the window the buttons are slots 4, 5, 6, 7, 3, 2, 1. Slot 7's start-up caption
// is in lower case, unlike its design caption.
constexpr std::array<FavouriteDefaults, 7> kDefaults = {{
    {nullptr, nullptr},
    {"Tv oggi sera", "505"},
    {"T.V.", "500"},
    {"Notizie", "102"},
    {"Ultim'ora", "103"},
    {"Sport", "200"},
    {"calcio", "220"},
}};

} // namespace

const FavouriteDefaults *favouriteDefaults(int slot)
{
    if (slot < kFirstSlot || slot > kLastSlot) {
        return nullptr;
    }
    return &kDefaults[size_t(slot - kFirstSlot)];
}

customButton *formpagiscopo::favouriteButton(int slot) const
{
    const std::array<customButton *, 7> buttons = {libero, tvoggi, Tv, ultime, ultimaora, sport, calcio};
    if (slot < kFirstSlot || slot > kLastSlot) {
        return nullptr;
    }
    return buttons[size_t(slot - kFirstSlot)];
}

QString formpagiscopo::favouriteFilePath(int slot) const
{
    return slotFilePath(m_platform.favouritesDir(), slot);
}

void formpagiscopo::OpenFavourite(int slot)
{
    const FavouriteDefaults *defaults = favouriteDefaults(slot);
    if (!defaults) {
        qCWarning(lcFavourites) << "there is no favourite" << slot;
        return;
    }
    // Read at every click, so that a file edited by hand counts from the next click on.
    if (const std::optional<SlotLines> lines = readSlotFile(favouriteFilePath(slot))) {
        pagpagiscopo->setText(lines->page);
    } else if (defaults->page) {
        pagpagiscopo->setText(QString::fromLatin1(defaults->page));
    }
    LoadPage();
}

void formpagiscopo::EditFavourite(int slot)
{
    if (!favouriteDefaults(slot)) {
        qCWarning(lcFavourites) << "there is no favourite" << slot << "to assign";
        return;
    }
    // The dialog would open behind a window kept on top of everything; always on top stays off.
    if (Check1->checkState() == Qt::Checked) {
        Check1->setCheckState(Qt::Unchecked);
    }
    assignSlot = qint16(slot);
    Form1 dialog(*this);
    dialog.exec();
}

void formpagiscopo::ReadFavouriteCaptions()
{
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        customButton *button = favouriteButton(slot);
        if (const std::optional<SlotLines> lines = readSlotFile(favouriteFilePath(slot))) {
            button->setCaption(lines->caption);
        } else if (const char *caption = favouriteDefaults(slot)->caption) {
            button->setCaption(QString::fromUtf8(caption));
        }
    }
}

void formpagiscopo::libero_Click()
{
    OpenFavourite(1);
}

void formpagiscopo::tvoggi_Click()
{
    OpenFavourite(2);
}

void formpagiscopo::Tv_Click()
{
    OpenFavourite(3);
}

void formpagiscopo::ultime_Click()
{
    OpenFavourite(4);
}

void formpagiscopo::ultimaora_Click()
{
    OpenFavourite(5);
}

void formpagiscopo::sport_Click()
{
    OpenFavourite(6);
}

void formpagiscopo::calcio_Click()
{
    OpenFavourite(7);
}

// Only the lower-case m: the capital M (77) and every other key do nothing here.
void formpagiscopo::libero_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kLetterM) {
        EditFavourite(1);
    }
}

void formpagiscopo::tvoggi_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kLetterM) {
        EditFavourite(2);
    }
}

void formpagiscopo::Tv_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kLetterM) {
        EditFavourite(3);
    }
}

void formpagiscopo::ultime_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kLetterM) {
        EditFavourite(4);
    }
}

void formpagiscopo::ultimaora_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kLetterM) {
        EditFavourite(5);
    }
}

void formpagiscopo::sport_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kLetterM) {
        EditFavourite(6);
    }
}

void formpagiscopo::calcio_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kLetterM) {
        EditFavourite(7);
    }
}
