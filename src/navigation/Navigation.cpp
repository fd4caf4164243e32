// The six commands that move between pages and subpages. Each sets the texts, then loads once.

#include "navigation/NavigationLog.h"
#include "navigation/PageNumbers.h"
#include "windows/formpagiscopo.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

Q_LOGGING_CATEGORY(lcNavigation, "pagiscopo.navigation", QtInfoMsg)

namespace
{

void logUnusableText(const char *command, const char *box, const QString &text)
{
    if (!decimalValue(text)) {
        qCDebug(lcNavigation) << command << "stepped the" << box << "text" << text << "which is no number";
    }
}

} // namespace

void formpagiscopo::avanti_Click()
{
    searchForward = true;
    if (subpageText() != kFirstSubpage) {
        setSubpageText(kFirstSubpage);
    }
    logUnusableText("next page", "page", pagpagiscopo->text());
    pagpagiscopo->setText(nextPageText(pagpagiscopo->text()));
    LoadPage();
}

void formpagiscopo::indietro_Click()
{
    searchForward = false;
    logUnusableText("previous page", "page", pagpagiscopo->text());
    pagpagiscopo->setText(previousPageText(pagpagiscopo->text()));
    LoadPage();
}

void formpagiscopo::nextsottopag_Click()
{
    logUnusableText("next subpage", "subpage", subpageText());
    setSubpageText(nextSubpageText(subpageText()));
    LoadPage();
}

void formpagiscopo::backsottopag_Click()
{
    logUnusableText("previous subpage", "subpage", subpageText());
    const QString previous = previousSubpageText(subpageText());
    if (previous != subpageText()) {
        setSubpageText(previous);
    }
    LoadPage();
}

void formpagiscopo::vai_Click()
{
    LoadPage();
}

void formpagiscopo::numsottopag_Click()
{
    LoadPage();
}

namespace
{

// The subpage list reports a pick (activated) also when the box loses the focus holding typed
// text that matches an entry. That is typing, not a pick: this tells the two apart.
class SubpageFocusWatch : public QObject
{
public:
    explicit SubpageFocusWatch(QComboBox *box) : QObject(box) { box->installEventFilter(this); }
    bool leaving() const { return m_leaving; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Opening the list moves the focus to it without any of that.
        if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
            m_leaving = true;
            // The box handles its focus-out, and reports the pick if any, within this turn.
            QTimer::singleShot(0, this, [this] { m_leaving = false; });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_leaving = false;
};

} // namespace

void formpagiscopo::connectSubpageList()
{
    auto *focusWatch = new SubpageFocusWatch(numsottopag);
    connect(numsottopag, &QComboBox::activated, this, [this, focusWatch] {
        if (focusWatch->leaving()) {
            qCDebug(lcNavigation) << "typed subpage" << subpageText() << "left behind; not a pick";
            return;
        }
        numsottopag_Click();
    });
}
