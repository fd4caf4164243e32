// The page loader: the one road by which a page reaches the picture box.

#include "navigation/PageNumbers.h"
#include "platform/Platform.h"
#include "viewer/DownloadUrl.h"
#include "viewer/LoadInput.h"
#include "viewer/ModPNG.h"
#include "viewer/PageAddress.h"
#include "viewer/ViewerLog.h"
#include "windows/PictureBox.h"
#include "windows/formpagiscopo.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QUrl>

namespace
{

constexpr qint64 kFirstAttemptThreshold = 4000;
constexpr qint64 kSearchThreshold = 2000;

const QString &searchQuestion()
{
    static const QString text = QStringLiteral("La pagina del Pagiscopo scelta,non esiste continuare a cercare?") +
                                QLatin1Char('\r') + QStringLiteral("(potrebbe richiedere alcuni secondi)");
    return text;
}

} // namespace

formpagiscopo::Attempt formpagiscopo::attemptLoad(qint64 threshold)
{
    const QByteArray address = pageAddress(m_serverBase, Combo1->currentText(), pagpagiscopo->text(), subpageText());
    if (address.isEmpty()) {
        qCWarning(lcViewer) << "edition" << Combo1->currentText() << "forms no page address; nothing requested";
        return Attempt::Missing;
    }
    DownloadResult download = fetchPageImage(address);
    if (download.cancelled) {
        return Attempt::Cancelled;
    }
    if (!download.responded && download.body.isEmpty()) {
        // Nothing came back at all: not a missing page, a server out of reach.
        setUnreachable(download.failure);
        return Attempt::Unreachable;
    }
    setUnreachable(QString());

    const QString path = m_platform.pageImagePath();
    QFile file(path);
    // Truncate: a longer file left behind by a crash would otherwise keep its tail after our bytes.
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(lcViewer) << "cannot write the page image file" << path << file.errorString();
        return Attempt::Missing;
    }
    if (file.write(download.body) != download.body.size() || !file.flush()) {
        qCWarning(lcViewer) << "cannot write the page image file" << path << file.errorString();
    }
    const qint64 size = file.size();
    file.close();
    download = {}; // the bytes live on in the file: free them before the picture is built

    if (size < threshold) {
        qCDebug(lcViewer) << address << "gave" << size << "bytes, below" << threshold << "- no such page";
        QFile::remove(path);
        return Attempt::Missing;
    }
    // The old picture goes first: nothing is painted before the new one is in place, and a large
    // page would otherwise hold two pictures at once.
    Picture1->clearPicture();
    Picture1->setPicture(LoadPNGPicture(path));
    return Attempt::Found;
}

void formpagiscopo::removePageImageFile() const
{
    const QString path = m_platform.pageImagePath();
    if (!path.isEmpty() && QFile::exists(path) && !QFile::remove(path)) {
        qCWarning(lcViewer) << "cannot remove the page image file" << path;
    }
}

void formpagiscopo::LoadPage()
{
    if (m_destroying) {
        return;
    }
    ++m_loadsRunning;
    const auto done = qScopeGuard([this] { --m_loadsRunning; });
    // Only a page the server says is missing leads on to the fallback and the question; a server
    // out of reach is said so over the picture, and a cancelled download ends the load as a No.
    if (attemptLoad(kFirstAttemptThreshold) == Attempt::Missing) {
        if (subpageText() != kFirstSubpage) {
            // A missing subpage falls back to the page's first subpage, with everything a load does.
            setSubpageText(kFirstSubpage);
            LoadPage();
        } else if (m_platform.askYesNo(this, QStringLiteral("Pagiscopo"), searchQuestion())) {
            searchForPage();
        }
    }
    Picture1->update();
    removePageImageFile();
}

void formpagiscopo::setUnreachable(const QString &reason)
{
    const QString notice =
        reason.isEmpty()
            ? QString()
            : QStringLiteral("Server non raggiungibile: %1 (%2)").arg(QUrl(m_serverBase).authority(), reason);
    if (notice == m_unreachableNotice) {
        return;
    }
    if (!notice.isEmpty()) {
        qCWarning(lcViewer).noquote() << notice;
    }
    m_unreachableNotice = notice;
    if (!m_waitNoticeShown) {
        Picture1->setNotice(m_unreachableNotice);
    }
}

void formpagiscopo::searchForPage()
{
    const QString textBefore = pagpagiscopo->text();
    m_loadInput->searchStarted();
    const auto searchEnded = qScopeGuard([this] { m_loadInput->searchEnded(); });
    m_loadInput->takeEscape(); // only a press during this search counts
    for (;;) {
        // Read afresh each time: events handled below may have changed the page box.
        bool isNumber = false;
        const int current = pagpagiscopo->text().toInt(&isNumber);
        const int next = searchForward ? current + 1 : current - 1;
        if (!isNumber || next < kFirstPage || next > kLastPage) {
            qCInfo(lcViewer) << "page search reached the end of the page range without a page";
            break;
        }
        pagpagiscopo->setText(QString::number(next));
        const Attempt attempt = attemptLoad(kSearchThreshold);
        QCoreApplication::processEvents();
        if (attempt == Attempt::Found) {
            return;
        }
        if (attempt == Attempt::Unreachable) {
            qCWarning(lcViewer) << "page search stopped: the server cannot be reached";
            break;
        }
        if (attempt == Attempt::Cancelled) {
            qCInfo(lcViewer) << "page search stopped: its download was cancelled";
            break;
        }
        if (m_loadInput->takeEscape()) {
            qCInfo(lcViewer) << "page search cancelled with Escape";
            break;
        }
        if (m_closing) {
            break;
        }
    }
    pagpagiscopo->setText(textBefore);
}
