// The assign dialog: the page number box's key filter and the confirm button.

#include "customButton/customButton.h"
#include "favourites/FavouritesLog.h"
#include "favourites/SlotFile.h"
#include "platform/Platform.h"
#include "windows/Form1.h"
#include "windows/KeyAscii.h"
#include "windows/formpagiscopo.h"

#include <QLineEdit>

void Form1::Text1_KeyPress(short &KeyAscii)
{
    acceptDigitsOnly(KeyAscii, [this] { m_owner.platform().beep(); });
}

void Form1::Assegna_Click()
{
    const QString folder = m_owner.platform().favouritesDir();
    const QString page = Text1->text();
    const QString caption = Text2->text();
    if (const std::optional<SlotWriteError> error = writeSlotFile(folder, m_owner.assignSlot, page, caption)) {
        const QString path = slotFilePath(folder, m_owner.assignSlot);
        qCWarning(lcFavourites) << "cannot write the slot file" << path << error->detail;
        // The dialog stays open with both texts as typed: nothing of what the user wrote is lost,
        // and the button keeps the caption that matches its file.
        m_owner.platform().warn(
            this, windowTitle(),
            QStringLiteral("Impossibile salvare il preferito nel file\r%1\r\rMotivo: %2.").arg(path, error->reason));
        return;
    }
    // The caption the file now holds, which is the one the button shows after a restart too.
    if (customButton *button = m_owner.favouriteButton(m_owner.assignSlot)) {
        button->setCaption(parseSlotFile(formatSlotFile(page, caption)).caption);
    }
    accept();
}
