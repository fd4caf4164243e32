// The subpage-interval dialog's handlers.

#include "modes/ModesLog.h"
#include "modes/Timers.h"
#include "navigation/PageNumbers.h"
#include "platform/Platform.h"
#include "windows/Controls.h"
#include "windows/Form2.h"
#include "windows/KeyAscii.h"
#include "windows/formpagiscopo.h"

#include <QLineEdit>
#include <QTimer>

void Form2::Form_Load()
{
    Text1->setText(QString::number(m_main.scrollIntervalMs != 0 ? m_main.scrollIntervalMs / 1000 : 10));
}

void Form2::Text1_KeyPress(short &KeyAscii)
{
    acceptDigitsOnly(KeyAscii, [this] { m_main.platform().beep(); });
}

void Form2::cambia_Click()
{
    if (!Text1->text().isEmpty()) {
        const std::optional<qint64> seconds = decimalValue(Text1->text());
        if (seconds) {
            m_main.scrollIntervalMs = *seconds * 1000;
            m_main.Timer2->setInterval(int(m_main.scrollIntervalMs));
            // Restarted, so the new interval counts from now; it scrolls even with scorri1 clear.
            setTimerEnabled(m_main.Timer2, false);
            setTimerEnabled(m_main.Timer2, true);
            m_main.scorri1->setText(QStringLiteral("Auto scorrimento sottopagine (") + Text1->text() +
                                    QStringLiteral(" sec.)"));
        } else {
            qCWarning(lcModes) << "interval" << Text1->text() << "is no number; nothing changed";
        }
    }
    accept();
}
