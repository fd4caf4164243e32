#pragma once

#include "viewer/ModPNG.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class Downloader;
class DownloadThread;
class HttpPool;
class LoadInput;
class Platform;
class QWidget;
struct DownloadResult;

class EarlyDownload;

// What the page loader needs of the window that shows the pages: the three texts a page address
// is made of, the direction of the page search, and a place for the picture and the notices. The
// loader reads the texts afresh for every attempt and writes back the ones it changes (the page
// stepped by the search, the subpage set to "1" by the fallback).
class PageLoaderHost
{
public:
    virtual ~PageLoaderHost() = default;

    virtual QString editionText() const = 0;
    virtual QString pageText() const = 0;
    virtual void setPageText(const QString &text) = 0;
    virtual QString subpageText() const = 0;
    virtual void setSubpageText(const QString &text) = 0;
    virtual bool searchesForward() const = 0;

    // A null image leaves the picture blank. clearPicture() comes first, so that two large
    // pictures are never held at once.
    virtual void clearPicture() = 0;
    virtual void showPicture(QImage picture) = 0;
    virtual void repaintPicture() = 0;
    // A short line over the picture; empty takes it away.
    virtual void showNotice(const QString &text) = 0;

    // Whether the window is on screen, and a way to put it there while a slow first page is
    // still on its way.
    virtual bool isShown() const = 0;
    virtual void showWhileWaiting() = 0;
    // The window the question belongs to.
    virtual QWidget *questionParent() = 0;
};

// The one road by which a page reaches the screen: the address from the host's texts, the
// download on a thread of its own while the window goes on painting, the page image file, the
// size rule, the decode, the fallback to subpage 1, the question and the page search.
//
// A load runs to its end before load() returns. While it waits for a download or a page search,
// input to the program's windows is held and handed back afterwards, and Escape cancels the
// download or ends the search. The search asks for several pages at once, over the download's
// kept connections, and shows the nearest one that exists, as a walk from page to page would;
// other events (paints, timers) are handled while it waits, and a load started by one of them
// runs whole before the search goes on from whatever it left in the page box.
class PageLoader : public QObject
{
    Q_OBJECT

public:
    // Who started a load. A load started by a timer asks nothing and searches nothing: when its
    // page is missing the picture stays as it is.
    enum class Origin { User, Timer };
    // Why a load showed nothing.
    enum class Outcome { Missing, Failed, Cancelled };
    Q_ENUM(Outcome)

    // `serverBase` is scheme://host[:port] of the teletext server.
    PageLoader(PageLoaderHost &host, Platform &platform, Downloader &downloader, const QString &serverBase,
               QObject *parent = nullptr);
    ~PageLoader() override;

    void load(Origin origin = Origin::User);
    // Whether a load is under way (a question or the page search may be waiting in it).
    bool isLoading() const { return m_loadsRunning > 0; }

    // The first load of all: while it lasts, a slow server does not keep the window off the
    // screen for long.
    void setStartingUp(bool startingUp) { m_startingUp = startingUp; }
    // Starts downloading `address` at once, before any load asks for it (the first page, while the
    // window is still being built). The next attempt that asks for that very address takes this
    // answer instead of making a request of its own; any other address drops it.
    void prefetch(const QByteArray &address);
    // The same for a download started before this loader existed; it is this loader's from now
    // on (Escape and closing stop it as any other).
    void prefetch(std::unique_ptr<EarlyDownload> early);
    // The window closes: a download under way ends now, its load as if answered No, and a search
    // stops. No load starts afterwards.
    void close();
    bool isClosing() const { return m_closing; }

    const QString &serverBase() const { return m_serverBase; }
    // The notice of the last load that failed; empty after one that got an answer.
    const QString &failureNotice() const { return m_failureNotice; }

Q_SIGNALS:
    // After a load that showed a page: what was shown, from where, and the bytes exactly as the
    // server sent them. `picture` is null when the bytes could not be decoded (the box is blank).
    void pageShown(const QString &edition, const QString &page, const QString &subpage, const QImage &picture,
                   const QByteArray &bytes);
    // After a load that showed nothing.
    void nothingShown(PageLoader::Outcome outcome);

private:
    enum class Attempt { Found, Missing, Failed, Cancelled };
    struct Shown;
    struct Search;
    Attempt attempt(qint64 threshold, Shown *shown);
    Attempt take(const QByteArray &address, qint64 threshold, DownloadResult download, const QString &edition,
                 const QString &page, const QString &subpage, Shown *shown);
    void loadOnce(Origin origin, Shown *shown, Attempt *last);
    Attempt search(Shown *shown);
    friend class EarlyDownload;
    struct Handover;
    static std::shared_ptr<Handover> startDownload(DownloadThread &downloads, const QByteArray &url, bool decodeAhead);
    void plan(Search &search);
    void ask(Search &search, int page);
    void hear(Search &search, int page, DownloadResult download);
    void stopProbes(Search &search, bool keepConnections);
    void stopSearch(Search &search);
    DownloadResult fetch(const QByteArray &url);
    QString transferFailure(const DownloadResult &download) const;
    void setFailureNotice(const QString &notice);
    void showWaitNotice(bool visible);
    void removePageImageFile() const;

    PageLoaderHost &m_host;
    Platform &m_platform;
    QString m_serverBase;
    HttpPool &m_pool;
    std::unique_ptr<DownloadThread> m_downloads;
    std::unique_ptr<LoadInput> m_input;
    std::vector<Search *> m_searches; // under way, innermost last
    int m_loadsRunning = 0;
    bool m_closing = false;
    bool m_startingUp = false;
    bool m_waitNoticeShown = false;
    QElapsedTimer m_clock;
    QString m_failureNotice;
    QByteArray m_prefetchedAddress;
    std::shared_ptr<Handover> m_prefetched;
    DecodedAhead m_decodedAhead; // of the download fetch() handed back last
};

// The first page's download, started before the window that loads it exists: at start-up its
// address is known long before the window is built, and the wait for fontconfig leaves a core
// idle meanwhile. Made once the application object exists. The window's loader takes it over with
// its answer (PageLoader::prefetch); one left untaken is cancelled and waited for when it goes.
class EarlyDownload
{
public:
    EarlyDownload(Downloader &downloader, const QByteArray &address);
    ~EarlyDownload();
    EarlyDownload(const EarlyDownload &) = delete;
    EarlyDownload &operator=(const EarlyDownload &) = delete;

private:
    friend class PageLoader;
    QByteArray m_address;
    std::unique_ptr<DownloadThread> m_downloads;
    std::shared_ptr<PageLoader::Handover> m_handover;
};
