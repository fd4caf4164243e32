// The page loader: the one road by which a page reaches the picture box.

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
constexpr int kFirstPage = 100;
constexpr int kLastPage = 999;

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
    // Only an answer that says the page is there or is not goes on to the size rule; anything else
    // is a failure of the transfer, said so over the picture, never a missing page.
    const QString failure = transferFailure(download);
    if (!failure.isEmpty()) {
        qCWarning(lcViewer).noquote() << address << "-" << failure;
        setFailureNotice(failure);
        return Attempt::Failed;
    }

    const QString path = m_platform.pageImagePath();
    QFile file(path);
    // Truncate: a longer file left behind by a crash would otherwise keep its tail after our bytes.
    const bool opened = !path.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!opened || file.write(download.body) != download.body.size() || !file.flush()) {
        // The page did come: a disk that takes nothing must not make it look missing.
        const QString reason = path.isEmpty() ? QStringLiteral("nessuna cartella privata") : file.errorString();
        qCWarning(lcViewer) << "cannot write the page image file" << path << reason;
        file.close();
        QFile::remove(path);
        setFailureNotice(QStringLiteral("Impossibile salvare la pagina: %1").arg(reason));
        return Attempt::Failed;
    }
    setFailureNotice(QString());
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

QString formpagiscopo::transferFailure(const DownloadResult &download) const
{
    if (!download.responded) {
        // Nothing came back at all: a server out of reach.
        const QString reason = download.failure.isEmpty() ? QStringLiteral("nessuna risposta") : download.failure;
        return QStringLiteral("Server non raggiungibile: %1 (%2)").arg(QUrl(m_serverBase).authority(), reason);
    }
    if (!download.failure.isEmpty()) {
        return QStringLiteral("Impossibile scaricare la pagina: %1").arg(download.failure);
    }
    // The server's word that there is no such page leads to the size rule, as a short body does;
    // every other refusal or fault of the server is its own to explain.
    const int status = download.status;
    if ((status >= 200 && status < 300) || status == 404 || status == 410) {
        return {};
    }
    return QStringLiteral("Il server ha risposto %1").arg(status);
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
    loadPage(LoadOrigin::User);
}

void formpagiscopo::LoadPageUnattended()
{
    loadPage(LoadOrigin::Timer);
}

void formpagiscopo::loadPage(LoadOrigin origin)
{
    if (m_destroying) {
        return;
    }
    ++m_loadsRunning;
    const auto done = qScopeGuard([this] { --m_loadsRunning; });
    // Only a page the server says is missing leads on to the fallback and the question; a failed
    // transfer is said so over the picture, and a cancelled download ends the load as a No.
    if (attemptLoad(kFirstAttemptThreshold) == Attempt::Missing) {
        if (subpageText() != QLatin1String("1")) {
            // A missing subpage falls back to the page's first subpage, with everything a load does.
            setSubpageText(QStringLiteral("1"));
            loadPage(origin);
        } else if (origin == LoadOrigin::Timer) {
            // Nobody asked for this load: a question every 30 s, maybe with the window in the
            // tray, would be asked of nobody. The picture stays as it is.
            qCDebug(lcViewer) << "page" << pagpagiscopo->text() << "is missing; a timed load asks nothing";
        } else if (m_platform.askYesNo(this, QStringLiteral("Pagiscopo"), searchQuestion())) {
            searchForPage();
        }
    }
    Picture1->update();
    removePageImageFile();
}

void formpagiscopo::setFailureNotice(const QString &notice)
{
    if (notice == m_failureNotice) {
        return;
    }
    m_failureNotice = notice;
    if (!m_waitNoticeShown) {
        Picture1->setNotice(m_failureNotice);
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
        if (attempt == Attempt::Failed) {
            qCWarning(lcViewer) << "page search stopped: a download failed";
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
