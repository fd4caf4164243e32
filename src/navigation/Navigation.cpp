// The six commands that move between pages and subpages. Each sets the texts, then loads once.

#include "navigation/NavigationLog.h"
#include "navigation/PageNumbers.h"
#include "windows/formpagiscopo.h"

#include <QComboBox>
#include <QLineEdit>

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
    if (subpageText() != QLatin1String("1")) {
        setSubpageText(QStringLiteral("1"));
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
