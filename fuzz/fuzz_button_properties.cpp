// The button's stored-property reader on any values a property bag may hold, each followed by a
// real redraw of the button.

#include "FuzzSupport.h"

#include "customButton/customButton.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QtEndian>

#include <cstring>
#include <memory>

namespace
{

const char *const kKeys[] = {"BTYPE", "TX", "ENAB", "FONT", "COLTYPE", "FOCUSR", "BCOL", "FCOL"};

qint64 number(const QByteArray &bytes)
{
    QByteArray eight = bytes.left(8);
    eight.append(8 - eight.size(), '\0');
    return qFromLittleEndian<qint64>(eight.constData());
}

// One field per entry: a byte for the key, a byte for the type, the rest is the value.
QVariant valueOf(char type, const QByteArray &payload)
{
    switch (quint8(type) % 10) {
    case 0:
        return QVariant(qint32(number(payload)));
    case 1:
        return QVariant(number(payload));
    case 2: {
        double d = 0;
        QByteArray eight = payload.left(8);
        eight.append(8 - eight.size(), '\0');
        std::memcpy(&d, eight.constData(), sizeof d);
        return QVariant(d);
    }
    case 3:
        return QVariant(!payload.isEmpty() && payload.at(0) != 0);
    case 4:
        return QVariant(QString::fromUtf8(payload));
    case 5:
        return QVariant(payload);
    case 6: {
        QFont font;
        font.fromString(QString::fromUtf8(payload)); // as a saved window stores a font
        return QVariant(font);
    }
    case 7:
        return QVariant(QColor::fromRgba(quint32(number(payload))));
    case 8:
        return QVariant(quint64(number(payload)));
    default:
        return QVariant();
    }
}

ButtonPropertyBag bagFrom(const QList<QByteArray> &fields)
{
    ButtonPropertyBag bag;
    for (const QByteArray &field : fields) {
        if (field.size() < 2) {
            continue;
        }
        const quint8 key = quint8(field.at(0));
        const QString name = key < 8 * 4 ? QString::fromLatin1(kKeys[key % 8]) : QString::fromLatin1(field.mid(2, 5));
        // Names match without regard to case, as the windows' stored data writes them.
        bag.write(key & 0x80 ? name.toLower() : name, valueOf(field.at(1), field.mid(2)));
    }
    return bag;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    silenceQtMessages();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Qt trims its font and glyph caches from timers: let them run, as the program's event loop does.
    QCoreApplication::processEvents();
    const ButtonPropertyBag bag = bagFrom(fuzzFields(data, size));
    customButton button;
    button.setObjectName(QStringLiteral("fuzz"));
    // Shown, so that the resize below draws at once, as it does for a button in a window.
    button.setAttribute(Qt::WA_DontShowOnScreen);
    button.show();
    const bool read = button.readProperties(bag);
    button.setGeometry(0, 0, 97, 25); // draws the button as restored
    if (!read) {
        return 0;
    }
    // What was read is written back and read again unchanged.
    ButtonPropertyBag saved;
    button.writeProperties(saved);
    customButton again;
    again.setAttribute(Qt::WA_DontShowOnScreen);
    again.show();
    FUZZ_REQUIRE(again.readProperties(saved), "a written bag cannot be read back");
    again.setGeometry(0, 0, 97, 25);
    FUZZ_REQUIRE(again.ButtonType() == button.ButtonType() && again.Caption() == button.Caption() &&
                     again.Enabled() == button.Enabled() && again.ColorScheme() == button.ColorScheme() &&
                     again.ShowFocusRect() == button.ShowFocusRect() && again.BackColor() == button.BackColor() &&
                     again.ForeColor() == button.ForeColor() && again.Font() == button.Font(),
                 "properties changed on the way through a bag");
    return 0;
}
