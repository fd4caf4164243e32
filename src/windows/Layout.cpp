#include "windows/Layout.h"

#include "customButton/customButton.h"
#include "platform/Fonts.h"
#include "windows/WindowsLog.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <QWidget>

void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QFont pointFont(const QString &family, qreal points, bool bold)
{
    return designFont(family, points, bold);
}

QFont windowFont()
{
    return pointFont(QStringLiteral("MS Sans Serif"), 8.25, false);
}

namespace
{

class TypedLengthValidator : public QValidator
{
public:
    TypedLengthValidator(int characters, bool digitsOnly, QObject *parent)
        : QValidator(parent), m_characters(characters), m_digitsOnly(digitsOnly)
    {
    }
    State validate(QString &input, int &) const override
    {
        if (input.size() > m_characters) {
            return Invalid;
        }
        if (m_digitsOnly) {
            for (const QChar c : input) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                    return Invalid;
                }
            }
        }
        return Acceptable;
    }

private:
    int m_characters;
    bool m_digitsOnly;
};

} // namespace

void limitTypedLength(QLineEdit *box, int characters)
{
    box->setValidator(new TypedLengthValidator(characters, false, box));
}

void limitTypedDigits(QLineEdit *box, int characters)
{
    box->setValidator(new TypedLengthValidator(characters, true, box));
}

customButton *createButton(QWidget *parent, const ButtonDesign &design, int left, int top, int width, int height)
{
    // Windows keep the stored keys in lower case; the button matches them without regard to case.
    ButtonPropertyBag bag;
    bag.write(QStringLiteral("tx"), QString::fromUtf8(design.caption));
    bag.write(QStringLiteral("btype"), design.look);
    bag.write(QStringLiteral("enab"), true);
    QFont font = windowFont();
    font.setBold(design.bold);
    bag.write(QStringLiteral("font"), font);
    bag.write(QStringLiteral("coltype"), design.scheme);
    bag.write(QStringLiteral("focusr"), true);
    bag.write(QStringLiteral("bcol"), design.backColour);
    bag.write(QStringLiteral("fcol"), quint32(0));

    auto *button = new customButton(parent);
    button->setObjectName(QLatin1String(design.name));
    QString error;
    if (!button->readProperties(bag, &error)) {
        qCWarning(lcWindows) << "button" << design.name << "kept part of its defaults:" << error;
    }
    placeTwips(button, left, top, width, height);
    return button;
}

QLabel *createLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(label, left, top, width, height);
    return label;
}
