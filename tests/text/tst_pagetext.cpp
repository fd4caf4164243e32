// Reading the page pictures: the sample server's pages and pages drawn here in another font and
// other colours, against the text they were drawn from.

#include "server/Catalogue.h"
#include "text/CellGrid.h"
#include "text/DigitTemplates.h"
#include "text/PageLinks.h"
#include "text/PageReader.h"
#include "text/TextComparison.h"
#include "text/TextRecogniser.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const auto never = [] { return false; };

QImage samplePicture(int page)
{
    return Catalogue::renderImage(u"Nazionale", page, 1, Catalogue::fixedTime());
}

QStringList sampleText(int page)
{
    return Catalogue::renderText(u"Nazionale", page, 1, Catalogue::fixedTime());
}

// Rows of text drawn cell by cell in `family`, dark blue on yellow and white on red by turns.
QImage drawnPicture(const QStringList &rows, const QString &family)
{
    QImage image(360, 400, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    QFont font(family);
    font.setPixelSize(14);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (int row = 0; row < rows.size(); ++row) {
        const bool odd = row % 2;
        painter.setClipping(false);
        painter.fillRect(0, row * 16, 360, 16, odd ? QColor(Qt::red) : QColor(Qt::yellow));
        painter.setPen(odd ? QColor(Qt::white) : QColor(Qt::blue));
        for (int col = 0; col < std::min<int>(40, int(rows.at(row).size())); ++col) {
            const QRect cell(col * 9, row * 16, 9, 16);
            painter.setClipRect(cell);
            const QChar ch = rows.at(row).at(col);
            painter.drawText(cell.left() + (9 - metrics.horizontalAdvance(ch)) / 2,
                             cell.top() + (16 - metrics.height()) / 2 + metrics.ascent(), QString(ch));
        }
    }
    return image;
}

// The pages whose headers teach all ten digits: 100-109 hold 0-9 between them... save those the
// service lacks, so the header digits of a few more are added.
const QList<int> kLearningPages = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 112, 113, 115, 116,
                                   117, 119, 120, 123, 127, 128, 129, 130, 131, 132, 133, 134, 135, 160};

} // namespace

class TestPageText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sampleGrid_blanksBlockGraphicsAndSquashesDoubleHeight();
    void samplePages_linksAndTextMatchWhatWasDrawn();
    void drawnPages_anotherFontAndColours_readAsDrawn_data();
    void drawnPages_anotherFontAndColours_readAsDrawn();
    void digits_learnedInOneColourMatchInAnother_data();
    void digits_learnedInOneColourMatchInAnother();
    void composedText_sameInkSameCharacter();
    void links_standAloneNumbersOnly_data();
    void links_standAloneNumbersOnly();
    void links_whileLearning_needALearnedDigitAmongThem();
    void recogniser_newerPageCancelsOlder();
    void missingLanguage_noLinksNoText();
};

void TestPageText::sampleGrid_blanksBlockGraphicsAndSquashesDoubleHeight()
{
    // Page 101 has a banner: block graphics on rows 1 and 4, a double-height title on rows 2-3.
    const CellGrid grid(samplePicture(101));
    QVERIFY(grid.isValid());
    QCOMPARE(grid.cellSize(), QSize(9, 16));
    QVERIFY(grid.isMosaic(1, 0));
    QVERIFY(grid.isMosaic(4, 20));
    // All of " NOTIZIE", its bold first letter too, which has more ink than paper in its upper
    // cell.
    for (int col = 0; col < CellGrid::Columns; ++col) {
        const bool title = col >= 1 && col <= 7;
        QVERIFY2(grid.isDoubleHeight(2, col) == title, qPrintable(QString::number(col)));
        if (title) {
            QVERIFY(grid.isBlank(3, col));
            QCOMPARE(grid.cellRect(2, col), QRect(col * 9, 32, 9, 32));
        }
    }
    // Ink where the letter's strokes are: the N's left stem, not the paper between its strokes.
    QCOMPARE(grid.ink(2, 1)[4 * 9 + 2], uchar(255));
    QCOMPARE(grid.ink(2, 1)[4 * 9 + 0], uchar(0));
    // Ordinary text is neither.
    QVERIFY(!grid.isDoubleHeight(0, 1) && !grid.isMosaic(0, 1) && !grid.isBlank(0, 1));
    // The header's "P101": the two ones are the same cell whatever their colours.
    const CellGrid other(samplePicture(111 - 10));
    QVERIFY(std::equal(grid.ink(0, 2), grid.ink(0, 2) + grid.cellPixels(), other.ink(0, 2)));
}

void TestPageText::samplePages_linksAndTextMatchWhatWasDrawn()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("pagiscopo.conf"));
    {
        PageReader reader(settings);
        for (const int page : kLearningPages) {
            if (Catalogue::pageExists(u"Nazionale", page)) {
                reader.read(CellGrid(samplePicture(page)), page, never, [](const QList<PageLink> &) {});
            }
            if (reader.templates(QSize(9, 16)).isComplete()) {
                break;
            }
        }
        QVERIFY(reader.templates(QSize(9, 16)).isComplete());
    }
    // A new reader finds the digits in the settings, and the links without the recogniser.
    PageReader reader(settings);
    QVERIFY(reader.templates(QSize(9, 16)).isComplete());
    double errors = 0;
    for (const int page : {100, 200, 300, 401, 540}) {
        QList<PageLink> links;
        const QString text =
            reader.read(CellGrid(samplePicture(page)), page, never, [&](const QList<PageLink> &l) { links = l; });
        const QList<PageLink> expected = pageLinksInText(sampleText(page));
        QCOMPARE(links.size(), expected.size());
        for (qsizetype i = 0; i < links.size(); ++i) {
            QCOMPARE(links.at(i).page, expected.at(i).page);
            QCOMPARE(links.at(i).row, expected.at(i).row);
            QCOMPARE(links.at(i).column, expected.at(i).column);
            // The three cells of the number, in the picture's pixels.
            QCOMPARE(links.at(i).rect, QRect(expected.at(i).column * 9, expected.at(i).row * 16, 27, 16));
        }
        QCOMPARE(text.count(u'\n'), 25);
        // The font's M and its V are near enough an N and a U to be read as them here and there,
        // on some pages more than others.
        const double error = characterError(text, sampleText(page));
        QVERIFY2(error < 0.08, qPrintable(QStringLiteral("page %1: %2\n%3").arg(page).arg(error).arg(text)));
        errors += error;
    }
    QVERIFY2(errors / 5 < 0.03, qPrintable(QString::number(errors / 5)));
    QVERIFY(!pageLinksInText(sampleText(100)).isEmpty());
}

void TestPageText::drawnPages_anotherFontAndColours_readAsDrawn_data()
{
    QTest::addColumn<QString>("family");
    QTest::newRow("DejaVu Sans Mono") << QStringLiteral("DejaVu Sans Mono");
    QTest::newRow("Liberation Mono") << QStringLiteral("Liberation Mono");
}

void TestPageText::drawnPages_anotherFontAndColours_readAsDrawn()
{
    QFETCH(QString, family);
    if (QFontInfo(QFont(family)).family() != family) {
        QSKIP(qPrintable(family + QStringLiteral(" is not installed (scripts/install-deps installs it)")));
    }
    auto header = [](int page) { return QStringLiteral("P%1 DEMO  Nazionale  Ven 15 Mar 12:00:00").arg(page); };
    QStringList truth = {
        header(123),
        QString(),
        QStringLiteral("NOTIZIE DALL'ITALIA E DAL MONDO"),
        QStringLiteral("Politica ..................... 120"),
        QStringLiteral("Economia ..................... 600"),
        QStringLiteral("Sport ........................ 200"),
        QStringLiteral("Meteo: minime 3,5 gradi, massime 12"),
        QStringLiteral("Biglietti da 1.250 euro, pagina 9999"),
        QStringLiteral("Televisione 501-512 e radio 540"),
        QStringLiteral("Orari: dalle 10:30 alle 20:05, ogni ora."),
    };
    while (truth.size() < 25) {
        truth << QString();
    }
    const QList<PageLink> expected = pageLinksInText(truth);
    QCOMPARE(expected.size(), 6);
    auto isExpected = [&](const PageLink &link) {
        return std::any_of(expected.begin(), expected.end(), [&](const PageLink &e) {
            return e.page == link.page && e.row == link.row && e.column == link.column;
        });
    };
    QTemporaryDir dir;
    PageReader reader(dir.filePath(QStringLiteral("pagiscopo.conf")));
    const CellGrid grid(drawnPicture(truth, family));

    // Not all digits are known from one header: the recogniser's digits stand in, checked on the
    // grid; whatever is found is right.
    QList<PageLink> links;
    reader.read(grid, 123, never, [&](const QList<PageLink> &l) { links = l; });
    for (const PageLink &link : links) {
        QVERIFY2(isExpected(link), qPrintable(QString::number(link.page)));
    }

    // The headers of 100-109 show all ten digits between them.
    for (int page = 100; page <= 109; ++page) {
        reader.read(CellGrid(drawnPicture({header(page)}, family)), page, never, [](const QList<PageLink> &) {});
    }
    QVERIFY(reader.templates(QSize(9, 16)).isComplete());
    const QString text = reader.read(grid, 123, never, [&](const QList<PageLink> &l) { links = l; });
    QCOMPARE(links.size(), expected.size());
    for (const PageLink &link : links) {
        QVERIFY2(isExpected(link), qPrintable(QString::number(link.page)));
    }
    // Drawn text in an ordinary monospace font is read all but exactly, dotted leaders, letters
    // that look like digits and the full stop at a line's end included.
    const double error = characterError(text, truth);
    QVERIFY2(error < 0.02, qPrintable(QStringLiteral("%1\n%2").arg(error).arg(text)));
    const QStringList lines = text.split(u'\n');
    for (int row = 0; row < truth.size(); ++row) {
        for (int col = 0; col < CellGrid::Columns; ++col) {
            const QChar read = cellChar(lines.value(row), col);
            QVERIFY2(!read.isDigit() || read == cellChar(truth.at(row), col),
                     qPrintable(QStringLiteral("row %1: %2").arg(row).arg(lines.value(row))));
        }
    }
}

void TestPageText::digits_learnedInOneColourMatchInAnother_data()
{
    QTest::addColumn<QString>("family");
    QTest::newRow("DejaVu Sans Mono") << QStringLiteral("DejaVu Sans Mono");
    QTest::newRow("Liberation Mono") << QStringLiteral("Liberation Mono");
}

void TestPageText::digits_learnedInOneColourMatchInAnother()
{
    QFETCH(QString, family);
    if (QFontInfo(QFont(family)).family() != family) {
        QSKIP(qPrintable(family + QStringLiteral(" is not installed (scripts/install-deps installs it)")));
    }
    // Blue on yellow in the header, white on red below.
    const CellGrid grid(drawnPicture({QStringLiteral("P102 DEMO"), QStringLiteral("O0o 1lI 2Z 8B")}, family));
    DigitTemplates templates(grid.cellSize());
    QCOMPARE(templates.checkHeader(grid, 102, QStringLiteral("P102 DEMO")), DigitTemplates::HeaderCheck::Learned);
    QCOMPARE(templates.known(), 3);
    QCOMPARE(templates.headerColumn(), 1);
    QCOMPARE(templates.match(grid.ink(1, 1)), std::optional<int>(0));
    QCOMPARE(templates.match(grid.ink(1, 4)), std::optional<int>(1));
    QCOMPARE(templates.match(grid.ink(1, 8)), std::optional<int>(2));
    // The letters that look most like them are none of them, the O of the header's DEMO neither.
    for (const int col : {0, 2, 5, 6, 9, 11, 12}) {
        QVERIFY2(!templates.match(grid.ink(1, col)), qPrintable(QString::number(col)));
    }
    QVERIFY(!templates.match(grid.ink(0, 8)));
}

void TestPageText::composedText_sameInkSameCharacter()
{
    const QString family = QStringLiteral("DejaVu Sans Mono");
    if (QFontInfo(QFont(family)).family() != family) {
        QSKIP("DejaVu Sans Mono is not installed (scripts/install-deps installs it)");
    }
    // The second row is white on red, the third blue on yellow: the same glyph in two colours.
    const CellGrid grid(drawnPicture({QString(), QStringLiteral("ABAB.ABAB. Z"), QStringLiteral("AB")}, family));
    // One B misread, one A and one B skipped: the others outvote them. The two full stops were
    // read two ways, one each, and the Z has no other cell: they stay as read.
    const QStringList read = {QString(), QStringLiteral("ABAX.A  B, 2"), QStringLiteral(" B")};
    const QStringList lines = PageReader::composeText(grid, DigitTemplates(), read).split(u'\n');
    QCOMPARE(lines.size(), 26);
    QCOMPARE(lines.at(1), QStringLiteral("ABAB.ABAB, 2"));
    QCOMPARE(lines.at(2), QStringLiteral("AB"));
    // A blank cell stays blank whatever the recogniser put there.
    QCOMPARE(PageReader::composeText(grid, DigitTemplates(), {QStringLiteral("x")}).split(u'\n').at(0), QString());
}

void TestPageText::links_standAloneNumbersOnly_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QList<int>>("pages");
    QTest::newRow("dotted leader") << QStringLiteral("SPORT......200") << QList<int>{200};
    QTest::newRow("range") << QStringLiteral("NEWS 101-169") << QList<int>{101, 169};
    QTest::newRow("longer number") << QStringLiteral("ANNO 2024 E 1200") << QList<int>{};
    QTest::newRow("decimal") << QStringLiteral("3.250 E 250,5 E 1,100") << QList<int>{};
    QTest::newRow("out of range") << QStringLiteral("099 900 999 100") << QList<int>{100};
    QTest::newRow("sentence end") << QStringLiteral("VEDI 540.") << QList<int>{540};
    QTest::newRow("edges") << QStringLiteral("300                                 899") << QList<int>{300, 899};
}

void TestPageText::links_standAloneNumbersOnly()
{
    QFETCH(QString, row);
    QFETCH(QList<int>, pages);
    // The header row shows the page's own number: never a link.
    const QStringList rows = {QStringLiteral("P100"), row};
    QList<int> found;
    for (const PageLink &link : pageLinksInText(rows)) {
        QCOMPARE(link.row, 1);
        found << link.page;
    }
    QCOMPARE(found, pages);
}

void TestPageText::links_whileLearning_needALearnedDigitAmongThem()
{
    const QString family = QStringLiteral("DejaVu Sans Mono");
    if (QFontInfo(QFont(family)).family() != family) {
        QSKIP("DejaVu Sans Mono is not installed (scripts/install-deps installs it)");
    }
    QTemporaryDir dir;
    PageReader reader(dir.filePath(QStringLiteral("pagiscopo.conf")));
    // One header teaches 1, 2 and 3 only.
    reader.read(CellGrid(drawnPicture({QStringLiteral("P123 DEMO  Nazionale")}, family)), 123, never,
                [](const QList<PageLink> &) {});
    const DigitTemplates templates = reader.templates(QSize(9, 16));
    QVERIFY(templates.has(1) && templates.has(2) && templates.has(3));
    QVERIFY(!templates.has(4) && !templates.has(5) && !templates.has(6) && !templates.has(8) && !templates.has(9));

    QStringList rows = {QStringLiteral("P123 DEMO  Nazionale"), QString(), QStringLiteral("Sport ...... 456"),
                        QStringLiteral("Meteo ...... 416")};
    const CellGrid grid(drawnPicture(rows, family));
    // The recogniser's reading is all the test gives for the digits not learned yet; even read
    // right, 456 has no learned digit to vouch for it, and 416 has its 1.
    const QList<PageLink> links = findPageLinks(grid, templates, rows);
    QCOMPARE(links.size(), 1);
    QCOMPARE(links.constFirst().page, 416);
    QCOMPARE(links.constFirst().row, 3);
    // A learned digit outvotes the recogniser: a 1 read as 7 still gives 416, never 476.
    rows[3] = QStringLiteral("Meteo ...... 476");
    const QList<PageLink> misread = findPageLinks(grid, templates, rows);
    QCOMPARE(misread.size(), 1);
    QCOMPARE(misread.constFirst().page, 416);
}

void TestPageText::recogniser_newerPageCancelsOlder()
{
    QTemporaryDir dir;
    TextRecogniser recogniser(dir.filePath(QStringLiteral("pagiscopo.conf")));
    QSignalSpy links(&recogniser, &TextRecogniser::linksFound);
    QSignalSpy texts(&recogniser, &TextRecogniser::textRead);
    // Five pages one after another, as fast as a held key: only the last is reported.
    quint64 last = 0;
    for (const int page : {100, 101, 102, 103, 200}) {
        last = recogniser.submit(samplePicture(page), page);
    }
    QVERIFY(texts.wait(60000));
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts.at(0).at(0).value<quint64>(), last);
    QVERIFY(texts.at(0).at(1).toString().contains(QStringLiteral("SPORT")));
    for (const QList<QVariant> &found : links) {
        QCOMPARE(found.at(0).value<quint64>(), last);
    }
    // A cancelled reading reports nothing at all.
    recogniser.submit(samplePicture(401), 401);
    recogniser.cancel();
    QVERIFY(!texts.wait(3000));
    QCOMPARE(texts.size(), 1);
}

void TestPageText::missingLanguage_noLinksNoText()
{
    QTemporaryDir dir;
    PageReader reader(dir.filePath(QStringLiteral("pagiscopo.conf")), QStringLiteral("xx-none"));
    bool called = false;
    QList<PageLink> links;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot start")));
    const QString text = reader.read(CellGrid(samplePicture(100)), 100, never, [&](const QList<PageLink> &l) {
        called = true;
        links = l;
    });
    QVERIFY(called);
    QVERIFY(links.isEmpty());
    QVERIFY(text.isEmpty());
    // Not tried again for every page.
    QVERIFY(reader.read(CellGrid(samplePicture(101)), 101, never, [](const QList<PageLink> &) {}).isEmpty());
}

QTEST_MAIN(TestPageText)
#include "tst_pagetext.moc"
