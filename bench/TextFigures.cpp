#include "TextFigures.h"

#include "server/Catalogue.h"
#include "text/CellGrid.h"
#include "text/PageLinks.h"
#include "text/PageReader.h"
#include "text/TextComparison.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

const int kPages = qEnvironmentVariableIntValue("PAGISCOPO_BENCH_PAGES") > 0 ? qEnvironmentVariableIntValue("PAGISCOPO_BENCH_PAGES") : 240;

struct Page {
    int number = 0;
    QImage picture;
    QStringList rows;
};

double quantile(std::vector<double> values, double q)
{
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const auto low = std::size_t(at);
    const std::size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (at - double(low));
}

// The pages of the sample service, the national edition's first and then the regions' own.
QList<std::pair<QString, int>> sampleAddresses()
{
    QList<std::pair<QString, int>> addresses;
    for (const QString &edition : Catalogue::editions()) {
        for (const int page : Catalogue::pages(edition)) {
            if (edition == Catalogue::editions().constFirst() || (page >= 300 && page < 400)) {
                addresses.append({edition, page});
            }
            if (addresses.size() == kPages) {
                return addresses;
            }
        }
    }
    return addresses;
}

// The teletext colours, as pairs of ink and background that a page uses.
const QList<std::pair<QColor, QColor>> &colourPairs()
{
    static const QList<std::pair<QColor, QColor>> pairs = {
        {Qt::white, Qt::black}, {Qt::yellow, Qt::blue}, {Qt::cyan, Qt::black}, {Qt::green, Qt::black},
        {Qt::black, Qt::cyan},  {Qt::white, Qt::red},   {Qt::yellow, Qt::black}, {Qt::white, Qt::blue},
        {Qt::magenta, Qt::black}, {Qt::black, Qt::yellow},
    };
    return pairs;
}

// The text of a sample page drawn again in another font, each character in its own 9 x 16 cell,
// each row in teletext colours of its own.
QImage drawPage(const QStringList &rows, const QFont &font, int seed)
{
    QImage image(Catalogue::PageWidth, Catalogue::PageHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int cellWidth = Catalogue::PageWidth / CellGrid::Columns;
    const int cellHeight = Catalogue::PageHeight / CellGrid::Rows;
    const int baseline = (cellHeight - metrics.height()) / 2 + metrics.ascent();
    for (int row = 0; row < rows.size(); ++row) {
        const auto &[ink, paper] = colourPairs().at((row * 7 + seed) % colourPairs().size());
        // The clip is still the previous row's last cell, which would keep this row's paper out
        // of the picture and leave dark ink on the black underneath.
        painter.setClipping(false);
        painter.fillRect(0, row * cellHeight, Catalogue::PageWidth, cellHeight, paper);
        painter.setPen(ink);
        const QString &line = rows.at(row);
        for (int col = 0; col < std::min<int>(int(line.size()), CellGrid::Columns); ++col) {
            const QRect cell(col * cellWidth, row * cellHeight, cellWidth, cellHeight);
            painter.setClipRect(cell);
            const int advance = metrics.horizontalAdvance(line.at(col));
            painter.drawText(cell.left() + (cellWidth - advance) / 2, cell.top() + baseline, QString(line.at(col)));
        }
    }
    return image;
}

QList<Page> pagesOf(const QString &set)
{
    QList<Page> pages;
    const bool sample = set == QStringLiteral("sample");
    QFont font(set);
    font.setPixelSize(14);
    font.setHintingPreference(QFont::PreferFullHinting);
    int seed = 0;
    for (const auto &[edition, number] : sampleAddresses()) {
        Page page;
        page.number = number;
        page.rows = Catalogue::renderText(edition, number, 1, Catalogue::fixedTime());
        if (sample) {
            page.picture = Catalogue::renderImage(edition, number, 1, Catalogue::fixedTime());
        } else {
            page.picture = drawPage(page.rows, font, seed++);
        }
        pages.append(page);
    }
    return pages;
}

// What a page's reading went from and came to, for looking at where it goes wrong: the picture,
// the page the recogniser was given, the text that was drawn and the text that was read.
void dumpPage(const QString &dir, int index, const Page &page, const CellGrid &grid, const QString &text)
{
    const QString stem = QStringLiteral("%1/%2-%3").arg(dir).arg(index, 3, 10, QLatin1Char('0')).arg(page.number);
    bool ok = page.picture.save(stem + QStringLiteral("-picture.png")) &&
              grid.normalised().save(stem + QStringLiteral("-normalised.png"));
    for (const auto &[suffix, content] : {std::pair{QStringLiteral("-drawn.txt"), page.rows.join(u'\n') + u'\n'},
                                          std::pair{QStringLiteral("-read.txt"), text}}) {
        QFile file(stem + suffix);
        ok = ok && file.open(QIODevice::WriteOnly) && file.write(content.toUtf8()) >= 0;
    }
    if (!ok) {
        std::fprintf(stderr, "bench: cannot write the page's files as %s-*\n", qPrintable(stem));
    }
}

} // namespace

QStringList textSets()
{
    QStringList sets{QStringLiteral("sample")};
    for (const QString &family : {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")}) {
        if (QFontInfo(QFont(family)).family() == family) {
            sets << family;
        }
    }
    return sets;
}

int childText(const QString &set)
{
    const QList<Page> pages = pagesOf(set);
    QTemporaryDir settings;
    const QString settingsPath = settings.filePath(QStringLiteral("pagiscopo.conf"));
    const qint64 before = statusKiB("VmRSS:");
    PageReader reader(settingsPath);
    const auto never = [] { return false; };

    // The digits are learned from the headers as the pages are shown; the links of the first
    // pages shown come from the recogniser alone.
    int learning = 0;
    int ocrFound = 0, ocrRight = 0, ocrExpected = 0;
    for (const Page &page : pages) {
        if (reader.templates(CellGrid(page.picture).cellSize()).isComplete()) {
            break;
        }
        const CellGrid grid(page.picture);
        QList<PageLink> links;
        reader.read(grid, page.number, never, [&](const QList<PageLink> &found) { links = found; });
        const QList<PageLink> expected = pageLinksInText(page.rows);
        ocrFound += int(links.size());
        ocrExpected += int(expected.size());
        for (const PageLink &link : links) {
            ocrRight += std::any_of(expected.begin(), expected.end(), [&](const PageLink &e) {
                            return e.page == link.page && e.row == link.row && e.column == link.column;
                        })
                            ? 1
                            : 0;
        }
        ++learning;
    }
    const int known = pages.isEmpty() ? 0 : reader.templates(CellGrid(pages.first().picture).cellSize()).known();

    int found = 0, right = 0, expectedCount = 0;
    std::vector<double> errors, ms, linkMs;
    for (const Page &page : pages) {
        QList<PageLink> links;
        QElapsedTimer clock;
        clock.start();
        double linksAt = -1;
        const CellGrid grid(page.picture);
        const QString text = reader.read(grid, page.number, never, [&](const QList<PageLink> &l) {
            links = l;
            linksAt = double(clock.nsecsElapsed()) / 1e6;
        });
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        linkMs.push_back(linksAt);
        const QList<PageLink> expected = pageLinksInText(page.rows);
        found += int(links.size());
        expectedCount += int(expected.size());
        for (const PageLink &link : links) {
            const bool ok = std::any_of(expected.begin(), expected.end(), [&](const PageLink &e) {
                return e.page == link.page && e.row == link.row && e.column == link.column;
            });
            right += ok ? 1 : 0;
        }
        errors.push_back(characterError(text, page.rows));
        // PAGISCOPO_BENCH_DUMP=DIR keeps each page's files in DIR, PAGISCOPO_BENCH_SHOW prints its text.
        if (qEnvironmentVariableIsSet("PAGISCOPO_BENCH_DUMP")) {
            dumpPage(qEnvironmentVariable("PAGISCOPO_BENCH_DUMP"), int(errors.size()), page, grid, text);
        }
        if (qEnvironmentVariableIsSet("PAGISCOPO_BENCH_SHOW")) {
            std::fprintf(stderr, "--- %d: %.3f\n%s\n", page.number, errors.back(), qPrintable(text));
        }
    }
    const qint64 peak = statusKiB("VmHWM:") - before + std::max<qint64>(0, reader.engine().peakMemoryKiB());
    // pages learning known | found right expected | ocr found right expected | cer median p90 | ms median p90 |
    // links ms median | memory KiB
    std::printf("%lld %d %d %d %d %d %d %d %d %.5f %.5f %.2f %.2f %.2f %lld\n", static_cast<long long>(pages.size()),
                learning, known, found, right, expectedCount, ocrFound, ocrRight, ocrExpected, quantile(errors, 0.5),
                quantile(errors, 0.9), quantile(ms, 0.5), quantile(ms, 0.9), quantile(linkMs, 0.5),
                static_cast<long long>(peak));
    return 0;
}

qint64 statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}
