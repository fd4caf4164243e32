// Start-up and shutdown of the main window, and the choice of edition.

#include "platform/Platform.h"
#include "viewer/ViewerLog.h"
#include "windows/formpagiscopo.h"

#include <QComboBox>
#include <QSignalBlocker>

void formpagiscopo::Form_Load()
{
    {
        // Selecting entries from code loads nothing: the one load of start-up is the LoadPage below.
        const QSignalBlocker blockEditions(Combo1);
        Combo1->setCurrentIndex(0);
    }
    autoRefreshOn = true;
    {
        const QSignalBlocker blockSubpages(numsottopag);
        for (int subpage = 1; subpage <= 30; ++subpage) {
            numsottopag->addItem(QString::number(subpage));
        }
        numsottopag->setCurrentIndex(0);
    }
    LoadPage();
    ReadFavouriteCaptions();
}

void formpagiscopo::Combo1_Click()
{
    LoadPage();
}

void formpagiscopo::Form_Unload(qint16 &Cancel)
{
    // Closing is never refused and nothing of the viewing is stored; no icon outlives the program.
    Q_UNUSED(Cancel);
    m_platform.removeTrayIcon();
    qCDebug(lcViewer) << "Form_Unload: the main window closes";
}
