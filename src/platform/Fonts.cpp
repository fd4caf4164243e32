#include "platform/Fonts.h"

#include "platform/PlatformLog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <climits>
#include <cstring>
#include <future>
#include <thread>

#include <dirent.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace
{

// Joined at exit at the latest: a thread still joinable when it is destroyed ends the program.
struct FontSystemLoader {
    std::thread thread;
    std::shared_future<void> loaded;
    ~FontSystemLoader()
    {
        if (thread.joinable()) {
            thread.join();
        }
    }
};

FontSystemLoader &fontSystemLoader()
{
    static FontSystemLoader loader;
    return loader;
}

// Linux queues a new thread on the CPU of the thread that made it, and on a machine of few cores
// may leave it there for as long as that one keeps busy, even with another CPU idle: milliseconds
// while the application object is made. The font system is what the first window waits for, so
// its thread is moved at once to the other CPUs, where it stays for the little time it runs.
void startElsewhere(std::thread &thread)
{
    cpu_set_t elsewhere;
    if (sched_getaffinity(0, sizeof elsewhere, &elsewhere) != 0) {
        return;
    }
    if (const int here = sched_getcpu(); here >= 0 && here < CPU_SETSIZE) {
        CPU_CLR(here, &elsewhere);
    }
    if (CPU_COUNT(&elsewhere) > 0) {
        if (const int error = pthread_setaffinity_np(thread.native_handle(), sizeof elsewhere, &elsewhere)) {
            qCDebug(lcPlatform) << "the font system's thread stays where it started:" << std::strerror(error);
        }
    }
}

const char *const kWineFonts = "/usr/share/wine/fonts/";

// fonts-wine's MS Sans Serif is bitmaps only, drawn for 8, 10 and 12 points at 96 dpi. Its
// TrueType file keeps them as strikes named by their cell heights, and Qt takes only the first
// strike of a file, calling it 13 pixels where Qt sizes a font by its em: every size came out as
// the 8-point strike. So each strike goes to Qt as a face of its own, named by its em.
struct StrikeSize {
    int cell;
    int em;
};
constexpr StrikeSize kStrikeSizes[] = {{13, 11}, {16, 13}, {20, 16}};

int emOfStrike(int cellHeight)
{
    for (const StrikeSize &size : kStrikeSizes) {
        if (size.cell == cellHeight) {
            return size.em;
        }
    }
    return 0;
}

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

bool pixelSet(const FT_Bitmap &bitmap, int x, int y)
{
    const int rows = int(bitmap.rows);
    const uchar *row = bitmap.pitch >= 0 ? bitmap.buffer + qsizetype(y) * bitmap.pitch
                                         : bitmap.buffer + qsizetype(rows - 1 - y) * -bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        return (row[x / 8] & (0x80 >> (x % 8))) != 0;
    }
    return row[x] >= 128;
}

// X11's PCF, the binary form of a bitmap font: FreeType opens one several times faster than the
// same font as BDF text, which it parses whole, and Qt and fontconfig open each strike twice.
namespace pcf
{

constexpr quint32 kProperties = 1 << 0;
constexpr quint32 kAccelerators = 1 << 1;
constexpr quint32 kMetrics = 1 << 2;
constexpr quint32 kBitmaps = 1 << 3;
constexpr quint32 kEncodings = 1 << 5;
// Little-endian numbers; bitmaps with the leftmost pixel in the high bit, rows padded to a byte.
constexpr quint32 kDefaultFormat = 0;
constexpr quint32 kBitmapFormat = 1 << 3;

struct Glyph {
    quint32 code = 0;
    qint16 left = 0;
    qint16 right = 0;
    qint16 advance = 0;
    qint16 ascent = 0;
    qint16 descent = 0;
    QByteArray rows; // (right - left + 7) / 8 bytes a row, ascent + descent rows
};

struct Property {
    QByteArray name;
    QByteArray text; // a string property where not null
    qint32 value = 0;
};

void put32(QByteArray &out, qint64 value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        out += char((quint64(value) >> shift) & 0xff);
    }
}

void put16(QByteArray &out, qint64 value)
{
    out += char(quint64(value) & 0xff);
    out += char((quint64(value) >> 8) & 0xff);
}

void padTo4(QByteArray &out)
{
    while (out.size() % 4 != 0) {
        out += '\0';
    }
}

void putMetric(QByteArray &out, qint16 left, qint16 right, qint16 advance, qint16 ascent, qint16 descent)
{
    for (const qint16 value : {left, right, advance, ascent, descent, qint16(0)}) {
        put16(out, value);
    }
}

QByteArray propertiesTable(const QList<Property> &properties)
{
    QByteArray strings;
    QByteArray entries;
    for (const Property &property : properties) {
        put32(entries, strings.size());
        strings += property.name + '\0';
        entries += char(property.text.isNull() ? 0 : 1);
        if (property.text.isNull()) {
            put32(entries, property.value);
        } else {
            put32(entries, strings.size());
            strings += property.text + '\0';
        }
    }
    QByteArray table;
    put32(table, kDefaultFormat);
    put32(table, properties.size());
    table += entries;
    padTo4(table);
    put32(table, strings.size());
    table += strings;
    padTo4(table);
    return table;
}

// `maxAdvance` is what FreeType reports as the strike's widest advance.
QByteArray acceleratorsTable(const QList<Glyph> &glyphs, int ascent, int descent, int maxAdvance)
{
    qint16 minLeft = SHRT_MAX, minRight = SHRT_MAX, minAdvance = SHRT_MAX, minAscent = SHRT_MAX,
           minDescent = SHRT_MAX;
    qint16 maxLeft = SHRT_MIN, maxRight = SHRT_MIN, maxAscent = SHRT_MIN, maxDescent = SHRT_MIN;
    qint32 maxOverlap = INT_MIN;
    for (const Glyph &glyph : glyphs) {
        minLeft = std::min(minLeft, glyph.left);
        minRight = std::min(minRight, glyph.right);
        minAdvance = std::min(minAdvance, glyph.advance);
        minAscent = std::min(minAscent, glyph.ascent);
        minDescent = std::min(minDescent, glyph.descent);
        maxLeft = std::max(maxLeft, glyph.left);
        maxRight = std::max(maxRight, glyph.right);
        maxAscent = std::max(maxAscent, glyph.ascent);
        maxDescent = std::max(maxDescent, glyph.descent);
        maxOverlap = std::max(maxOverlap, qint32(glyph.right) - glyph.advance);
    }
    QByteArray table;
    put32(table, kDefaultFormat);
    table += QByteArray(8, '\0'); // no claims of constant metrics, left to right
    put32(table, ascent);
    put32(table, descent);
    put32(table, maxOverlap);
    putMetric(table, minLeft, minRight, minAdvance, minAscent, minDescent);
    putMetric(table, maxLeft, maxRight, qint16(maxAdvance), maxAscent, maxDescent);
    return table;
}

QByteArray metricsTable(const QList<Glyph> &glyphs)
{
    QByteArray table;
    put32(table, kDefaultFormat);
    put32(table, glyphs.size());
    for (const Glyph &glyph : glyphs) {
        putMetric(table, glyph.left, glyph.right, glyph.advance, glyph.ascent, glyph.descent);
    }
    return table;
}

QByteArray bitmapsTable(const QList<Glyph> &glyphs)
{
    QByteArray table;
    put32(table, kBitmapFormat);
    put32(table, glyphs.size());
    QByteArray data;
    qint64 sizes[4] = {0, 0, 0, 0};
    for (const Glyph &glyph : glyphs) {
        put32(table, data.size());
        data += glyph.rows;
        const qint64 width = glyph.right - glyph.left;
        const qint64 height = qint64(glyph.ascent) + glyph.descent;
        for (int pad = 0; pad < 4; ++pad) {
            const qint64 unit = qint64(8) << pad;
            sizes[pad] += height * ((width + unit - 1) / unit) * (unit / 8);
        }
    }
    for (const qint64 size : sizes) {
        put32(table, size);
    }
    table += data;
    padTo4(table);
    return table;
}

// Glyph numbers by code, in rows of 256 codes; codes beyond U+FFFF cannot be told.
QByteArray encodingsTable(const QList<Glyph> &glyphs)
{
    int firstRow = 0xff, lastRow = 0, firstColumn = 0xff, lastColumn = 0;
    quint32 defaultCode = glyphs.constFirst().code;
    for (const Glyph &glyph : glyphs) {
        firstRow = std::min(firstRow, int(glyph.code >> 8));
        lastRow = std::max(lastRow, int(glyph.code >> 8));
        firstColumn = std::min(firstColumn, int(glyph.code & 0xff));
        lastColumn = std::max(lastColumn, int(glyph.code & 0xff));
        if (glyph.code == 0x20) {
            defaultCode = glyph.code;
        }
    }
    const int columns = lastColumn - firstColumn + 1;
    QList<quint16> numbers(qsizetype(lastRow - firstRow + 1) * columns, 0xffff);
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const quint32 code = glyphs.at(i).code;
        numbers[qsizetype(int(code >> 8) - firstRow) * columns + int(code & 0xff) - firstColumn] = quint16(i);
    }
    QByteArray table;
    put32(table, kDefaultFormat);
    for (const int value : {firstColumn, lastColumn, firstRow, lastRow, int(defaultCode)}) {
        put16(table, value);
    }
    for (const quint16 number : std::as_const(numbers)) {
        put16(table, number);
    }
    padTo4(table);
    return table;
}

QByteArray font(const QList<Property> &properties, const QList<Glyph> &glyphs, int ascent, int descent,
                int maxAdvance)
{
    const QList<std::pair<quint32, QByteArray>> tables = {
        {kProperties, propertiesTable(properties)},
        {kAccelerators, acceleratorsTable(glyphs, ascent, descent, maxAdvance)},
        {kMetrics, metricsTable(glyphs)},
        {kBitmaps, bitmapsTable(glyphs)},
        {kEncodings, encodingsTable(glyphs)},
    };
    QByteArray file("\x01" "fcp", 4);
    put32(file, tables.size());
    qint64 offset = 8 + 16 * tables.size();
    for (const auto &[type, table] : tables) {
        put32(file, type);
        put32(file, quint32(uchar(table.at(0))) | quint32(uchar(table.at(1))) << 8); // its format
        put32(file, table.size());
        put32(file, offset);
        offset += table.size();
    }
    for (const auto &table : tables) {
        file += table.second;
    }
    return file;
}

// Whether `bytes` hold a PCF font whose every table is there: a kept file cut short is made anew.
bool isWhole(QByteArrayView bytes)
{
    const auto read32 = [&](qint64 at) {
        quint32 value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | uchar(bytes.at(at + i));
        }
        return value;
    };
    if (bytes.size() < 8 || !bytes.startsWith(QByteArrayView("\x01" "fcp", 4))) {
        return false;
    }
    const qint64 count = read32(4);
    if (count == 0 || count > 16 || bytes.size() < 8 + 16 * count) {
        return false;
    }
    for (qint64 i = 0; i < count; ++i) {
        const qint64 size = read32(8 + 16 * i + 8);
        const qint64 offset = read32(8 + 16 * i + 12);
        if (offset + size > bytes.size()) {
            return false;
        }
    }
    return true;
}

} // namespace pcf

bool isPrivateUse(FT_ULong code)
{
    return code >= 0xe000 && code <= 0xf8ff;
}

// One strike of `face` as a font of its own. The bold is made as Windows makes bold a face that
// has none, and as the buttons draw their bold captions: every character one pixel wider, struck
// a second time one pixel to the right.
QByteArray strikeAsFont(FT_Face face, int strike, int em, bool bold)
{
    if (FT_Select_Size(face, strike) != 0) {
        return {};
    }
    const int ascent = int(face->size->metrics.ascender / 64);
    const int descent = int(-face->size->metrics.descender / 64);
    const int widen = bold ? 1 : 0;
    QList<pcf::Glyph> glyphs;
    QRect bounds;
    FT_UInt index = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0; code = FT_Get_Next_Char(face, code, &index)) {
        // fonts-wine has six private-use characters, at U+F8F9 and up, which no text here uses.
        // A PCF font's encoding table runs without a gap from its lowest character to its highest,
        // so those six alone would make the strike four times the size that Qt and fontconfig
        // read at every start; they are left to the face Qt falls back to.
        if (code > 0xffff || isPrivateUse(code) ||
            FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap &bitmap = slot->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            continue;
        }
        const int inkWidth = int(bitmap.width);
        const int width = inkWidth == 0 ? 0 : inkWidth + widen;
        const int height = inkWidth == 0 ? 0 : int(bitmap.rows);
        const int bottom = height == 0 ? 0 : slot->bitmap_top - height;
        const int left = height == 0 ? 0 : slot->bitmap_left;
        pcf::Glyph glyph;
        glyph.code = quint32(code);
        glyph.left = qint16(left);
        glyph.right = qint16(left + width);
        glyph.advance = qint16(slot->advance.x / 64 + widen);
        glyph.ascent = qint16(bottom + height);
        glyph.descent = qint16(-bottom);
        const int rowBytes = (width + 7) / 8;
        glyph.rows = QByteArray(qsizetype(rowBytes) * height, '\0');
        for (int y = 0; y < height; ++y) {
            char *row = glyph.rows.data() + qsizetype(y) * rowBytes;
            for (int x = 0; x < inkWidth; ++x) {
                if (!pixelSet(bitmap, x, y)) {
                    continue;
                }
                for (int at = x; at <= x + widen; ++at) {
                    row[at / 8] = char(uchar(row[at / 8]) | (0x80 >> (at % 8)));
                }
            }
        }
        if (width > 0) {
            bounds |= QRect(left, bottom, width, height);
        }
        glyphs << glyph;
    }
    if (glyphs.isEmpty()) {
        return {};
    }
    const QByteArray family = face->family_name;
    const QByteArray weight = bold ? "Bold" : "Regular";
    const auto text = [](const char *name, const QByteArray &value) { return pcf::Property{name, value, 0}; };
    const auto value = [](const char *name, qint32 number) { return pcf::Property{name, QByteArray(), number}; };
    const QList<pcf::Property> properties = {
        text("FONT", "-wine-" + family + '-' + weight + "-R-Normal--" + number(em) + '-' + number(em * 10) +
                         "-72-72-P-0-ISO10646-1"),
        text("FAMILY_NAME", family),
        text("WEIGHT_NAME", weight),
        text("SLANT", "R"),
        text("SETWIDTH_NAME", "Normal"),
        value("PIXEL_SIZE", em),
        value("POINT_SIZE", em * 10),
        value("RESOLUTION_X", 72),
        value("RESOLUTION_Y", 72),
        text("SPACING", "P"),
        value("FONT_ASCENT", ascent),
        value("FONT_DESCENT", descent),
        text("CHARSET_REGISTRY", "ISO10646"),
        text("CHARSET_ENCODING", "1"),
    };
    // FreeType gives the width of the box around every character's ink as the widest advance of
    // the strike, as it does for the same font in BDF: the metrics Qt takes stay the same.
    return pcf::font(properties, glyphs, ascent, descent, bounds.width());
}

QString cacheFolder();
QByteArray fontStateForCache();
void writeCacheFile(const QString &path, const QByteArray &bytes);

// fonts-wine's MS Sans Serif, opened on first need. Each strike goes to Qt only when a window asks
// for its size and weight: turning all six into faces costs more than the rest of the start-up.
class Strikes
{
public:
    ~Strikes()
    {
        if (m_face) {
            FT_Done_Face(m_face);
        }
        if (m_library) {
            FT_Done_FreeType(m_library);
        }
    }

    // Makes the strike whose em is `pixels` known to Qt, if there is one. Returns the family Qt
    // knows it by, or nothing when there is no such strike or Qt would not take it.
    QString install(int pixels, bool bold)
    {
        const int key = pixels * 2 + (bold ? 1 : 0);
        if (const auto it = m_installed.constFind(key); it != m_installed.cend()) {
            return *it;
        }
        // A strike kept from an earlier run on the same fonts needs no look into the font file.
        QByteArray font = keptStrike(pixels, bold);
        if (font.isEmpty() && open()) {
            for (int strike = 0; strike < m_face->num_fixed_sizes && font.isEmpty(); ++strike) {
                if (emOfStrike(m_face->available_sizes[strike].height) == pixels) {
                    font = madeStrike(strike, pixels, bold);
                }
            }
        }
        QString family;
        if (!font.isEmpty()) {
            const int id = QFontDatabase::addApplicationFontFromData(font);
            const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
            if (families.isEmpty()) {
                qCWarning(lcPlatform) << "cannot install the" << pixels << "pixel" << (bold ? "bold" : "regular")
                                      << "strike of" << path();
            } else {
                family = families.constFirst();
            }
        }
        m_installed.insert(key, family);
        return family;
    }

    // Whether a bold `family` of `pixels` draws as the regular strike: the family is one of these
    // strikes and no other face, and no bold strike of that size was made. A PCF strike has no
    // weight class for FreeType to embolden it by, and Qt takes the regular strike for the bold.
    std::optional<bool> drawsBoldAsRegular(const QString &family, int pixels) const
    {
        const QString regular = m_installed.value(pixels * 2);
        if (regular.isEmpty() || family.compare(regular, Qt::CaseInsensitive) != 0 ||
            !m_installed.value(pixels * 2 + 1).isEmpty()) {
            return std::nullopt;
        }
        // A face of that name installed beside the strikes (fonts-wine's file added to
        // fontconfig, say) gives Qt another foundry to choose, and Qt lists each by name.
        const QStringList families = QFontDatabase::families();
        const QString withFoundry = regular + QStringLiteral(" [");
        for (const QString &known : families) {
            if (known.startsWith(withFoundry, Qt::CaseInsensitive)) {
                return std::nullopt;
            }
        }
        const QStringList styles = QFontDatabase::styles(regular);
        for (const QString &style : styles) {
            if (QFontDatabase::bold(regular, style) || QFontDatabase::isScalable(regular, style)) {
                return std::nullopt;
            }
        }
        return true;
    }

private:
    static QString path() { return QLatin1String(kWineFonts) + QStringLiteral("ms_sans_serif.ttf"); }

    // A line with the state of the fonts it was made from, then the strike as a PCF font.
    static QString keptPath(int em, bool bold)
    {
        return cacheFolder() + QStringLiteral("/ms-sans-serif-%1%2.strike").arg(em).arg(QChar(bold ? u'b' : u'r'));
    }

    // The first line of a kept strike: the state of the fonts it was made from, and which of their
    // characters it holds (a strike kept with others is made anew).
    static QByteArray keptStamp() { return fontStateForCache() + " bmp-without-private-use\n"; }

    // The strike made in an earlier run where the fonts are as they were then: making one takes
    // longer than Qt takes to read it.
    static QByteArray keptStrike(int em, bool bold)
    {
        QFile kept(keptPath(em, bold));
        if (!kept.open(QIODevice::ReadOnly) || kept.size() > kMaxKeptStrike) {
            return {};
        }
        QByteArray bytes = kept.readAll();
        const QByteArray stamp = keptStamp();
        if (!bytes.startsWith(stamp) || !pcf::isWhole(QByteArrayView(bytes).sliced(stamp.size()))) {
            return {};
        }
        // In place: every copy of the strike would be new memory.
        return bytes.remove(0, stamp.size());
    }

    QByteArray madeStrike(int strike, int em, bool bold)
    {
        const QByteArray font = strikeAsFont(m_face, strike, em, bold);
        if (!font.isEmpty()) {
            writeCacheFile(keptPath(em, bold), keptStamp() + font);
            // What earlier versions kept in its place, as BDF.
            QFile::remove(QString(keptPath(em, bold)).replace(QLatin1String(".strike"), QLatin1String(".bdf")));
        }
        return font;
    }

    static constexpr qint64 kMaxKeptStrike = 4 * 1024 * 1024;

    bool open()
    {
        if (m_tried) {
            return m_face != nullptr;
        }
        m_tried = true;
        const QString file = path();
        if (!QFile::exists(file)) {
            qCWarning(lcPlatform) << "the bitmap font" << file << "is missing (fonts-wine): the windows use a stand-in";
            return false;
        }
        if (FT_Init_FreeType(&m_library) != 0) {
            qCWarning(lcPlatform) << "FreeType does not start; cannot read" << file;
            m_library = nullptr;
            return false;
        }
        if (FT_New_Face(m_library, QFile::encodeName(file).constData(), 0, &m_face) != 0) {
            qCWarning(lcPlatform) << "cannot read the font" << file;
            m_face = nullptr;
            return false;
        }
        return true;
    }

    bool m_tried = false;
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
    QHash<int, QString> m_installed;
};

Strikes &strikes()
{
    static Strikes instance;
    return instance;
}

// fonts-wine's Tahoma goes to Qt only when a choice needs it: parsing its two files is a
// millisecond of every start-up that has its choice already known.
void installTahoma()
{
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    const QString dir = QString::fromLatin1(kWineFonts);
    for (const char *name : {"tahoma.ttf", "tahomabd.ttf"}) {
        const QString path = dir + QLatin1String(name);
        if (!QFile::exists(path)) {
            qCWarning(lcPlatform) << "the font" << path << "is missing (fonts-wine): the windows use a stand-in";
        } else if (QFontDatabase::addApplicationFont(path) < 0) {
            qCWarning(lcPlatform) << "cannot load the font" << path;
        }
    }
}

QStringList allKin();

// Name, size and modification time of each of fonts-wine's TrueType files, by name. Straight from
// the file system: QFileInfo's times are local-time QDateTimes, and the time zone they first load
// costs more than the directory itself.
QByteArray wineFilesState()
{
    const QByteArray dir(kWineFonts);
    DIR *listing = opendir(dir.constData());
    if (!listing) {
        return {};
    }
    QList<QByteArray> names;
    while (const dirent *entry = readdir(listing)) {
        const QByteArray name(entry->d_name);
        // As QDir lists them: no hidden files, the pattern without regard to case.
        if (!name.startsWith('.') && name.size() > 4 && name.right(4).toLower() == ".ttf") {
            names << name;
        }
    }
    closedir(listing);
    std::sort(names.begin(), names.end(),
              [](const QByteArray &a, const QByteArray &b) { return QFile::decodeName(a) < QFile::decodeName(b); });
    QByteArray state;
    for (const QByteArray &name : std::as_const(names)) {
        struct stat info;
        if (stat((dir + name).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        const qint64 modified = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        state += QFile::decodeName(name).toUtf8() + ' ' + QByteArray::number(qint64(info.st_size)) + ' ' +
                 QByteArray::number(modified) + ';';
    }
    return state;
}

// The faces chosen, kept between runs in the user's cache folder: choosing one means asking
// fontconfig for several faces and drawing with them, which is most of what the main window costs
// to build. The first line is the state of the fonts the choices were made from: the Qt version,
// fonts-wine's files, and the styles and bitmap sizes fontconfig has of every face that may be
// chosen, and the program's version. Any change there (a font package installed or removed, a
// newer Pagiscopo) makes every choice anew. The strikes kept carry the same state.
class ChoiceCache
{
public:
    // Reads what needs no font system, while fontconfig may still be loading: fonts-wine's files
    // and the choices kept last time. They count only once settle() has found the fonts as they were.
    ChoiceCache() : m_hash(QCryptographicHash::Sha1)
    {
        m_path = cacheFolder() + QStringLiteral("/fonts");
        m_hash.addData(QByteArrayView(qVersion()));
        m_hash.addData(wineFilesState());
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (file.exists()) {
                qCWarning(lcPlatform) << "cannot read the font choices in" << m_path << ':' << file.errorString();
            }
            return;
        }
        m_kept = file.read(kMaxSize).split('\n');
    }

    QString find(const QString &key)
    {
        settle();
        return m_choices.value(key);
    }

    void keep(const QString &key, const QString &face)
    {
        settle();
        if (key.contains(u'\t') || key.contains(u'\n') || face.contains(u'\t') || face.contains(u'\n')) {
            return;
        }
        m_choices.insert(key, face);
        QByteArray text = m_state;
        for (auto it = m_choices.cbegin(); it != m_choices.cend(); ++it) {
            text += '\n' + it.key().toUtf8() + '\t' + it.value().toUtf8();
        }
        writeCacheFile(m_path, text);
    }

    const QByteArray &state()
    {
        settle();
        return m_state;
    }

private:
    // The rest of the state needs Qt's font database, and so fontconfig.
    void settle()
    {
        if (!m_state.isEmpty()) {
            return;
        }
        awaitFontSystem();
        for (const QString &family : allKin()) {
            m_hash.addData(family.toUtf8() + ':');
            for (const QString &style : QFontDatabase::styles(family)) {
                m_hash.addData(style.toUtf8() + (QFontDatabase::isSmoothlyScalable(family, style) ? "/s" : "/b"));
                for (const int size : QFontDatabase::smoothSizes(family, style)) {
                    m_hash.addData(QByteArray::number(size) + ',');
                }
            }
        }
        // The program's version too: a newer one may choose by other rules.
        m_state = QByteArray(PAGISCOPO_VERSION) + ' ' + m_hash.result().toHex();
        const QList<QByteArray> kept = std::exchange(m_kept, {});
        if (kept.isEmpty()) {
            return;
        }
        if (kept.constFirst() != m_state) {
            qCDebug(lcPlatform) << "the fonts changed since the choices in" << m_path << "were made";
            return;
        }
        for (qsizetype i = 1; i < kept.size(); ++i) {
            const QList<QByteArray> fields = kept.at(i).split('\t');
            if (fields.size() == 2 && !fields.at(0).isEmpty() && !fields.at(1).isEmpty()) {
                m_choices.insert(QString::fromUtf8(fields.at(0)), QString::fromUtf8(fields.at(1)));
            }
        }
    }

    static constexpr qint64 kMaxSize = 64 * 1024;

    QString m_path;
    QCryptographicHash m_hash;
    QList<QByteArray> m_kept;
    QByteArray m_state;
    QHash<QString, QString> m_choices;
};

ChoiceCache &choiceCache()
{
    static ChoiceCache cache;
    return cache;
}

QString cacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/pagiscopo");
}

QByteArray fontStateForCache()
{
    return choiceCache().state();
}

// What cannot be kept is made anew next time; the fonts are the same either way.
void writeCacheFile(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        qCWarning(lcPlatform) << "cannot make the folder of" << path << "; the fonts are made anew next time";
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcPlatform) << "cannot keep" << path << ':' << file.errorString();
    }
}

// Faces of the same kind as each Windows face the layouts name, nearest first. A face counts
// only where it draws at the size and weight asked for.
QStringList kinOf(const QString &family)
{
    const QString name = family.toLower();
    if (name == QLatin1String("ms sans serif") || name == QLatin1String("microsoft sans serif")) {
        // Microsoft Sans Serif is the outline version of MS Sans Serif, on the same metrics; at the
        // sizes MS Sans Serif has no bitmaps for, Nimbus Sans is, as MS Sans Serif (once "Helv")
        // was drawn to be, a Helvetica.
        QStringList kin{family, QStringLiteral("MS Sans Serif"), QStringLiteral("Nimbus Sans"),
                        QStringLiteral("DejaVu Sans")};
        kin.removeDuplicates();
        return kin;
    }
    if (name == QLatin1String("tahoma")) {
        // fonts-wine's Tahoma Bold carries the regular outlines under wider advances, so bold comes
        // from DejaVu Sans Condensed, which is, as Tahoma is, a narrow Verdana.
        return {family, QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")};
    }
    if (name == QLatin1String("tw cen mt")) {
        // Tw Cen MT is narrow; the label drawn for the author's name holds it only at such a width.
        return {family, QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")};
    }
    return {family};
}

// Every face kinOf() may offer for the faces the layouts name.
QStringList allKin()
{
    QStringList all;
    for (const char *name : {"MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Tw Cen MT"}) {
        all += kinOf(QString::fromLatin1(name));
    }
    all.removeDuplicates();
    return all;
}

QFont sizedFont(const QString &family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// "Nimbus Sans [urw]" -> "Nimbus Sans": Qt names the foundry where a family has several.
QString familyOf(const QFontInfo &info)
{
    QString family = info.family();
    if (const qsizetype bracket = family.indexOf(QLatin1String(" [")); bracket > 0) {
        family.truncate(bracket);
    }
    return family;
}

qint64 inkOf(const QFont &font)
{
    const QString probe = QStringLiteral("Hnmlo");
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(probe) + 8, metrics.height() + 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(4, 2 + metrics.ascent(), probe);
    }
    qint64 ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            ink += qAlpha(line[x]);
        }
    }
    return ink;
}

bool drawsAsAsked(const QFont &font, const QString &family, int pixels, bool bold)
{
    const QFontInfo info(font);
    // fontconfig hands out another face for one it does not have.
    if (familyOf(info).compare(family, Qt::CaseInsensitive) != 0) {
        return false;
    }
    // A bitmap face without a strike of this size offers its nearest one.
    if (info.pixelSize() != pixels) {
        return false;
    }
    // A bold face that is not bolder than the regular one (or no bold face, where the font engine
    // will not embolden) does not count as bold.
    return !bold || inkOf(font) * 5 >= inkOf(sizedFont(family, pixels, false)) * 6;
}

} // namespace

std::optional<bool> boldDrawnAsRegular(const QFont &font)
{
    if (!font.bold() || font.pixelSize() <= 0 || !qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        return std::nullopt;
    }
    return strikes().drawsBoldAsRegular(font.family(), font.pixelSize());
}

int designPixels(qreal points)
{
    return qRound(points * 96.0 / 72.0);
}

void startLoadingFontSystem(std::function<void()> afterwards)
{
    FontSystemLoader &loader = fontSystemLoader();
    if (loader.thread.joinable()) {
        return;
    }
    // Qt takes the first thread that asks for its thread data for the main one. The thread started
    // here may make QObjects in `afterwards` (decoding a picture does) before the application
    // object exists; the caller, the main thread, asks first so that it stays the main thread.
    QThread::currentThread();
    std::promise<void> loaded;
    loader.loaded = loaded.get_future().share();
    loader.thread = std::thread([loaded = std::move(loaded), afterwards = std::move(afterwards)]() mutable {
        // Should fontconfig be asked meanwhile on another thread, it loads on its own there and
        // keeps one of the two configurations: slower, never wrong.
        if (FcInit() != FcTrue) {
            qCWarning(lcPlatform) << "fontconfig cannot load its configuration: texts may be drawn in a stand-in face";
        }
        loaded.set_value();
        if (afterwards) {
            afterwards();
        }
    });
    startElsewhere(loader.thread);
}

void awaitFontSystem()
{
    const FontSystemLoader &loader = fontSystemLoader();
    if (loader.loaded.valid()) {
        loader.loaded.wait();
    }
}

bool fontSystemLoading()
{
    const FontSystemLoader &loader = fontSystemLoader();
    return loader.loaded.valid() && loader.loaded.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

QFont designFont(const QString &family, qreal points, bool bold)
{
    // What needs no font system is read while fontconfig may still be loading.
    choiceCache();
    awaitFontSystem();
    const int pixels = designPixels(points);
    const QString key = family.toLower() + QLatin1Char('/') + QString::number(pixels) + (bold ? u'b' : u'r');
    // The face chosen for each font asked for. Names, not fonts: a QFont kept past the application
    // object would outlive the font cache it points into.
    static QHash<QString, QString> chosen;
    if (const auto it = chosen.constFind(key); it != chosen.cend()) {
        return sizedFont(*it, pixels, bold);
    }
    const QStringList kin = kinOf(family);
    const auto installFor = [&](const QString &face) {
        if (face.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0) {
            installTahoma();
        }
    };
    // A choice made in an earlier run: its face, where it is a strike, is made again here.
    if (QString face = choiceCache().find(key); !face.isEmpty()) {
        if (face == QLatin1String("MS Sans Serif")) {
            strikes().install(pixels, bold);
        }
        installFor(face);
        chosen.insert(key, face);
        return sizedFont(face, pixels, bold);
    }
    QString face;
    if (kin.contains(QStringLiteral("MS Sans Serif"))) {
        // A strike made here for this very size and weight draws as asked: asking fontconfig to
        // match it and drawing it to check its weight cost more than the rest of the window.
        // (A face of the name asked for, where one is installed, still comes first.)
        const bool installed = !strikes().install(pixels, bold).isEmpty();
        if (installed && kin.constFirst() == QLatin1String("MS Sans Serif")) {
            face = kin.constFirst();
        }
    }
    for (const QString &candidate : kin) {
        if (!face.isEmpty()) {
            break;
        }
        installFor(candidate);
        if (drawsAsAsked(sizedFont(candidate, pixels, bold), candidate, pixels, bold)) {
            face = candidate;
            if (candidate.compare(family, Qt::CaseInsensitive) != 0) {
                qCDebug(lcPlatform) << family << points << "pt drawn with" << candidate;
            }
            break;
        }
    }
    if (face.isEmpty()) {
        face = family;
        qCWarning(lcPlatform) << "no face here draws" << family << points << "pt" << (bold ? "bold" : "regular")
                              << "at that size and weight; drawing it with"
                              << QFontInfo(sizedFont(family, pixels, bold)).family();
    }
    chosen.insert(key, face);
    choiceCache().keep(key, face);
    return sizedFont(face, pixels, bold);
}
