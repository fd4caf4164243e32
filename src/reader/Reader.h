#pragma once

#include "reader/History.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <optional>
#include <utility>
#include <vector>

class Platform;
class QAction;
class QMenu;
class QPoint;
class QWidget;
class formpagiscopo;

// What a reader expects of a page viewer, for the main window: back and forward through the pages
// shown, the picture's context menu, copying and saving the page, and zoom. The window tells it
// which loads are the user's and which the timers'; what each load showed it hears from the page
// loader.
class Reader : public QObject
{
    Q_OBJECT

public:
    enum class Command { Copy, Save, Back, Forward, ZoomIn, ZoomOut, ZoomReset };

    // Made once the window's controls are laid out, whose places it takes as those of x1, and
    // before the first page loads. The zoom is kept in `settingsPath` across runs.
    Reader(formpagiscopo &window, Platform &platform, QString settingsPath);
    ~Reader() override;

    // Brackets one load of the window: the page it shows goes into the history by its kind.
    class Load
    {
    public:
        ~Load();
        Load(const Load &) = delete;
        Load &operator=(const Load &) = delete;

    private:
        friend class Reader;
        explicit Load(Reader &reader) : m_reader(reader) {}
        Reader &m_reader;
    };
    [[nodiscard]] Load userLoad();
    [[nodiscard]] Load unattendedLoad();

    const History &history() const { return m_history; }
    // Whether a page picture is on screen for copying and saving.
    bool hasPicture() const { return !m_picture.isNull(); }
    int zoom() const { return m_zoom; }

    void goBack();
    void goForward();
    void copyPicture();
    void savePicture();
    void setZoom(int zoom);
    void zoomIn();
    void zoomOut();
    void zoomReset();

    // The window's client size at the present zoom for a mode whose size at x1 is `base`.
    QSize clientSize(const QSize &base) const;

    QAction *action(Command command) const;
    // Opens the picture's context menu at a point of the screen; returns when it closes.
    void showPictureMenu(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct LoadKind {
        enum { User, Unattended, Move } kind;
        qsizetype target = -1;
    };
    void beginLoad(LoadKind kind);
    void endLoad();
    void pageShown(const QString &edition, const QString &page, const QString &subpage, const QImage &picture,
                   const QByteArray &bytes);
    void goTo(std::optional<qsizetype> index, const char *direction);
    void applyZoom();
    void updateActions();
    QAction *addAction(Command command, const QString &text, QWidget *owner, Qt::ShortcutContext context);

    formpagiscopo &m_window;
    Platform &m_platform;
    QString m_settingsPath;
    History m_history;
    std::vector<LoadKind> m_loads;
    std::optional<qsizetype> m_pendingMove;

    PageEntry m_shown;
    QImage m_picture;
    QByteArray m_bytes;

    int m_zoom = 1;
    int m_appliedZoom = 1;
    QRect m_pictureBase;
    std::vector<std::pair<QPointer<QWidget>, QRect>> m_baseGeometry;
    std::vector<std::pair<Command, QAction *>> m_actions;
};
