#include "windows/Form1.h"

#include "customButton/customButton.h"
#include "windows/Controls.h"
#include "windows/Icons.h"
#include "windows/KeyAscii.h"
#include "windows/Layout.h"
#include "windows/formpagiscopo.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>

namespace
{

constexpr qint32 kFlatBold = 5;
constexpr qint32 kSystemColors = 1;

// The page number box takes at most three digits. Typed keys are filtered before they get here;
// this catches what arrives otherwise (pasted from the menu or with the middle button, dropped):
// everything but the digits is dropped, and a text that would still be too long is refused whole.
class PageNumberValidator : public QValidator
{
public:
    explicit PageNumberValidator(QObject *parent) : QValidator(parent) {}
    State validate(QString &input, int &position) const override
    {
        QString digits;
        int digitsBeforeCursor = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const char16_t c = input.at(i).unicode();
            if (c >= u'0' && c <= u'9') {
                digits += QChar(c);
                digitsBeforeCursor += i < position ? 1 : 0;
            }
        }
        if (digits.size() > 3) {
            return Invalid;
        }
        input = digits;
        position = digitsBeforeCursor;
        return Acceptable;
    }
};

QLineEdit *createTextBox(QWidget *parent, const char *name, const QString &accessibleName, qreal points, int left,
                         int top, int width, int height)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setFont(pointFont(QStringLiteral("MS Sans Serif"), points, true));
    box->setAccessibleName(accessibleName);
    placeTwips(box, left, top, width, height);
    return box;
}

} // namespace

Form1::Form1(formpagiscopo &owner)
    : QDialog(&owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_owner(owner)
{
    setObjectName(QStringLiteral("Form1"));
    keepDialogInView(this);
    buildLayout();
    connectControls();
}

Form1::~Form1() = default;

void Form1::buildLayout()
{
    setWindowTitle(QStringLiteral("Pagiscopo - Preferiti"));
    setWindowIcon(starIcon());
    setFixedSize(twipsToPixels(3135), twipsToPixels(3180));
    // The client area's place on the screen, as a dialog whose position is set by hand.
    setGeometry(twipsToPixels(4125), twipsToPixels(2355), width(), height());

    Assegna =
        createButton(this, {"Assegna", "Assegna!", kFlatBold, kSystemColors, kButtonFace, true}, 960, 2400, 1095, 375);
    Skinner1 = new Skinner(1, QStringLiteral("Form1"), this);
    Text1 = createTextBox(this, "Text1", QStringLiteral("Numero della pagina"), 13.5, 360, 600, 735, 420);
    Text1->setValidator(new PageNumberValidator(Text1));
    Text2 = createTextBox(this, "Text2", QStringLiteral("Nome della pagina"), 9.75, 360, 1680, 1335, 285);
    Label1 = createLabel(this, "Label1", QStringLiteral("Numero della pagina"), 360, 240, 3135, 375);
    Label2 = createLabel(this, "Label2", QStringLiteral("Nome della pagina"), 360, 1200, 2295, 375);
    for (QLabel *label : {Label1, Label2}) {
        label->setFont(pointFont(QStringLiteral("MS Sans Serif"), 12, true));
    }
    // Label1 reaches one pixel into the top edge of Text1; the box stays above it, frame whole.
    Text1->raise();

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Assegna);
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form1::connectControls()
{
    new KeyPressHook(Text1, [this](short &KeyAscii) { Text1_KeyPress(KeyAscii); });
    connect(Assegna, &customButton::Click, this, &Form1::Assegna_Click);
}
