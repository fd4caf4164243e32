#include "text/PageTextView.h"

#include "platform/Platform.h"
#include "text/TextLog.h"
#include "text/TextRecogniser.h"
#include "windows/PictureBox.h"
#include "windows/formpagiscopo.h"

#include <QAction>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStringList>
#include <QToolTip>

PageTextView::PageTextView(formpagiscopo &window, QString settingsPath, QString language)
    : m_window(window), m_recogniser(new TextRecogniser(std::move(settingsPath), std::move(language), this))
{
    m_copyText = new QAction(QStringLiteral("Copia &testo"), this);
    m_copyText->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    m_copyText->setShortcutContext(Qt::WindowShortcut);
    m_copyText->setEnabled(false);
    m_window.addAction(m_copyText);
    connect(m_copyText, &QAction::triggered, this, &PageTextView::copyText);

    connect(&m_window.pageLoader(), &PageLoader::pageShown, this,
            [this](const QString &, const QString &page, const QString &, const QImage &picture, const QByteArray &) {
                pageShown(page, picture);
            });
    connect(m_recogniser, &TextRecogniser::linksFound, this, [this](quint64 reading, const QList<PageLink> &links) {
        if (reading != m_reading) {
            return;
        }
        m_links = links;
        if (lcText().isDebugEnabled()) {
            QStringList found;
            for (const PageLink &link : links) {
                found << QStringLiteral("%1@%2,%3").arg(link.page).arg(link.row).arg(link.column);
            }
            qCDebug(lcText).noquote() << links.size() << "links on the page shown:" << found.join(u' ');
        }
        updatePointer(m_window.Picture1->mapFromGlobal(QCursor::pos()));
        Q_EMIT linksChanged();
    });
    connect(m_recogniser, &TextRecogniser::textRead, this, [this](quint64 reading, const QString &text) {
        if (reading != m_reading) {
            return;
        }
        m_reading = 0;
        m_text = text;
        qCDebug(lcText) << text.size() << "characters read on the page shown";
        m_copyText->setEnabled(!text.isEmpty());
        setDescription(text);
        Q_EMIT textChanged();
        Q_EMIT pageRead();
    });

    PictureBox *picture = m_window.Picture1;
    picture->setMouseTracking(true);
    picture->installEventFilter(this);
    QAccessible::installActivationObserver(this);
}

PageTextView::~PageTextView()
{
    QAccessible::removeActivationObserver(this);
}

void PageTextView::pageShown(const QString &page, const QImage &picture)
{
    forget();
    if (picture.isNull()) {
        m_recogniser->cancel();
        m_reading = 0;
        return;
    }
    m_pictureKey = m_window.Picture1->image().cacheKey();
    m_reading = m_recogniser->submit(picture, page.toInt());
}

void PageTextView::forget()
{
    m_links.clear();
    m_text.clear();
    m_copyText->setEnabled(false);
    setDescription({});
    updatePointer({-1, -1});
    Q_EMIT linksChanged();
    Q_EMIT textChanged();
}

bool PageTextView::isCurrent() const
{
    // The picture the links were found on is still the one in the box (a failed load may have
    // cleared it since).
    return m_window.Picture1->hasPicture() && m_window.Picture1->image().cacheKey() == m_pictureKey;
}

const PageLink *PageTextView::linkAt(const QPoint &boxPos) const
{
    if (!isCurrent()) {
        return nullptr;
    }
    const PictureBox *box = m_window.Picture1;
    const QPoint inside = boxPos - box->contentsRect().topLeft();
    if (inside.x() < 0 || inside.y() < 0 || !box->contentsRect().contains(boxPos)) {
        return nullptr;
    }
    // The box draws each picture pixel as a block of this many of its own (logical) pixels.
    const qreal scale = box->devicePixelsPerPicturePixel() / box->devicePixelRatioF();
    const QPoint pixel(int(inside.x() / scale), int(inside.y() / scale));
    for (const PageLink &link : m_links) {
        if (link.rect.contains(pixel)) {
            return &link;
        }
    }
    return nullptr;
}

void PageTextView::updatePointer(const QPoint &boxPos)
{
    const bool pointing = linkAt(boxPos) != nullptr;
    if (pointing == m_pointing) {
        return;
    }
    m_pointing = pointing;
    if (pointing) {
        m_window.Picture1->setCursor(Qt::PointingHandCursor);
    } else {
        m_window.Picture1->unsetCursor();
        QToolTip::hideText();
    }
}

bool PageTextView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window.Picture1) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        updatePointer(static_cast<QMouseEvent *>(event)->position().toPoint());
        break;
    case QEvent::Leave:
        updatePointer({-1, -1});
        break;
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        if (const PageLink *link = linkAt(help->pos())) {
            QToolTip::showText(help->globalPos(), QStringLiteral("Vai a pagina %1").arg(link->page), m_window.Picture1);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton) {
            break;
        }
        if (const PageLink *link = linkAt(mouse->position().toPoint())) {
            const int page = link->page;
            qCInfo(lcText) << "link to page" << page << "followed";
            // As if typed into the page box and confirmed.
            m_window.pagpagiscopo->setText(QString::number(page));
            m_window.vai_Click();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void PageTextView::copyText()
{
    if (m_text.isEmpty() || !isCurrent()) {
        qCDebug(lcText) << "no text to copy";
        return;
    }
    m_window.platform().copyText(m_text);
}

void PageTextView::accessibilityActiveChanged(bool)
{
    // Accessibility can come on after the page was read (Qt's bridge learns its bus's address from
    // an answer that may come after the first page): describe the page shown now, not from the next.
    setDescription(m_text);
}

void PageTextView::setDescription(const QString &text)
{
    // Only a screen reader asks for it, and a page's text is long to hand to every listener.
    if (QAccessible::isActive() || !m_window.Picture1->accessibleDescription().isEmpty()) {
        m_window.Picture1->setAccessibleDescription(QAccessible::isActive() ? text : QString());
    }
}
