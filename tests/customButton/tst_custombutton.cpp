// The button as a window sees it: properties by name, persistence, redraw rules, the events of
// mouse, keyboard, access key and focus, and what assistive technology gets.

#include "customButton/customButton.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

namespace
{

// Logs every event of a button as short words, with the drawn state after each input.
class EventLog : public QObject
{
public:
    explicit EventLog(customButton *button) : m_button(button)
    {
        connect(button, &customButton::Click, this, [this] { m_words << QStringLiteral("Click"); });
        connect(button, &customButton::MouseDown, this,
                [this](short &b, short &, float &, float &) { m_words << QStringLiteral("Down%1").arg(b); });
        connect(button, &customButton::MouseMove, this,
                [this](short &b, short &, float &, float &) { m_words << QStringLiteral("Move%1").arg(b); });
        connect(button, &customButton::MouseUp, this,
                [this](short &b, short &, float &, float &) { m_words << QStringLiteral("Up%1").arg(b); });
        connect(button, &customButton::KeyDown, this,
                [this](short &k, short &) { m_words << QStringLiteral("KeyDown%1").arg(k); });
        connect(button, &customButton::KeyPress, this,
                [this](short &k) { m_words << QStringLiteral("KeyPress%1").arg(k); });
        connect(button, &customButton::KeyUp, this,
                [this](short &k, short &) { m_words << QStringLiteral("KeyUp%1").arg(k); });
    }
    void markState() { m_words << QStringLiteral("[%1]").arg(m_button->LastState()); }
    QString text() const { return m_words.join(QLatin1Char(' ')); }
    int count(const QString &word) const { return int(m_words.count(word)); }

private:
    customButton *m_button;
    QStringList m_words;
};

void mouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, QPoint pos, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void key(QWidget *w, QEvent::Type type, Qt::Key k, const QString &text, bool autoRepeat = false)
{
    QKeyEvent event(type, k, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(w, &event);
}

// Runs a script of inputs: "pL:x,y" press, "rL:x,y" release, "mL:x,y" move holding, "m:x,y" move
// with no button, "dL:x,y" double click (L, R or M); "kp:space", "kr:space", "ka:space" (auto
// repeat), "kp:a", "kr:a", "kp:enter".
void play(customButton *b, EventLog &log, const QStringList &script)
{
    Qt::MouseButtons held;
    for (const QString &step : script) {
        const QString verb = step.section(QLatin1Char(':'), 0, 0);
        const QString arg = step.section(QLatin1Char(':'), 1);
        if (verb.startsWith(QLatin1Char('k'))) {
            const bool space = arg == QLatin1String("space");
            const bool enter = arg == QLatin1String("enter");
            const Qt::Key k = space ? Qt::Key_Space : enter ? Qt::Key_Return : Qt::Key_A;
            const QString text = space ? QStringLiteral(" ") : enter ? QStringLiteral("\r") : QStringLiteral("a");
            if (verb == QLatin1String("kp") || verb == QLatin1String("ka")) {
                key(b, QEvent::KeyPress, k, text, verb == QLatin1String("ka"));
            } else {
                key(b, QEvent::KeyRelease, k, text);
            }
        } else {
            const QPoint pos(arg.section(QLatin1Char(','), 0, 0).toInt(), arg.section(QLatin1Char(','), 1).toInt());
            const QChar which = verb.size() > 1 ? verb.at(1) : QChar();
            const Qt::MouseButton button = which == QLatin1Char('L')   ? Qt::LeftButton
                                           : which == QLatin1Char('R') ? Qt::RightButton
                                           : which == QLatin1Char('M') ? Qt::MiddleButton
                                                                       : Qt::NoButton;
            switch (verb.at(0).toLatin1()) {
            case 'p':
                held |= button;
                mouse(b, QEvent::MouseButtonPress, button, pos, held);
                break;
            case 'd':
                held |= button;
                mouse(b, QEvent::MouseButtonDblClick, button, pos, held);
                break;
            case 'r':
                held &= ~Qt::MouseButtons(button);
                mouse(b, QEvent::MouseButtonRelease, button, pos, held);
                break;
            case 'm':
                mouse(b, QEvent::MouseMove, Qt::NoButton, pos, held);
                break;
            default:
                QTest::qFail("unknown step", __FILE__, __LINE__);
            }
        }
        log.markState();
    }
}

struct Window {
    QWidget window;
    customButton *button = new customButton(&window);

    Window()
    {
        window.resize(200, 80);
        button->initProperties();
        button->setGeometry(10, 10, 97, 25);
    }
    bool showActive()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

} // namespace

class TestCustomButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshButton_isClassicBevelInSystemColours();
    void properties_areWritableByNameAndNotifyTheirKey_data();
    void properties_areWritableByNameAndNotifyTheirKey();
    void backColor_showsOnlyUnderCustomColors();
    void buttonType_rebuildsShapeAndDrawsUp();
    void persistence_saveThenRestoreRoundTrips();
    void persistence_emptyBagEqualsInitialise();
    void persistence_lowerCaseKeysRestoreTheSame();
    void persistence_badValueStopsRestoreAtThatKey();
    void redraw_unforcedWithSameStateDrawsOnce();
    void redraw_zeroHeightNeverDraws();
    void input_sequences_data();
    void input_sequences();
    void heldSpace_drawsDownOnce();
    void keyDownHandler_decidesWhatTheKeyDoes();
    void unusedKeys_goOnToTheWindow_data();
    void unusedKeys_goOnToTheWindow();
    void escape_closesTheDialogWhileTheButtonHasTheFocus();
    void click_showsReleasedPictureBeforeHandler();
    void accessKey_altLetterClicks();
    void accessKey_afterRightClickDoesNothing();
    void arrows_moveFocusThroughTabOrder();
    void focus_redrawsWithFocusIndication();
    void displayAsDefault_changeRedraws();
    void disabled_raisesNothing();
    void setEnabledOnWidget_meansEnabledProperty();
    void accessibility_pushButtonNamedByCaption();
};

void TestCustomButton::freshButton_isClassicBevelInSystemColours()
{
    Window w;
    QVERIFY(w.showActive());
    customButton *b = w.button;
    QCOMPARE(b->ButtonType(), 2);
    QCOMPARE(b->ColorScheme(), 1);
    QCOMPARE(b->Caption(), QString());
    QVERIFY(b->Enabled());
    QVERIFY(b->ShowFocusRect());
    const ButtonColor face = fromQColor(QGuiApplication::palette().color(QPalette::Button));
    QCOMPARE(b->BackColor(), face);
    QCOMPARE(b->surface().width(), 97);
    QCOMPARE(b->surface().pixel(50, 12), face);
    QCOMPARE(b->surface().pixel(96, 12), b->palette().DarkShadowColor);
    QCOMPARE(b->ShapeRegion(), QRegion(0, 0, 97, 25));
}

void TestCustomButton::properties_areWritableByNameAndNotifyTheirKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("key");
    QTest::newRow("Caption") << QStringLiteral("Caption") << QVariant(QStringLiteral("Notizie"))
                             << QStringLiteral("TX");
    QTest::newRow("BackColor") << QStringLiteral("BackColor") << QVariant(0xFFC0C0) << QStringLiteral("BCOL");
    QTest::newRow("ForeColor") << QStringLiteral("ForeColor") << QVariant(0x0000FF) << QStringLiteral("FCOL");
    QTest::newRow("ButtonType") << QStringLiteral("ButtonType") << QVariant(3) << QStringLiteral("BTYPE");
    QTest::newRow("Enabled") << QStringLiteral("Enabled") << QVariant(false) << QStringLiteral("ENAB");
    QTest::newRow("Font") << QStringLiteral("Font") << QVariant(QFont(QStringLiteral("Tahoma"), 9))
                          << QStringLiteral("FONT");
    QTest::newRow("ColorScheme") << QStringLiteral("ColorScheme") << QVariant(3) << QStringLiteral("COLTYPE");
    QTest::newRow("ShowFocusRect") << QStringLiteral("ShowFocusRect") << QVariant(false) << QStringLiteral("FOCUSR");
}

void TestCustomButton::properties_areWritableByNameAndNotifyTheirKey()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QFETCH(QString, key);
    Window w;
    QVERIFY(w.showActive());
    QStringList keys;
    connect(w.button, &customButton::PropertyChanged, this, [&keys](const QString &k) { keys << k; });
    const quint64 before = w.button->drawCount();
    QVERIFY(w.button->setProperty(name.toLatin1().constData(), value));
    QCOMPARE(w.button->property(name.toLatin1().constData()), value);
    QCOMPARE(keys, QStringList(key));
    QVERIFY(w.button->drawCount() > before);
}

void TestCustomButton::backColor_showsOnlyUnderCustomColors()
{
    Window w;
    QVERIFY(w.showActive());
    customButton *b = w.button;
    b->setButtonType(7);
    const ButtonColor systemFace = b->surface().pixel(50, 12);
    b->setBackColor(0x123456);
    QCOMPARE(b->surface().pixel(50, 12), systemFace);
    b->setColorScheme(2);
    QCOMPARE(b->surface().pixel(50, 12), 0x123456u);
    b->setBackColor(0x654321);
    QCOMPARE(b->surface().pixel(50, 12), 0x654321u);
}

void TestCustomButton::buttonType_rebuildsShapeAndDrawsUp()
{
    Window w;
    QVERIFY(w.showActive());
    customButton *b = w.button;
    mouse(b, QEvent::MouseButtonPress, Qt::LeftButton, {5, 5}, Qt::LeftButton);
    QCOMPARE(b->LastState(), ButtonState::Down);
    b->setButtonType(3);
    QCOMPARE(b->LastState(), ButtonState::Up);
    QCOMPARE(b->ShapeRegion(), regionForLook(3, 97, 25));
    QCOMPARE(b->mask(), regionForLook(3, 97, 25));
    QVERIFY(!b->mask().contains(QPoint(1, 0)));
}

void TestCustomButton::persistence_saveThenRestoreRoundTrips()
{
    Window w;
    customButton *b = w.button;
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    b->setButtonType(5);
    b->setCaption(QStringLiteral("&Assegna!"));
    b->setButtonEnabled(false);
    b->setButtonFont(font);
    b->setColorScheme(2);
    b->setShowFocusRect(false);
    b->setBackColor(0xD8E9EC);
    b->setForeColor(0x8000000F); // a system-colour code is kept as it is
    ButtonPropertyBag bag;
    b->writeProperties(bag);
    QCOMPARE(bag.names(), (QStringList{QStringLiteral("BTYPE"), QStringLiteral("TX"), QStringLiteral("ENAB"),
                                       QStringLiteral("FONT"), QStringLiteral("COLTYPE"), QStringLiteral("FOCUSR"),
                                       QStringLiteral("BCOL"), QStringLiteral("FCOL")}));

    Window other;
    QVERIFY(other.button->readProperties(bag));
    customButton *r = other.button;
    QCOMPARE(r->ButtonType(), 5);
    QCOMPARE(r->Caption(), QStringLiteral("&Assegna!"));
    QCOMPARE(r->Enabled(), false);
    QVERIFY(!r->isEnabled());
    QCOMPARE(r->Font(), font);
    QCOMPARE(r->ColorScheme(), 2);
    QCOMPARE(r->ShowFocusRect(), false);
    QCOMPARE(r->BackColor(), 0xD8E9ECu);
    QCOMPARE(r->ForeColor(), 0x8000000Fu);
    QCOMPARE(r->accessKey(), QChar(u'a'));
    QCOMPARE(r->palette().FaceColor, 0xD8E9ECu);

    // Saving a button whose values are all defaults still writes all eight keys.
    Window fresh;
    ButtonPropertyBag defaults;
    fresh.button->writeProperties(defaults);
    QCOMPARE(defaults.names().size(), 8);
}

void TestCustomButton::persistence_emptyBagEqualsInitialise()
{
    Window initialised;
    Window restored;
    QVERIFY(restored.showActive());
    const quint64 before = restored.button->drawCount();
    QVERIFY(restored.button->readProperties(ButtonPropertyBag()));
    QCOMPARE(restored.button->drawCount(), before + 1);
    ButtonPropertyBag a;
    ButtonPropertyBag b;
    initialised.button->writeProperties(a);
    restored.button->writeProperties(b);
    for (const QString &name : a.names()) {
        QCOMPARE(b.read(name), a.read(name));
    }
}

void TestCustomButton::persistence_lowerCaseKeysRestoreTheSame()
{
    ButtonPropertyBag lower;
    lower.write(QStringLiteral("btype"), 4);
    lower.write(QStringLiteral("tx"), QStringLiteral("About"));
    lower.write(QStringLiteral("coltype"), 2);
    lower.write(QStringLiteral("bcol"), 0xD8E9EC);
    lower.write(QStringLiteral("focusr"), false);
    Window w;
    QVERIFY(w.button->readProperties(lower));
    QCOMPARE(w.button->ButtonType(), 4);
    QCOMPARE(w.button->Caption(), QStringLiteral("About"));
    QCOMPARE(w.button->ColorScheme(), 2);
    QCOMPARE(w.button->BackColor(), 0xD8E9ECu);
    QCOMPARE(w.button->ShowFocusRect(), false);
    QCOMPARE(w.button->Enabled(), true);
}

void TestCustomButton::persistence_badValueStopsRestoreAtThatKey()
{
    ButtonPropertyBag bag;
    bag.write(QStringLiteral("BTYPE"), 5);
    bag.write(QStringLiteral("ENAB"), QStringLiteral("forse"));
    bag.write(QStringLiteral("COLTYPE"), 3);
    Window w;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ENAB")));
    QString error;
    QVERIFY(!w.button->readProperties(bag, &error));
    QVERIFY(error.contains(QLatin1String("ENAB")));
    QCOMPARE(w.button->ButtonType(), 5);  // read before the failing key
    QCOMPARE(w.button->ColorScheme(), 1); // after it: untouched
}

void TestCustomButton::redraw_unforcedWithSameStateDrawsOnce()
{
    Window w;
    QVERIFY(w.showActive());
    customButton *b = w.button;
    b->setCaption(QStringLiteral("vai"));
    const quint64 start = b->drawCount();
    b->Redraw(ButtonState::Down, false);
    b->Redraw(ButtonState::Down, false);
    QCOMPARE(b->drawCount(), start + 1);
    b->Redraw(ButtonState::Down, true);
    QCOMPARE(b->drawCount(), start + 2);
    b->setCaption(QStringLiteral("Vai"));
    QCOMPARE(b->drawCount(), start + 3);
    QCOMPARE(b->LastState(), ButtonState::Up);
    b->Redraw(ButtonState::Up, false);
    QCOMPARE(b->drawCount(), start + 3);
}

void TestCustomButton::redraw_zeroHeightNeverDraws()
{
    QWidget host;
    host.resize(200, 80);
    auto *b = new customButton(&host);
    b->initProperties();
    b->setGeometry(0, 0, 97, 0);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    b->Redraw(ButtonState::Up, true);
    b->setCaption(QStringLiteral("Vai"));
    b->setButtonType(3);
    QCOMPARE(b->drawCount(), quint64(0));
    QCOMPARE(b->ButtonType(), 3);
    QCOMPARE(b->accessKey(), QChar());
}

void TestCustomButton::input_sequences_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("expected");
    const auto s = [](const char *text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };

    QTest::newRow("left click") << s("pL:10,10 rL:10,10") << QStringLiteral("Down1 [2] Up1 Click [0]");
    QTest::newRow("drag out and back in")
        << s("pL:10,10 mL:150,10 mL:96,24 rL:96,24") << QStringLiteral("Down1 [2] Move1 [0] Move1 [2] Up1 Click [0]");
    QTest::newRow("edge counts as inside")
        << s("pL:10,10 mL:97,25 rL:50,5") << QStringLiteral("Down1 [2] Move1 [2] Up1 Click [0]");
    QTest::newRow("release outside") << s("pL:10,10 mL:150,10 rL:150,10")
                                     << QStringLiteral("Down1 [2] Move1 [0] Up1 [0]");
    QTest::newRow("right click") << s("pR:10,10 rR:10,10") << QStringLiteral("Down2 [0] Up2 [0]");
    QTest::newRow("middle button held outside")
        << s("pM:10,10 mM:150,10 rM:150,10") << QStringLiteral("Down4 [2] Move4 [2] Up4 [0]");
    QTest::newRow("middle click") << s("pM:10,10 rM:10,10") << QStringLiteral("Down4 [2] Up4 [0]");
    QTest::newRow("move without button") << s("m:10,10") << QStringLiteral("Move0 [0]");
    QTest::newRow("double click") << s("pL:10,10 rL:10,10 dL:10,10 rL:10,10")
                                  << QStringLiteral("Down1 [2] Up1 Click [0] Down1 [2] Up1 [0]");
    QTest::newRow("right double click") << s("pR:10,10 rR:10,10 dR:10,10 rR:10,10")
                                        << QStringLiteral("Down2 [0] Up2 [0] [0] Up2 [0]");
    QTest::newRow("space") << s("kp:space kr:space")
                           << QStringLiteral("KeyDown32 Down1 KeyPress32 [2] KeyUp32 Up1 Click [0]");
    QTest::newRow("space, another key, release space")
        << s("kp:space kp:a kr:a kr:space")
        << QStringLiteral("KeyDown32 Down1 KeyPress32 [2] KeyDown65 KeyPress97 [2] KeyUp65 [2] KeyUp32 [0]");
    QTest::newRow("held space repeats the press") << s("kp:space ka:space ka:space kr:space")
                                                  << QStringLiteral("KeyDown32 Down1 KeyPress32 [2] KeyDown32 Down1 "
                                                                    "KeyPress32 [2] KeyDown32 Down1 KeyPress32 [2] "
                                                                    "KeyUp32 Up1 Click [0]");
    QTest::newRow("enter is an ordinary key")
        << s("kp:enter kr:enter") << QStringLiteral("KeyDown13 KeyPress13 [0] KeyUp13 [0]");
    QTest::newRow("space clicks after a right click") << s("pR:10,10 rR:10,10 kp:space kr:space")
                                                      << QStringLiteral("Down2 [0] Up2 [0] KeyDown32 Down1 KeyPress32 "
                                                                        "[2] KeyUp32 Up1 Click [0]");
}

void TestCustomButton::input_sequences()
{
    QFETCH(QStringList, script);
    QFETCH(QString, expected);
    Window w;
    QVERIFY(w.showActive());
    EventLog log(w.button);
    play(w.button, log, script);
    QCOMPARE(log.text(), expected);
}

void TestCustomButton::heldSpace_drawsDownOnce()
{
    Window w;
    QVERIFY(w.showActive());
    const quint64 start = w.button->drawCount();
    key(w.button, QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "));
    for (int i = 0; i < 5; ++i) {
        key(w.button, QEvent::KeyPress, Qt::Key_Space, QStringLiteral(" "), true);
    }
    QCOMPARE(w.button->drawCount(), start + 1);
}

void TestCustomButton::keyDownHandler_decidesWhatTheKeyDoes()
{
    Window w;
    QVERIFY(w.showActive());
    EventLog log(w.button);
    // The handler swallows space and turns the letter a into space.
    connect(w.button, &customButton::KeyDown, this, [](short &keyCode, short &) {
        keyCode = keyCode == 32 ? 0 : keyCode == 65 ? 32 : keyCode;
    });
    connect(w.button, &customButton::KeyUp, this,
            [](short &keyCode, short &) { keyCode = keyCode == 65 ? 32 : keyCode; });
    play(w.button, log, {QStringLiteral("kp:space"), QStringLiteral("kr:space")});
    QCOMPARE(log.text(), QStringLiteral("KeyDown32 KeyPress32 [0] KeyUp32 [0]"));
    play(w.button, log, {QStringLiteral("kp:a"), QStringLiteral("kr:a")});
    QCOMPARE(log.count(QStringLiteral("Click")), 1);
}

namespace
{

// A window that notes the keys its controls leave to it.
class KeyWindow : public QWidget
{
public:
    QStringList keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys << QStringLiteral("press%1").arg(event->key()); }
    void keyReleaseEvent(QKeyEvent *event) override { keys << QStringLiteral("release%1").arg(event->key()); }
};

} // namespace

void TestCustomButton::unusedKeys_goOnToTheWindow_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("events");
    QTest::addColumn<bool>("reachesWindow");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << QStringLiteral("\x1b")
                            << QStringLiteral("KeyDown27 KeyPress27 KeyUp27") << true;
    QTest::newRow("Enter") << int(Qt::Key_Return) << QStringLiteral("\r")
                           << QStringLiteral("KeyDown13 KeyPress13 KeyUp13") << true;
    QTest::newRow("letter m") << int(Qt::Key_M) << QStringLiteral("m")
                              << QStringLiteral("KeyDown77 KeyPress109 KeyUp77") << true;
    QTest::newRow("F5") << int(Qt::Key_F5) << QString() << QStringLiteral("KeyDown116 KeyUp116") << true;
    QTest::newRow("space") << int(Qt::Key_Space) << QStringLiteral(" ")
                           << QStringLiteral("KeyDown32 Down1 KeyPress32 KeyUp32 Up1 Click") << false;
    QTest::newRow("right arrow") << int(Qt::Key_Right) << QString() << QStringLiteral("KeyDown39 KeyUp39") << false;
    QTest::newRow("up arrow") << int(Qt::Key_Up) << QString() << QStringLiteral("KeyDown38 KeyUp38") << false;
}

void TestCustomButton::unusedKeys_goOnToTheWindow()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    KeyWindow window;
    window.resize(200, 80);
    auto *button = new customButton(&window);
    button->initProperties();
    button->setGeometry(10, 10, 97, 25);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    EventLog log(button);

    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(button, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(button, &release);

    QFETCH(QString, events);
    QCOMPARE(log.text(), events);
    QFETCH(bool, reachesWindow);
    const QStringList expected =
        reachesWindow ? QStringList{QStringLiteral("press%1").arg(key), QStringLiteral("release%1").arg(key)}
                      : QStringList{};
    QCOMPARE(window.keys, expected);
}

void TestCustomButton::escape_closesTheDialogWhileTheButtonHasTheFocus()
{
    QDialog dialog;
    dialog.resize(200, 80);
    auto *button = new customButton(&dialog);
    button->initProperties();
    button->setGeometry(10, 10, 97, 25);
    int clicks = 0;
    connect(button, &customButton::Click, this, [&clicks] { ++clicks; });
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());

    QTest::keyClick(button, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(clicks, 0);
}

void TestCustomButton::click_showsReleasedPictureBeforeHandler()
{
    Window w;
    QVERIFY(w.showActive());
    customButton *b = w.button;
    b->setCaption(QStringLiteral("Vai"));

    // Watch what reaches the screen: the draw count at each paint.
    struct PaintWatch : QObject {
        customButton *button = nullptr;
        quint64 paintedDraw = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) {
                paintedDraw = button->drawCount();
            }
            return false;
        }
    } watch;
    watch.button = b;
    b->installEventFilter(&watch);

    bool checked = false;
    connect(b, &customButton::Click, this, [&] {
        checked = true;
        QCOMPARE(b->LastState(), ButtonState::Up);
        QCOMPARE(watch.paintedDraw, b->drawCount());
    });
    mouse(b, QEvent::MouseButtonPress, Qt::LeftButton, {10, 10}, Qt::LeftButton);
    mouse(b, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10}, Qt::NoButton);
    QVERIFY(checked);
}

void TestCustomButton::accessKey_altLetterClicks()
{
    Window w;
    auto *other = new customButton(&w.window);
    other->initProperties();
    other->setGeometry(10, 40, 97, 25);
    QVERIFY(w.showActive());
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());

    EventLog log(w.button);
    w.button->setCaption(QStringLiteral("&Vai"));
    QTest::keyClick(other, Qt::Key_V, Qt::AltModifier);
    QCOMPARE(log.count(QStringLiteral("Click")), 1);

    w.button->setCaption(QStringLiteral("Save && Exit"));
    QTest::keyClick(other, Qt::Key_V, Qt::AltModifier);
    QTest::keyClick(other, Qt::Key_S, Qt::AltModifier);
    QTest::keyClick(other, Qt::Key_E, Qt::AltModifier);
    QCOMPARE(log.count(QStringLiteral("Click")), 1);

    w.button->setCaption(QStringLiteral("A && &B"));
    QTest::keyClick(other, Qt::Key_B, Qt::AltModifier);
    QCOMPARE(log.count(QStringLiteral("Click")), 2);
}

void TestCustomButton::accessKey_afterRightClickDoesNothing()
{
    Window w;
    QVERIFY(w.showActive());
    w.button->setCaption(QStringLiteral("&Vai"));
    EventLog log(w.button);
    play(w.button, log, {QStringLiteral("pR:10,10"), QStringLiteral("rR:10,10")});
    const quint64 drawn = w.button->drawCount();
    QTest::keyClick(w.button, Qt::Key_V, Qt::AltModifier);
    QCOMPARE(log.count(QStringLiteral("Click")), 0);
    QCOMPARE(w.button->drawCount(), drawn);
    play(w.button, log, {QStringLiteral("pL:10,10"), QStringLiteral("mL:150,10"), QStringLiteral("rL:150,10")});
    QTest::keyClick(w.button, Qt::Key_V, Qt::AltModifier);
    QCOMPARE(log.count(QStringLiteral("Click")), 1);
}

void TestCustomButton::arrows_moveFocusThroughTabOrder()
{
    QWidget window;
    QList<customButton *> buttons;
    for (int i = 0; i < 3; ++i) {
        auto *b = new customButton(&window);
        b->initProperties();
        b->setGeometry(10, 10 + 30 * i, 97, 25);
        buttons << b;
    }
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    buttons[0]->setFocus();
    QTRY_VERIFY(buttons[0]->hasFocus());

    QTest::keyClick(buttons[0], Qt::Key_Right);
    QTRY_VERIFY(buttons[1]->hasFocus());
    QTest::keyClick(buttons[1], Qt::Key_Down);
    QTRY_VERIFY(buttons[2]->hasFocus());
    QTest::keyClick(buttons[2], Qt::Key_Left);
    QTRY_VERIFY(buttons[1]->hasFocus());
    QTest::keyClick(buttons[1], Qt::Key_Up);
    QTRY_VERIFY(buttons[0]->hasFocus());
}

void TestCustomButton::focus_redrawsWithFocusIndication()
{
    Window w;
    auto *other = new customButton(&w.window);
    other->initProperties();
    other->setGeometry(10, 40, 97, 25);
    w.button->setButtonType(7);
    QVERIFY(w.showActive());
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    const ButtonColor face = w.button->palette().FaceColor;
    QCOMPARE(w.button->surface().pixel(4, 4), face);

    w.button->setFocus();
    QTRY_VERIFY(w.button->hasFocus());
    QCOMPARE(w.button->surface().pixel(4, 4), face ^ 0xFFFFFFu);
    w.button->setShowFocusRect(false);
    QCOMPARE(w.button->surface().pixel(4, 4), face);
    w.button->setShowFocusRect(true);
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(w.button->surface().pixel(4, 4), face);
}

void TestCustomButton::displayAsDefault_changeRedraws()
{
    Window w;
    QVERIFY(w.showActive());
    QCOMPARE(w.button->surface().pixel(0, 0), w.button->palette().HighlightColor);
    w.button->setDisplayAsDefault(true);
    QCOMPARE(w.button->surface().pixel(0, 0), w.button->palette().DarkShadowColor);
    w.button->setDisplayAsDefault(false);
    QCOMPARE(w.button->surface().pixel(0, 0), w.button->palette().HighlightColor);
}

void TestCustomButton::disabled_raisesNothing()
{
    Window w;
    QVERIFY(w.showActive());
    w.button->setCaption(QStringLiteral("&Vai"));
    w.button->setProperty("Enabled", false);
    QVERIFY(!w.button->isEnabled());
    EventLog log(w.button);
    play(w.button, log,
         {QStringLiteral("pL:10,10"), QStringLiteral("rL:10,10"), QStringLiteral("kp:space"),
          QStringLiteral("kr:space"), QStringLiteral("m:10,10")});
    QTest::keyClick(&w.window, Qt::Key_V, Qt::AltModifier);
    QCOMPARE(log.text(), QStringLiteral("[0] [0] [0] [0] [0]"));
    // The embossed disabled look of ClassicBevel keeps its plain bevel.
    QCOMPARE(w.button->surface().pixel(0, 0), w.button->palette().HighlightColor);
}

void TestCustomButton::setEnabledOnWidget_meansEnabledProperty()
{
    Window w;
    QVERIFY(w.showActive());
    QStringList keys;
    connect(w.button, &customButton::PropertyChanged, this, [&keys](const QString &k) { keys << k; });
    w.window.setEnabled(false);
    QVERIFY(w.button->Enabled());
    QVERIFY(keys.isEmpty());
    w.window.setEnabled(true);
    w.button->setEnabled(false);
    QVERIFY(!w.button->Enabled());
    QCOMPARE(keys, QStringList(QStringLiteral("ENAB")));
}

void TestCustomButton::accessibility_pushButtonNamedByCaption()
{
    Window w;
    QVERIFY(w.showActive());
    w.button->setCaption(QStringLiteral("Save && &Exit"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w.button);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::PushButton);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Save & Exit"));
    QCOMPARE(iface->text(QAccessible::Accelerator), QStringLiteral("Alt+E"));
    QVERIFY(iface->state().focusable);
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));

    EventLog log(w.button);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(log.count(QStringLiteral("Click")), 1);
    w.button->setButtonEnabled(false);
    QVERIFY(iface->state().disabled);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(log.count(QStringLiteral("Click")), 1);
}

QTEST_MAIN(TestCustomButton)
#include "tst_custombutton.moc"
