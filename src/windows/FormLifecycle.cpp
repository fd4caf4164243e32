// Start-up and shutdown of the main window, the choice of edition, and what the page loader
// reads from and shows in the window.

#include "platform/Platform.h"
#include "reader/Reader.h"
#include "windows/PictureBox.h"
#include "windows/WindowsLog.h"
#include "windows/formpagiscopo.h"

#include <QComboBox>
#include <QLineEdit>
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
    qCDebug(lcWindows) << "Form_Unload: the main window closes";
}

void formpagiscopo::LoadPage()
{
    if (!m_destroying) {
        const Reader::Load load = m_reader->userLoad();
        m_loader->load(PageLoader::Origin::User);
    }
}

void formpagiscopo::LoadPageUnattended()
{
    if (!m_destroying) {
        const Reader::Load load = m_reader->unattendedLoad();
        m_loader->load(PageLoader::Origin::Timer);
    }
}

QString formpagiscopo::editionText() const
{
    return Combo1->currentText();
}

QString formpagiscopo::pageText() const
{
    return pagpagiscopo->text();
}

void formpagiscopo::setPageText(const QString &text)
{
    pagpagiscopo->setText(text);
}

QString formpagiscopo::subpageText() const
{
    return numsottopag->currentText();
}

void formpagiscopo::setSubpageText(const QString &text)
{
    numsottopag->setEditText(text);
}

void formpagiscopo::clearPicture()
{
    Picture1->clearPicture();
}

void formpagiscopo::showPicture(QImage picture)
{
    Picture1->setPicture(std::move(picture));
}

void formpagiscopo::repaintPicture()
{
    Picture1->update();
}

void formpagiscopo::showNotice(const QString &text)
{
    Picture1->setNotice(text);
}

bool formpagiscopo::isShown() const
{
    return isVisible();
}

void formpagiscopo::showWhileWaiting()
{
    show();
}

QWidget *formpagiscopo::questionParent()
{
    return this;
}
