#include "customButton.h"

#include "buttonkeys.h"
#include "buttonlog.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QTimer>

#include <cmath>
#include <limits>
#include <optional>

namespace
{

class AccessibleButton : public QAccessibleWidget
{
public:
    explicit AccessibleButton(customButton *button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? displayedCaption(button()->Caption()) : name;
        }
        if (t == QAccessible::Accelerator && !button()->accessKey().isNull()) {
            return QStringLiteral("Alt+") + button()->accessKey().toUpper();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->LastState() == ButtonState::Down;
        s.defaultButton = button()->DisplayAsDefault();
        return s;
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction()) {
            button()->accessiblePress();
        } else {
            QAccessibleWidget::doAction(actionName);
        }
    }

private:
    customButton *button() const { return static_cast<customButton *>(widget()); }
};

QAccessibleInterface *accessibleButtonFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("customButton") && object && object->isWidgetType()) {
        return new AccessibleButton(static_cast<customButton *>(object));
    }
    return nullptr;
}

short buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

short buttonMask(Qt::MouseButtons buttons)
{
    return short((buttons.testFlag(Qt::LeftButton) ? 1 : 0) | (buttons.testFlag(Qt::RightButton) ? 2 : 0) |
                 (buttons.testFlag(Qt::MiddleButton) ? 4 : 0));
}

// Space presses the button and the arrows move the focus; every other key is the window's.
bool isButtonKey(short keyCode)
{
    return keyCode == 32 || (keyCode >= 37 && keyCode <= 40);
}

short shiftMask(Qt::KeyboardModifiers modifiers)
{
    return short((modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
                 (modifiers.testFlag(Qt::AltModifier) ? 4 : 0));
}

// Stored values come from files the windows keep; a value of the wrong type is reported, not
// guessed at. Integers are 32 bits, signed or not (colours such as 0x8000000F are kept as bits).
std::optional<qint32> storedInt(const QVariant &v)
{
    bool ok = false;
    qint64 value = 0;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d)) {
            return std::nullopt;
        }
        value = qint64(std::nearbyint(std::clamp(d, -4.0e9, 5.0e9)));
        ok = true;
        break;
    }
    case QMetaType::ULongLong: {
        const quint64 u = v.toULongLong(&ok);
        ok = ok && u <= std::numeric_limits<quint32>::max();
        value = qint64(u);
        break;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        value = v.toLongLong(&ok);
        break;
    default:
        break;
    }
    if (!ok || value < std::numeric_limits<qint32>::min() || value > qint64(std::numeric_limits<quint32>::max())) {
        return std::nullopt;
    }
    return qint32(quint32(value));
}

std::optional<bool> storedBool(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool) {
        return v.toBool();
    }
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            return false;
        }
    }
    if (const auto i = storedInt(v)) {
        return *i != 0;
    }
    return std::nullopt;
}

std::optional<QString> storedString(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    default:
        if (const auto i = storedInt(v)) {
            return QString::number(*i);
        }
        return std::nullopt;
    }
}

std::optional<QFont> storedFont(const QVariant &v)
{
    if (v.typeId() == QMetaType::QFont) {
        return v.value<QFont>();
    }
    if (v.typeId() == QMetaType::QString) {
        QFont font;
        if (font.fromString(v.toString())) {
            return font;
        }
    }
    return std::nullopt;
}

} // namespace

customButton::customButton(QWidget *parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleButtonFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setFocusPolicy(Qt::StrongFocus);
    // Pointer moves without a button pressed are events of the control too.
    setMouseTracking(true);

    m_lastButton = 1;
    m_layout.TextRectDown.left = 2;
    m_layout.TextRectDown.top = 2;
    SetColors();
}

// The window system owns the applied shape and the surface is a value: nothing to release.
customButton::~customButton() = default;

void customButton::initProperties()
{
    m_enabled = true;
    m_showFocusRect = true;
    m_font = font();
    m_buttonType = ButtonLook::ClassicBevel;
    m_colorScheme = ButtonScheme::SystemColors;
    const QPalette system = QGuiApplication::palette();
    m_backColor = fromQColor(system.color(QPalette::Active, QPalette::Button));
    m_foreColor = fromQColor(system.color(QPalette::Active, QPalette::ButtonText));
}

bool customButton::readProperties(const ButtonPropertyBag &bag, QString *error)
{
    const QPalette system = QGuiApplication::palette();
    const auto fail = [this, error](const char *key, const QVariant &value) {
        const QString message = QStringLiteral("stored property %1 of button %2 has an unusable value %3")
                                    .arg(QLatin1String(key), objectName(), value.toString());
        qCWarning(lcButton).noquote() << message;
        if (error) {
            *error = message;
        }
        return false;
    };
    const auto value = [&bag](const char *key) { return bag.read(QLatin1String(key)); };
    // A key that is missing or holds no value takes its default.
    const auto given = [](const QVariant &v) { return v.isValid() && !v.isNull(); };

    if (const QVariant v = value("BTYPE"); !given(v)) {
        m_buttonType = ButtonLook::ClassicBevel;
    } else if (const auto i = storedInt(v)) {
        m_buttonType = *i;
    } else {
        return fail("BTYPE", v);
    }
    if (const QVariant v = value("TX"); !given(v)) {
        m_caption.clear();
    } else if (const auto s = storedString(v)) {
        m_caption = *s;
    } else {
        return fail("TX", v);
    }
    if (const QVariant v = value("ENAB"); !given(v)) {
        m_enabled = true;
    } else if (const auto b = storedBool(v)) {
        m_enabled = *b;
    } else {
        return fail("ENAB", v);
    }
    if (const QVariant v = value("FONT"); !given(v)) {
        m_font = font();
    } else if (const auto f = storedFont(v)) {
        m_font = *f;
    } else {
        return fail("FONT", v);
    }
    if (const QVariant v = value("COLTYPE"); !given(v)) {
        m_colorScheme = ButtonScheme::SystemColors;
    } else if (const auto i = storedInt(v)) {
        m_colorScheme = *i;
    } else {
        return fail("COLTYPE", v);
    }
    if (const QVariant v = value("FOCUSR"); !given(v)) {
        m_showFocusRect = true;
    } else if (const auto b = storedBool(v)) {
        m_showFocusRect = *b;
    } else {
        return fail("FOCUSR", v);
    }
    if (const QVariant v = value("BCOL"); !given(v)) {
        m_backColor = fromQColor(system.color(QPalette::Active, QPalette::Button));
    } else if (const auto i = storedInt(v)) {
        m_backColor = quint32(*i);
    } else {
        return fail("BCOL", v);
    }
    if (const QVariant v = value("FCOL"); !given(v)) {
        m_foreColor = fromQColor(system.color(QPalette::Active, QPalette::ButtonText));
    } else if (const auto i = storedInt(v)) {
        m_foreColor = quint32(*i);
    } else {
        return fail("FCOL", v);
    }

    applyEnabled();
    QWidget::setFont(m_font);
    SetColors();
    SetAccessKey();
    Redraw(ButtonState::Up, true);
    return true;
}

void customButton::writeProperties(ButtonPropertyBag &bag) const
{
    bag.write(QStringLiteral("BTYPE"), m_buttonType);
    bag.write(QStringLiteral("TX"), m_caption);
    bag.write(QStringLiteral("ENAB"), m_enabled);
    bag.write(QStringLiteral("FONT"), m_font);
    bag.write(QStringLiteral("COLTYPE"), m_colorScheme);
    bag.write(QStringLiteral("FOCUSR"), m_showFocusRect);
    bag.write(QStringLiteral("BCOL"), qint32(m_backColor));
    bag.write(QStringLiteral("FCOL"), qint32(m_foreColor));
}

void customButton::setBackColor(quint32 colour)
{
    m_backColor = colour;
    SetColors();
    Redraw(m_lastState, true);
    Q_EMIT PropertyChanged(QStringLiteral("BCOL"));
}

void customButton::setForeColor(quint32 colour)
{
    m_foreColor = colour;
    SetColors();
    Redraw(m_lastState, true);
    Q_EMIT PropertyChanged(QStringLiteral("FCOL"));
}

void customButton::setButtonType(qint32 type)
{
    m_buttonType = type;
    Resize();
    Redraw(ButtonState::Up, true);
    Q_EMIT PropertyChanged(QStringLiteral("BTYPE"));
}

void customButton::setCaption(const QString &caption)
{
    m_caption = caption;
    SetAccessKey();
    Redraw(ButtonState::Up, true);
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    Q_EMIT PropertyChanged(QStringLiteral("TX"));
}

void customButton::setButtonEnabled(bool enabled)
{
    m_enabled = enabled;
    Redraw(ButtonState::Up, true);
    applyEnabled();
    Q_EMIT PropertyChanged(QStringLiteral("ENAB"));
}

void customButton::applyEnabled()
{
    m_applyingEnabled = true;
    QWidget::setEnabled(m_enabled);
    m_applyingEnabled = false;
}

void customButton::setButtonFont(const QFont &font)
{
    m_font = font;
    QWidget::setFont(m_font);
    Redraw(ButtonState::Up, true);
    Q_EMIT PropertyChanged(QStringLiteral("FONT"));
}

void customButton::setColorScheme(qint32 scheme)
{
    m_colorScheme = scheme;
    SetColors();
    Redraw(ButtonState::Up, true);
    Q_EMIT PropertyChanged(QStringLiteral("COLTYPE"));
}

void customButton::setShowFocusRect(bool show)
{
    m_showFocusRect = show;
    Redraw(m_lastState, true);
    Q_EMIT PropertyChanged(QStringLiteral("FOCUSR"));
}

WId customButton::hwnd() const
{
    return winId();
}

void customButton::setDisplayAsDefault(bool isDefault)
{
    if (m_displayAsDefault == isDefault) {
        return;
    }
    m_displayAsDefault = isDefault;
    AmbientChanged(QStringLiteral("DisplayAsDefault"));
}

void customButton::AmbientChanged(const QString &name)
{
    Q_UNUSED(name);
    Redraw(m_lastState, true);
}

void customButton::Redraw(quint8 state, bool force)
{
    if (!force && m_caption == m_lastCaption && state == m_lastState) {
        return;
    }
    if (m_h == 0) {
        return;
    }
    m_lastState = state;
    m_lastCaption = m_caption;

    LookParams params;
    params.buttonType = m_buttonType;
    params.state = state;
    params.enabled = m_enabled;
    params.focusShown = m_hasFocus && m_showFocusRect;
    params.showFocusRect = m_showFocusRect;
    params.displayAsDefault = m_displayAsDefault;
    params.palette = m_palette;
    params.caption = m_caption;
    params.font = m_font;
    params.layout = m_layout;
    drawLook(m_surface, params);
    ++m_drawCount;
    update();
}

void customButton::Resize()
{
    m_w = width();
    m_h = height();
    m_layout = ButtonLayout::forSize(m_w, m_h);
    m_surface.resize(m_w, m_h);
    MakeRegion();
    Redraw(ButtonState::Up, true);
}

void customButton::SetColors()
{
    m_palette = colorsForScheme(m_colorScheme, m_backColor, m_foreColor, QGuiApplication::palette());
}

void customButton::MakeRegion()
{
    m_shapeRegion = regionForLook(m_buttonType, m_w, m_h);
    if (m_shapeRegion.isEmpty()) {
        clearMask();
    } else {
        setMask(m_shapeRegion);
    }
    update();
}

void customButton::SetAccessKey()
{
    m_accessKey = accessKeyOf(m_caption);
    if (m_accessShortcutId != 0) {
        releaseShortcut(m_accessShortcutId);
        m_accessShortcutId = 0;
    }
    if (!m_accessKey.isNull()) {
        const auto key = Qt::Key(m_accessKey.toUpper().unicode());
        m_accessShortcutId = grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, key)), Qt::WindowShortcut);
        if (m_accessShortcutId == 0) {
            qCWarning(lcButton) << "cannot register the access key Alt+" << m_accessKey << "of button" << objectName();
        }
    }
}

void customButton::accessKeyPressed()
{
    clickProcedure();
}

void customButton::accessiblePress()
{
    m_lastButton = 1;
    clickProcedure();
}

bool customButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        const auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (m_accessShortcutId != 0 && shortcut->shortcutId() == m_accessShortcutId) {
            // Two buttons sharing a key take turns holding the focus instead of firing.
            if (shortcut->isAmbiguous()) {
                setFocus(Qt::ShortcutFocusReason);
            } else {
                accessKeyPressed();
            }
            return true;
        }
    }
    return QWidget::event(event);
}

void customButton::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    if (m_surface.image().isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface.image());
}

void customButton::resizeEvent(QResizeEvent *event)
{
    Q_UNUSED(event);
    Resize();
}

void customButton::mouseDownProcedure(short button, short shift, float x, float y)
{
    m_lastButton = quint8(button);
    if (button != 2) {
        Redraw(ButtonState::Down, false);
    }
    Q_EMIT MouseDown(button, shift, x, y);
}

void customButton::mouseUpProcedure(short button, short shift, float x, float y)
{
    if (button != 2) {
        Redraw(ButtonState::Up, false);
    }
    Q_EMIT MouseUp(button, shift, x, y);
}

void customButton::clickProcedure()
{
    if (m_lastButton != 1 || !m_enabled) {
        return;
    }
    Redraw(ButtonState::Up, true);
    // The Click handler may run for long (a page download): show the released button first.
    if (isVisible()) {
        repaint();
    }
    Q_EMIT Click();
}

void customButton::mousePressEvent(QMouseEvent *event)
{
    const short button = buttonCode(event->button());
    if (button == 0) {
        event->ignore();
        return;
    }
    const QPointF pos = event->position();
    mouseDownProcedure(button, shiftMask(event->modifiers()), float(pos.x()), float(pos.y()));
}

void customButton::mouseMoveEvent(QMouseEvent *event)
{
    short button = buttonMask(event->buttons());
    short shift = shiftMask(event->modifiers());
    float x = float(event->position().x());
    float y = float(event->position().y());
    if (button == 0 || button == 1) {
        const bool inside = x >= 0 && x <= float(m_w) && y >= 0 && y <= float(m_h);
        if (!inside) {
            Redraw(ButtonState::Up, false);
        } else if (button == 1) {
            Redraw(ButtonState::Down, false);
        }
    }
    Q_EMIT MouseMove(button, shift, x, y);
}

void customButton::mouseReleaseEvent(QMouseEvent *event)
{
    const short button = buttonCode(event->button());
    if (button == 0) {
        event->ignore();
        return;
    }
    const QPointF pos = event->position();
    mouseUpProcedure(button, shiftMask(event->modifiers()), float(pos.x()), float(pos.y()));

    // The release that ends a double click is not a click of its own.
    const bool endsDoubleClick = m_releaseEndsDoubleClick;
    m_releaseEndsDoubleClick = false;
    const QPoint pixel(int(std::floor(pos.x())), int(std::floor(pos.y())));
    const bool over = rect().contains(pixel) && (mask().isEmpty() || mask().contains(pixel));
    if (!endsDoubleClick && over) {
        clickProcedure();
    }
}

void customButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (buttonCode(event->button()) == 0) {
        event->ignore();
        return;
    }
    m_releaseEndsDoubleClick = true;
    if (m_lastButton == 1) {
        mouseDownProcedure(1, 1, 1.0f, 1.0f);
    }
}

void customButton::keyPressEvent(QKeyEvent *event)
{
    short keyCode = virtualKeyCode(event->key(), event->modifiers());
    short shift = shiftMask(event->modifiers());
    Q_EMIT KeyDown(keyCode, shift);
    m_lastKey = keyCode;
    switch (keyCode) {
    case 32:
        mouseDownProcedure(1, 1, 1.0f, 1.0f);
        break;
    case 39:
    case 40:
        moveFocusLater(true);
        break;
    case 37:
    case 38:
        moveFocusLater(false);
        break;
    default:
        break;
    }
    if (auto ascii = keyAscii(event->key(), event->modifiers(), event->text())) {
        short keyAsciiValue = *ascii;
        Q_EMIT KeyPress(keyAsciiValue);
    }
    // Every other key goes on to the window once the events are raised: Escape must still close a
    // dialog while this button has the focus.
    event->setAccepted(isButtonKey(keyCode));
}

void customButton::keyReleaseEvent(QKeyEvent *event)
{
    short keyCode = virtualKeyCode(event->key(), event->modifiers());
    // A held key repeats its press only, as the button's users expect from a held space.
    if (event->isAutoRepeat()) {
        event->setAccepted(isButtonKey(keyCode));
        return;
    }
    short shift = shiftMask(event->modifiers());
    Q_EMIT KeyUp(keyCode, shift);
    event->setAccepted(isButtonKey(keyCode));
    if (m_lastKey == 32 && keyCode == 32) {
        mouseUpProcedure(1, 1, 1.0f, 1.0f);
        m_lastButton = 1;
        clickProcedure();
    } else if (keyCode == 32) {
        // Another key came between press and release: no click, but the button must not stay
        // drawn pressed with no key or button held.
        Redraw(ButtonState::Up, false);
    }
}

void customButton::moveFocusLater(bool forward)
{
    // As a Tab typed after this key: whoever holds the focus then handles it.
    QTimer::singleShot(0, this, [this, forward] {
        QWidget *target = QApplication::focusWidget();
        if (!target) {
            target = this;
        }
        const Qt::Key key = forward ? Qt::Key_Tab : Qt::Key_Backtab;
        const Qt::KeyboardModifiers modifiers = forward ? Qt::NoModifier : Qt::ShiftModifier;
        QKeyEvent press(QEvent::KeyPress, key, modifiers, QStringLiteral("\t"));
        QCoreApplication::sendEvent(target, &press);
    });
}

void customButton::focusInEvent(QFocusEvent *event)
{
    Q_UNUSED(event);
    m_hasFocus = true;
    Redraw(m_lastState, true);
}

void customButton::focusOutEvent(QFocusEvent *event)
{
    Q_UNUSED(event);
    m_hasFocus = false;
    Redraw(m_lastState, true);
}

void customButton::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
        AmbientChanged(QStringLiteral("Palette"));
        break;
    case QEvent::EnabledChange: {
        // A window that calls QWidget::setEnabled on the button means the Enabled property; a
        // disabled parent only holds input back and leaves the property and the look alone.
        const bool own = !testAttribute(Qt::WA_ForceDisabled);
        if (!m_applyingEnabled && own != m_enabled) {
            setButtonEnabled(own);
        }
        break;
    }
    default:
        break;
    }
    QWidget::changeEvent(event);
}
