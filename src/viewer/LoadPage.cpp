// The page loader: the one road by which a page reaches the picture box.

#include "platform/Platform.h"
#include "viewer/DownloadUrl.h"
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

// Watches the whole application for Escape while a page search runs, so the user has a way out of
// a search that would otherwise walk hundreds of pages. The innermost search sees the key first.
class EscapeWatcher : public QObject
{
public:
    EscapeWatcher() { qApp->installEventFilter(this); }
    ~EscapeWatcher() override { qApp->removeEventFilter(this); }
    bool pressed() const { return m_pressed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A dialog opened meanwhile (a nested load's question) keeps its own Escape.
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
            !QApplication::activeModalWidget()) {
            m_pressed = true;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_pressed = false;
};

} // namespace

formpagiscopo::Attempt formpagiscopo::attemptLoad(qint64 threshold)
{
    const QByteArray address = pageAddress(m_serverBase, Combo1->currentText(), pagpagiscopo->text(), subpageText());
    if (address.isEmpty()) {
        qCWarning(lcViewer) << "edition" << Combo1->currentText() << "forms no page address; nothing requested";
        return Attempt::Missing;
    }
    DownloadResult download = m_downloader.get(address);

    const QString path = m_platform.pageImagePath();
    QFile file(path);
    // Truncate: a longer file left behind by a crash would otherwise keep its tail after our bytes.
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(lcViewer) << "cannot write the page image file" << path << file.errorString();
        return download.responded ? Attempt::Missing : Attempt::Unreachable;
    }
    if (file.write(download.body) != download.body.size() || !file.flush()) {
        qCWarning(lcViewer) << "cannot write the page image file" << path << file.errorString();
    }
    const qint64 size = file.size();
    file.close();
    const bool responded = download.responded;
    download = {}; // the bytes live on in the file: free them before the picture is built

    if (size < threshold) {
        qCDebug(lcViewer) << address << "gave" << size << "bytes, below" << threshold << "- no such page";
        QFile::remove(path);
        return responded ? Attempt::Missing : Attempt::Unreachable;
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
    if (attemptLoad(kFirstAttemptThreshold) != Attempt::Found) {
        if (subpageText() != QLatin1String("1")) {
            // A missing subpage falls back to the page's first subpage, with everything a load does.
            setSubpageText(QStringLiteral("1"));
            LoadPage();
        } else if (m_platform.askYesNo(this, QStringLiteral("Pagiscopo"), searchQuestion())) {
            searchForPage();
        }
    }
    Picture1->update();
    removePageImageFile();
}

void formpagiscopo::searchForPage()
{
    const QString textBefore = pagpagiscopo->text();
    EscapeWatcher escape;
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
        if (escape.pressed()) {
            qCInfo(lcViewer) << "page search cancelled with Escape";
            break;
        }
        if (m_closing) {
            break;
        }
    }
    pagpagiscopo->setText(textBefore);
}
