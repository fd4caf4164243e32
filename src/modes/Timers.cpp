// Auto-refresh and subpage auto-scroll of the main window.

#include "modes/Timers.h"

#include "customButton/customButton.h"
#include "modes/ModesLog.h"
#include "navigation/PageNumbers.h"
#include "windows/Controls.h"
#include "windows/Form2.h"
#include "windows/formpagiscopo.h"

#include <QTimer>

void setTimerEnabled(QTimer *timer, bool enabled)
{
    if (enabled && timer->interval() > 0) {
        timer->start();
    } else {
        timer->stop();
    }
}

bool formpagiscopo::skipTickDuringLoad(const char *timer) const
{
    // A slow server must not pile up loads: the load still running will show the page anyway.
    if (loadRunning()) {
        qCDebug(lcModes) << timer << "tick skipped: a page load is still running";
        return true;
    }
    return false;
}

void formpagiscopo::Timer1_Timer()
{
    if (skipTickDuringLoad("auto-refresh")) {
        return;
    }
    LoadPageUnattended();
}

void formpagiscopo::Refresh1_Click()
{
    if (autoRefreshOn) {
        setTimerEnabled(Timer1, false);
        autoRefreshOn = false;
        Refresh1->setCaption(QStringLiteral("attiva auto-refresh"));
    } else {
        setTimerEnabled(Timer1, true);
        autoRefreshOn = true;
        Refresh1->setCaption(QStringLiteral("ferma auto-refresh"));
    }
}

void formpagiscopo::scorri1_Click()
{
    setTimerEnabled(Timer2, scorri1->checkState() == Qt::Checked);
}

void formpagiscopo::Timer2_Timer()
{
    if (skipTickDuringLoad("auto-scroll")) {
        return;
    }
    // An empty box counts as subpage 1; the loader's fallback to subpage 1 closes the cycle.
    setSubpageText(nextSubpageText(subpageText()));
    LoadPageUnattended();
}

void formpagiscopo::scorri1_KeyPress(short &KeyAscii)
{
    if (KeyAscii != 'm') {
        return;
    }
    if (Check1->checkState() == Qt::Checked) {
        Check1->setChecked(false);
    }
    Form2 dialog(*this);
    dialog.exec();
}
