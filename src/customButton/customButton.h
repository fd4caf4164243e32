#pragma once

// customButton: the custom-drawn push button behind every captioned button of the program.
//
// How a window uses it:
//
//     auto *vai = new customButton(frame);
//     vai->setObjectName(QStringLiteral("vai"));
//     vai->readProperties(bag);            // or initProperties() for a fresh one, before the size
//     vai->setGeometry(72, 24, 33, 33);    // pixels; every resize redraws
//     connect(vai, &customButton::Click, this, &formpagiscopo::vai_Click);
//     vai->setCaption(QStringLiteral("Vai"));
//
// Initialise or restore before giving the size: the resize is what draws a fresh button. A hidden
// widget takes its size (and so draws) when it is first shown. The window shows a button as its
// default one with setDisplayAsDefault(). Signals with reference arguments need direct connections
// (the default within one thread): a handler may change KeyCode, and the button acts on it.
//
// The pictures come from buttonpainter.h; this class keeps the state, the window shape, the access
// key and the input, and shows the retained surface.

#include "buttonpainter.h"
#include "buttonpropertybag.h"

#include <QWidget>

class customButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(quint32 ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(qint32 ButtonType READ ButtonType WRITE setButtonType)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setButtonEnabled)
    Q_PROPERTY(QFont Font READ Font WRITE setButtonFont)
    Q_PROPERTY(qint32 ColorScheme READ ColorScheme WRITE setColorScheme)
    Q_PROPERTY(bool ShowFocusRect READ ShowFocusRect WRITE setShowFocusRect)
    Q_PROPERTY(WId hwnd READ hwnd)

public:
    // Creation: the palette starts from the system colours; nothing is drawn until sized.
    explicit customButton(QWidget *parent = nullptr);
    ~customButton() override;

    // A fresh button with no stored properties: ClassicBevel in system colours, empty caption.
    // Draws nothing; the first resize does.
    void initProperties();
    // Reads the eight stored keys (missing ones take their defaults) and draws the button up.
    // A value of the wrong type stops the restore at that key: returns false and says why in
    // *error; the keys read before it keep their new values.
    bool readProperties(const ButtonPropertyBag &bag, QString *error = nullptr);
    // Writes all eight keys, defaults included, in their fixed order.
    void writeProperties(ButtonPropertyBag &bag) const;

    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 colour);
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 colour);
    qint32 ButtonType() const { return m_buttonType; }
    void setButtonType(qint32 type);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    bool Enabled() const { return m_enabled; }
    void setButtonEnabled(bool enabled);
    QFont Font() const { return m_font; }
    void setButtonFont(const QFont &font);
    qint32 ColorScheme() const { return m_colorScheme; }
    void setColorScheme(qint32 scheme);
    bool ShowFocusRect() const { return m_showFocusRect; }
    void setShowFocusRect(bool show);
    // Asking for the handle gives the button a native window of its own.
    WId hwnd() const;

    // Whether the window shows this button as its default one (looks 2 and 3 emphasise it).
    bool DisplayAsDefault() const { return m_displayAsDefault; }
    void setDisplayAsDefault(bool isDefault);
    // The window's inherited look changed: repaint as the button stands.
    void AmbientChanged(const QString &name = QString());

    // Paints the button in state 0 (up) or 2 (down); unforced calls with an unchanged state and
    // caption do nothing.
    void Redraw(quint8 state, bool force);

    quint8 LastState() const { return m_lastState; }
    quint8 LastButton() const { return m_lastButton; }
    QChar accessKey() const { return m_accessKey; }
    const ButtonPalette &palette() const { return m_palette; }
    QRegion ShapeRegion() const { return m_shapeRegion; }
    const ButtonSurface &surface() const { return m_surface; }
    // Counts the pictures drawn; lets a caller tell whether a Redraw call drew.
    quint64 drawCount() const { return m_drawCount; }

    // The window activates the button by its access key (Alt plus the key is handled here
    // already): raises Click only if the last press was a left one or a space.
    void accessKeyPressed();
    // The press assistive technology makes: raises Click when enabled, whatever came before.
    void accessiblePress();

Q_SIGNALS:
    void Click();
    // Button: 1 left, 2 right, 4 middle; Shift: 1 Shift, 2 Ctrl, 4 Alt; X, Y in pixels.
    void MouseDown(short &Button, short &Shift, float &X, float &Y);
    void MouseMove(short &Button, short &Shift, float &X, float &Y);
    void MouseUp(short &Button, short &Shift, float &X, float &Y);
    void KeyPress(short &KeyAscii);
    // A handler may change KeyCode; the button acts on the value it leaves.
    void KeyDown(short &KeyCode, short &Shift);
    void KeyUp(short &KeyCode, short &Shift);
    // A stored property changed ("BCOL", "TX", ...): the window should save it again.
    void PropertyChanged(const QString &key);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Resize();
    void SetColors();
    void MakeRegion();
    void SetAccessKey();

    void mouseDownProcedure(short button, short shift, float x, float y);
    void mouseUpProcedure(short button, short shift, float x, float y);
    void clickProcedure();
    void moveFocusLater(bool forward);
    void applyEnabled();

    ButtonSurface m_surface;
    ButtonPalette m_palette;
    ButtonLayout m_layout;
    QRegion m_shapeRegion;
    QString m_caption;
    QString m_lastCaption;
    QFont m_font;
    QChar m_accessKey;
    int m_accessShortcutId = 0;
    qint32 m_buttonType = 0;
    qint32 m_colorScheme = 0;
    int m_w = 0;
    int m_h = 0;
    quint32 m_backColor = 0;
    quint32 m_foreColor = 0;
    quint64 m_drawCount = 0;
    quint8 m_lastButton = 1;
    // Wider than a key code needs: a KeyDown handler may leave any 16-bit value in it.
    short m_lastKey = 0;
    quint8 m_lastState = ButtonState::Up;
    bool m_enabled = false;
    bool m_hasFocus = false;
    bool m_showFocusRect = false;
    bool m_displayAsDefault = false;
    bool m_releaseEndsDoubleClick = false;
    bool m_applyingEnabled = false;
};
