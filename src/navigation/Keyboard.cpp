// The keyboard: the window's own keys (key preview) and the keys of the page and subpage boxes.

#include "navigation/NavigationLog.h"
#include "platform/Platform.h"
#include "windows/Controls.h"
#include "windows/KeyAscii.h"
#include "windows/formpagiscopo.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace
{

// Key preview: shows the window every character typed into one of its controls before the control
// gets it, without taking it away from the control.
class KeyPreviewFilter : public QObject
{
public:
    explicit KeyPreviewFilter(formpagiscopo &window) : QObject(&window), m_window(window)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || !m_window.KeyPreview) {
            return false;
        }
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != &m_window) {
            return false;
        }
        // A key the focused control leaves alone climbs on to its parents: look at it only once,
        // on its way to the focused control.
        QWidget *focus = QApplication::focusWidget();
        if (widget != (focus ? focus : &m_window)) {
            return false;
        }
        if (const std::optional<short> key = keyAsciiOf(*static_cast<QKeyEvent *>(event))) {
            short keyAscii = *key;
            m_window.Form_KeyPress(keyAscii);
        }
        return false;
    }

private:
    formpagiscopo &m_window;
};

void toggle(QCheckBox *box)
{
    box->setChecked(box->checkState() != Qt::Checked);
}

} // namespace

void formpagiscopo::connectKeyboard()
{
    new KeyPreviewFilter(*this);
    new KeyPressHook(pagpagiscopo, [this](short &KeyAscii) { pagpagiscopo_KeyPress(KeyAscii); });
    // An editable combo box keeps the focus itself and hands the keys to its line edit.
    new KeyPressHook(numsottopag, [this](short &KeyAscii) { numsottopag_KeyPress(KeyAscii); });
    new KeyPressHook(scorri1, [this](short &KeyAscii) { scorri1_KeyPress(KeyAscii); });

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (old == pagpagiscopo) {
            pagpagiscopo_LostFocus();
        } else if (old == numsottopag) {
            numsottopag_LostFocus();
        }
        if (now == pagpagiscopo) {
            pagpagiscopo_GotFocus();
        } else if (now == numsottopag) {
            numsottopag_GotFocus();
        }
    });
    // Key preview is on at start; the page box takes the focus, and so turns it off, as soon as
    // the window is shown.
}

void formpagiscopo::Form_KeyPress(short &KeyAscii)
{
    switch (KeyAscii) {
    case 'a':
        toggle(Check1);
        break;
    case 's':
        toggle(scorri1);
        break;
    case kEnter:
        vai_Click();
        break;
    case 'z':
        indietro_Click();
        break;
    case 'x':
        avanti_Click();
        break;
    case 'c':
        backsottopag_Click();
        break;
    case 'v':
        nextsottopag_Click();
        break;
    case 'b':
        soloimma_Click();
        break;
    // The digits follow the favourite buttons from left to right.
    case '1':
        OpenFavourite(4);
        break;
    case '2':
        OpenFavourite(5);
        break;
    case '3':
        OpenFavourite(6);
        break;
    case '4':
        OpenFavourite(7);
        break;
    case '5':
        OpenFavourite(3);
        break;
    case '6':
        OpenFavourite(2);
        break;
    case '7':
        OpenFavourite(1);
        break;
    default:
        break;
    }
}

void formpagiscopo::pagpagiscopo_KeyPress(short &KeyAscii)
{
    // The letter keys work here too (the digits go into the box instead of opening favourites).
    switch (KeyAscii) {
    case 'a':
    case 's':
    case kEnter:
    case 'z':
    case 'x':
    case 'c':
    case 'v':
    case 'b': {
        short key = KeyAscii;
        Form_KeyPress(key);
        break;
    }
    default:
        break;
    }
    if (!isDecimalDigit(KeyAscii) && KeyAscii != kBackspace) {
        KeyAscii = 0;
    }
}

void formpagiscopo::numsottopag_KeyPress(short &KeyAscii)
{
    if (KeyAscii == kEnter) {
        LoadPage();
    }
    if (!isDecimalDigit(KeyAscii) && KeyAscii != kBackspace) {
        KeyAscii = 0;
        m_platform.beep();
    }
}

void formpagiscopo::pagpagiscopo_GotFocus()
{
    KeyPreview = false;
}

void formpagiscopo::pagpagiscopo_LostFocus()
{
    KeyPreview = true;
}

void formpagiscopo::numsottopag_GotFocus()
{
    KeyPreview = false;
}

void formpagiscopo::numsottopag_LostFocus()
{
    KeyPreview = true;
}
