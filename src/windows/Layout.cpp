#include "windows/Layout.h"

#include <QLineEdit>
#include <QValidator>
#include <QWidget>

void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QFont pointFont(const QString &family, qreal points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

namespace
{

class TypedLengthValidator : public QValidator
{
public:
    TypedLengthValidator(int characters, QObject *parent) : QValidator(parent), m_characters(characters) {}
    State validate(QString &input, int &) const override { return input.size() <= m_characters ? Acceptable : Invalid; }

private:
    int m_characters;
};

} // namespace

void limitTypedLength(QLineEdit *box, int characters)
{
    box->setValidator(new TypedLengthValidator(characters, box));
}
