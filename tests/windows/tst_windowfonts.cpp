#include "TextInk.h"
#include "WindowFixture.h"
#include "windows/Controls.h"
#include "windows/Form1.h"
#include "windows/Form2.h"
#include "windows/aboutform.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

// The texts of the four windows, measured on the drawn controls: the height of their capitals,
// the width of their strokes, and whether all of a text is inside its control.
class WindowFontsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void dialogLabels_drawLargerAndBolderThanTheWindowsText();
    void boldTexts_strokeWiderThanTheirRegularWeight_data();
    void boldTexts_strokeWiderThanTheirRegularWeight();
    void numberBoxes_drawTheirDigitsAtTheirSize();
    void authorName_showsWhole();
    void checkBoxes_holdTheirLongestCaptions_data();
    void checkBoxes_holdTheirLongestCaptions();

private:
    formpagiscopo &w() { return *m_f->window; }
    // The text of a control as drawn; for a text box, the inside of its frame, without the cursor.
    static TextInk inkOf(QWidget *control);

    std::unique_ptr<WindowFixture> m_f;
};

void WindowFontsTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->open();
}

TextInk WindowFontsTest::inkOf(QWidget *control)
{
    if (auto *box = qobject_cast<QLineEdit *>(control)) {
        box->deselect();
        box->clearFocus();
        return measureTextInk(box->grab().toImage(), box->rect().adjusted(3, 3, -3, -3));
    }
    return measureTextInk(control->grab().toImage());
}

void WindowFontsTest::dialogLabels_drawLargerAndBolderThanTheWindowsText()
{
    Form1 assign(w());
    Form2 interval(w());
    // "Sotto-pagina" is in the windows' font, 8.25 pt (an 11-pixel em); the dialogs' labels are
    // 12 pt bold (16 pixels).
    const TextInk small = inkOf(w().Label1);
    QVERIFY2(small.firstGlyphHeight >= 7 && small.firstGlyphHeight <= 9,
             qPrintable(QString::number(small.firstGlyphHeight)));
    QCOMPARE(small.strokeWidth, 1.0);
    for (QLabel *label : {assign.Label1, assign.Label2, interval.Label1}) {
        const TextInk large = inkOf(label);
        QVERIFY2(large.firstGlyphHeight >= 10 && large.firstGlyphHeight <= 13,
                 qPrintable(label->text() + QStringLiteral(": capitals %1 pixels high").arg(large.firstGlyphHeight)));
        QVERIFY2(large.strokeWidth >= 2,
                 qPrintable(label->text() + QStringLiteral(": strokes %1 pixels wide").arg(large.strokeWidth)));
    }
}

void WindowFontsTest::boldTexts_strokeWiderThanTheirRegularWeight_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("page box") << "formpagiscopo"
                              << "pagpagiscopo"
                              << "100";
    QTest::newRow("assign: page number") << "Form1"
                                         << "Text1"
                                         << "540";
    QTest::newRow("assign: caption") << "Form1"
                                     << "Text2"
                                     << "Meteo";
    QTest::newRow("assign: label") << "Form1"
                                   << "Label1"
                                   << "";
    QTest::newRow("interval: seconds") << "Form2"
                                       << "Text1"
                                       << "999";
    QTest::newRow("about: link") << "aboutform"
                                 << "Label5"
                                 << "";
    QTest::newRow("about: e-mail") << "aboutform"
                                   << "Label7"
                                   << "";
}

void WindowFontsTest::boldTexts_strokeWiderThanTheirRegularWeight()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, text);
    Form1 assign(w());
    Form2 interval(w());
    aboutform about(m_f->platform);
    QWidget *windows[] = {m_f->window.get(), &assign, &interval, &about};
    QWidget *found = nullptr;
    for (QWidget *candidate : windows) {
        if (candidate->objectName() == window) {
            found = candidate->findChild<QWidget *>(control);
        }
    }
    QVERIFY(found);
    if (auto *box = qobject_cast<QLineEdit *>(found)) {
        box->setText(text);
    }
    const TextInk bold = inkOf(found);
    // The same control, its face drawn in the regular weight.
    QFont regular = found->font();
    regular.setBold(false);
    found->setFont(regular);
    const TextInk thin = inkOf(found);
    QVERIFY2(bold.strokeWidth > thin.strokeWidth && bold.inkPixels * 5 > thin.inkPixels * 6,
             qPrintable(QStringLiteral("bold: strokes %1, ink %2; regular: strokes %3, ink %4")
                            .arg(bold.strokeWidth)
                            .arg(bold.inkPixels)
                            .arg(thin.strokeWidth)
                            .arg(thin.inkPixels)));
}

void WindowFontsTest::numberBoxes_drawTheirDigitsAtTheirSize()
{
    Form1 assign(w());
    Form2 interval(w());
    // Digits stand as high as capitals: about three quarters of the em.
    const struct {
        QLineEdit *box;
        int em;
    } boxes[] = {{assign.Text1, 18}, {interval.Text1, 18}, {assign.Text2, 13}, {w().pagpagiscopo, 21}};
    for (const auto &[box, em] : boxes) {
        box->setText(QStringLiteral("540"));
        const int height = inkOf(box).firstGlyphHeight;
        QVERIFY2(height * 100 >= em * 60 && height * 100 <= em * 85,
                 qPrintable(box->window()->objectName() + QLatin1Char('.') + box->objectName() +
                            QStringLiteral(": digits %1 pixels high for a %2-pixel em").arg(height).arg(em)));
    }
}

void WindowFontsTest::authorName_showsWhole()
{
    aboutform about(m_f->platform);
    // The same text and font in a label as large as it needs.
    QLabel unbounded(about.Label2->text());
    unbounded.setFont(about.Label2->font());
    unbounded.setAlignment(about.Label2->alignment());
    unbounded.adjustSize();
    QVERIFY(unbounded.width() > 0);
    const TextInk shown = inkOf(about.Label2);
    const TextInk whole = inkOf(&unbounded);
    QCOMPARE(shown.inkPixels, whole.inkPixels);
    QVERIFY(shown.inkBox.right() < about.Label2->width() - 1);
    // Tw Cen MT 14.25 pt: a 19-pixel em.
    QVERIFY2(shown.firstGlyphHeight >= 12 && shown.firstGlyphHeight <= 16,
             qPrintable(QString::number(shown.firstGlyphHeight)));
}

void WindowFontsTest::checkBoxes_holdTheirLongestCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("always on top") << "Check1"
                                   << "Sempre in primo piano";
    // The interval dialog takes up to three digits.
    QTest::newRow("scroll, 999 s") << "scorri1"
                                   << "Auto scorrimento sottopagine (999 sec.)";
}

void WindowFontsTest::checkBoxes_holdTheirLongestCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    auto *box = w().findChild<WrappingCheckBox *>(name);
    QVERIFY(box);
    box->setText(caption);
    // The same box, as tall as any caption needs.
    WrappingCheckBox tall(caption);
    tall.setFont(box->font());
    tall.resize(box->width(), 200);
    QCOMPARE(inkOf(box).inkPixels, inkOf(&tall).inkPixels);
}

QTEST_MAIN(WindowFontsTest)
#include "tst_windowfonts.moc"
