// The reader's commands of the main window: history, the picture's context menu, copy, save, zoom.

#include "reader/Reader.h"

#include "platform/Platform.h"
#include "reader/PageFile.h"
#include "reader/ReaderLog.h"
#include "reader/Zoom.h"
#include "text/PageTextView.h"
#include "windows/PictureBox.h"
#include "windows/formpagiscopo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QSignalBlocker>

namespace
{

const QString kSaveTitle = QStringLiteral("Salva immagine");

} // namespace

Reader::Reader(formpagiscopo &window, Platform &platform, QString settingsPath)
    : m_window(window), m_platform(platform), m_settingsPath(std::move(settingsPath))
{
    // The places of x1, taken from the layout as it was just built.
    m_pictureBase = m_window.Picture1->geometry();
    for (QWidget *child : m_window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) {
            m_baseGeometry.emplace_back(child, child->geometry());
        }
    }

    // The picture's own keys work while it has the focus; the others anywhere in the window.
    PictureBox *picture = m_window.Picture1;
    QAction *copy = addAction(Command::Copy, QStringLiteral("&Copia immagine"), picture, Qt::WidgetShortcut);
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &Reader::copyPicture);
    QAction *save = addAction(Command::Save, QStringLiteral("&Salva immagine..."), &m_window, Qt::WindowShortcut);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &Reader::savePicture);
    QAction *back = addAction(Command::Back, QStringLiteral("&Indietro"), &m_window, Qt::WindowShortcut);
    back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    connect(back, &QAction::triggered, this, &Reader::goBack);
    QAction *forward = addAction(Command::Forward, QStringLiteral("&Avanti"), &m_window, Qt::WindowShortcut);
    forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    connect(forward, &QAction::triggered, this, &Reader::goForward);
    QAction *in = addAction(Command::ZoomIn, QStringLiteral("In&grandisci"), &m_window, Qt::WindowShortcut);
    in->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(in, &QAction::triggered, this, &Reader::zoomIn);
    QAction *out = addAction(Command::ZoomOut, QStringLiteral("&Riduci"), &m_window, Qt::WindowShortcut);
    out->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(out, &QAction::triggered, this, &Reader::zoomOut);
    QAction *reset =
        addAction(Command::ZoomReset, QStringLiteral("&Dimensioni originali"), &m_window, Qt::WindowShortcut);
    reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(reset, &QAction::triggered, this, &Reader::zoomReset);

    // A right click and the Menu key (the window system turns it into a context-menu request for
    // the focused control) open the menu; Shift+F10 is the other key desktops use for it.
    picture->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(picture, &QWidget::customContextMenuRequested, this,
            [this, picture](const QPoint &pos) { showPictureMenu(picture->mapToGlobal(pos)); });
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), picture);
    menuKey->setContext(Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this,
            [this, picture] { showPictureMenu(picture->mapToGlobal(picture->contentsRect().topLeft())); });

    connect(&m_window.pageLoader(), &PageLoader::pageShown, this, &Reader::pageShown);
    // The mouse's back and forward buttons, over any control of the window.
    qApp->installEventFilter(this);

    m_zoom = readZoomSetting(m_settingsPath);
    applyZoom();
    updateActions();
}

Reader::~Reader() = default;

QAction *Reader::addAction(Command command, const QString &text, QWidget *owner, Qt::ShortcutContext context)
{
    auto *action = new QAction(text, this);
    action->setShortcutContext(context);
    owner->addAction(action);
    m_actions.emplace_back(command, action);
    return action;
}

QAction *Reader::action(Command command) const
{
    for (const auto &[which, action] : m_actions) {
        if (which == command) {
            return action;
        }
    }
    return nullptr;
}

Reader::Load::~Load()
{
    m_reader.endLoad();
}

Reader::Load Reader::userLoad()
{
    if (m_pendingMove) {
        beginLoad({LoadKind::Move, *std::exchange(m_pendingMove, std::nullopt)});
    } else {
        beginLoad({LoadKind::User});
    }
    return Load(*this);
}

Reader::Load Reader::unattendedLoad()
{
    beginLoad({LoadKind::Unattended});
    return Load(*this);
}

void Reader::beginLoad(LoadKind kind)
{
    // A stack: a command handled while the page search waits between two attempts makes a whole
    // load of its own inside the first.
    m_loads.push_back(kind);
}

void Reader::endLoad()
{
    m_loads.pop_back();
}

void Reader::pageShown(const QString &edition, const QString &page, const QString &subpage, const QImage &picture,
                       const QByteArray &bytes)
{
    m_shown = {edition, page, subpage};
    m_picture = picture;
    m_bytes = bytes;
    if (m_loads.empty()) {
        qCDebug(lcReader) << "page" << page << "shown by a load the window did not start; the history keeps it as"
                          << "a timer's";
        m_history.unattendedShown(m_shown);
    } else {
        const LoadKind &load = m_loads.back();
        switch (load.kind) {
        case LoadKind::User:
            m_history.commandShown(m_shown);
            break;
        case LoadKind::Unattended:
            m_history.unattendedShown(m_shown);
            break;
        case LoadKind::Move:
            m_history.moveShown(load.target, m_shown);
            break;
        }
    }
    updateActions();
}

void Reader::goBack()
{
    goTo(m_history.backIndex(), "back");
}

void Reader::goForward()
{
    goTo(m_history.forwardIndex(), "forward");
}

void Reader::goTo(std::optional<qsizetype> index, const char *direction)
{
    if (!index) {
        qCDebug(lcReader) << "no page to go" << direction << "to";
        return;
    }
    const PageEntry target = m_history.entries().at(*index);
    QComboBox *editions = m_window.Combo1;
    const int edition = editions->findText(target.edition, Qt::MatchExactly);
    if (edition < 0) {
        qCWarning(lcReader) << "the edition" << target.edition << "of the history is not in the list";
        return;
    }
    {
        // Changing the edition loads the page of its own accord: the one load is the one below.
        const QSignalBlocker blockEditions(editions);
        editions->setCurrentIndex(edition);
    }
    m_window.pagpagiscopo->setText(target.page);
    m_window.setSubpageText(target.subpage);
    m_pendingMove = *index;
    m_window.LoadPage();
    // Left over when the window, closing, loaded nothing.
    m_pendingMove.reset();
}

void Reader::copyPicture()
{
    if (!hasPicture()) {
        qCDebug(lcReader) << "no page to copy";
        return;
    }
    m_platform.copyImage(m_picture);
}

void Reader::savePicture()
{
    if (!hasPicture()) {
        qCDebug(lcReader) << "no page to save";
        return;
    }
    // The page as it was when asked for: the timers go on while the dialog is open and may show
    // another.
    const PageEntry page = m_shown;
    const QByteArray bytes = m_bytes;
    const QString proposed = QDir(pictureFolder()).filePath(pageFileName(page));
    const QString path =
        m_platform.saveFileName(&m_window, kSaveTitle, proposed, QStringLiteral("Immagini PNG (*.png)"));
    if (path.isEmpty()) {
        qCDebug(lcReader) << "saving the page was cancelled";
        return;
    }
    const QString failure = writeWholeFile(path, bytes);
    if (!failure.isEmpty()) {
        m_platform.warn(&m_window, kSaveTitle, QStringLiteral("Impossibile salvare l'immagine: %1.").arg(failure));
        return;
    }
    qCInfo(lcReader) << "page" << page.page << "saved to" << path;
}

void Reader::setZoom(int zoom)
{
    zoom = qBound(kMinZoom, zoom, kMaxZoom);
    if (zoom == m_zoom) {
        return;
    }
    m_zoom = zoom;
    applyZoom();
    updateActions();
    writeZoomSetting(m_settingsPath, m_zoom);
}

void Reader::zoomIn()
{
    setZoom(zoomedIn(m_zoom));
}

void Reader::zoomOut()
{
    setZoom(zoomedOut(m_zoom));
}

void Reader::zoomReset()
{
    setZoom(kMinZoom);
}

QSize Reader::clientSize(const QSize &base) const
{
    return base + zoomGrowth(m_zoom);
}

void Reader::applyZoom()
{
    for (const auto &[widget, base] : m_baseGeometry) {
        if (widget) {
            widget->setGeometry(zoomedGeometry(base, m_pictureBase, m_zoom));
        }
    }
    m_window.Picture1->setZoom(m_zoom);
    // The size of the mode the window is in (full or image only), at x1.
    const QSize base = m_window.minimumSize() - zoomGrowth(m_appliedZoom);
    m_appliedZoom = m_zoom;
    m_window.setFixedSize(clientSize(base));
}

void Reader::updateActions()
{
    action(Command::Copy)->setEnabled(hasPicture());
    action(Command::Save)->setEnabled(hasPicture());
    action(Command::Back)->setEnabled(m_history.canGoBack());
    action(Command::Forward)->setEnabled(m_history.canGoForward());
    action(Command::ZoomIn)->setEnabled(m_zoom < kMaxZoom);
    action(Command::ZoomOut)->setEnabled(m_zoom > kMinZoom);
    action(Command::ZoomReset)->setEnabled(m_zoom != kMinZoom);
}

void Reader::showPictureMenu(const QPoint &globalPos)
{
    QMenu menu(&m_window);
    menu.setObjectName(QStringLiteral("pictureMenu"));
    menu.addAction(action(Command::Copy));
    menu.addAction(m_window.textView().copyTextAction());
    menu.addAction(action(Command::Save));
    menu.addSeparator();
    menu.addAction(action(Command::Back));
    menu.addAction(action(Command::Forward));
    menu.addSeparator();
    menu.addAction(action(Command::ZoomIn));
    menu.addAction(action(Command::ZoomOut));
    menu.addAction(action(Command::ZoomReset));
    menu.exec(globalPos);
}

bool Reader::eventFilter(QObject *watched, QEvent *event)
{
    // A quick second press of a button comes as a double click instead of a press.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == &m_window) {
            switch (static_cast<QMouseEvent *>(event)->button()) {
            case Qt::BackButton:
                goBack();
                return true;
            case Qt::ForwardButton:
                goForward();
                return true;
            default:
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
