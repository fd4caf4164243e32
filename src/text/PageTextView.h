#pragma once

#include "text/PageLinks.h"

#include <QAccessible>
#include <QObject>
#include <QString>

class QAction;
class QPoint;
class QImage;
class TextRecogniser;
class formpagiscopo;

// What the main window does with the text read from the page shown: the page numbers on it
// become links (a pointing hand, a tip, a click that goes there as if typed), "Copia testo" puts
// the text on the clipboard, and a screen reader finds the text as the picture's description.
class PageTextView : public QObject, private QAccessible::ActivationObserver
{
    Q_OBJECT

public:
    // The digits learned are kept in `settingsPath`; `language` is the recogniser's data.
    PageTextView(formpagiscopo &window, QString settingsPath, QString language = QStringLiteral("ita"));
    ~PageTextView() override;

    QAction *copyTextAction() const { return m_copyText; }
    const QList<PageLink> &links() const { return m_links; }
    const QString &text() const { return m_text; }
    // Whether the page shown is still being read; pageRead() follows.
    bool isReading() const { return m_reading != 0; }
    // The link under a point of the picture box, if any.
    const PageLink *linkAt(const QPoint &boxPos) const;

    void copyText();

Q_SIGNALS:
    // The newest page's links and text have been read (either may be empty).
    void linksChanged();
    void textChanged();
    // The newest page has been read to its end, with or without text.
    void pageRead();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pageShown(const QString &page, const QImage &picture);
    void forget();
    bool isCurrent() const;
    void updatePointer(const QPoint &boxPos);
    void setDescription(const QString &text);
    void accessibilityActiveChanged(bool active) override;

    formpagiscopo &m_window;
    TextRecogniser *m_recogniser = nullptr;
    QAction *m_copyText = nullptr;
    quint64 m_reading = 0;
    qint64 m_pictureKey = 0;
    QList<PageLink> m_links;
    QString m_text;
    bool m_pointing = false;
};
