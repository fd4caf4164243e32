#include "platform/Fonts.h"

#include "platform/PlatformLog.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <future>
#include <thread>

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

// One strike of `face` as a BDF font of its own. The bold is made as Windows makes bold a face
// that has none, and as the buttons draw their bold captions: every character one pixel wider,
// struck a second time one pixel to the right.
QByteArray strikeAsBdf(FT_Face face, int strike, int em, bool bold)
{
    if (FT_Select_Size(face, strike) != 0) {
        return {};
    }
    const int ascent = int(face->size->metrics.ascender / 64);
    const int descent = int(-face->size->metrics.descender / 64);
    const int widen = bold ? 1 : 0;
    QByteArray glyphs;
    int count = 0;
    QRect bounds;
    FT_UInt index = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &index); index != 0; code = FT_Get_Next_Char(face, code, &index)) {
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
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
        const int advance = int(slot->advance.x / 64) + widen;
        glyphs += "STARTCHAR U+" + QByteArray::number(qulonglong(code), 16) + "\nENCODING " + number(qint64(code)) +
                  "\nSWIDTH " + number(advance * 1000 / em) + " 0\nDWIDTH " + number(advance) + " 0\nBBX " +
                  number(width) + ' ' + number(height) + ' ' + number(left) + ' ' + number(bottom) + "\nBITMAP\n";
        for (int y = 0; y < height; ++y) {
            QByteArray row((width + 7) / 8, '\0');
            for (int x = 0; x < inkWidth; ++x) {
                if (!pixelSet(bitmap, x, y)) {
                    continue;
                }
                for (int at = x; at <= x + widen; ++at) {
                    row[at / 8] = char(uchar(row[at / 8]) | (0x80 >> (at % 8)));
                }
            }
            glyphs += row.toHex().toUpper() + '\n';
        }
        glyphs += "ENDCHAR\n";
        if (width > 0) {
            bounds |= QRect(left, bottom, width, height);
        }
        ++count;
    }
    if (count == 0) {
        return {};
    }
    const QByteArray family = face->family_name;
    const QByteArray weight = bold ? "Bold" : "Regular";
    const QList<QByteArray> properties = {
        "FAMILY_NAME \"" + family + '"',
        "WEIGHT_NAME \"" + weight + '"',
        "SLANT \"R\"",
        "SETWIDTH_NAME \"Normal\"",
        "PIXEL_SIZE " + number(em),
        "POINT_SIZE " + number(em * 10),
        "RESOLUTION_X 72",
        "RESOLUTION_Y 72",
        "SPACING \"P\"",
        "FONT_ASCENT " + number(ascent),
        "FONT_DESCENT " + number(descent),
        "CHARSET_REGISTRY \"ISO10646\"",
        "CHARSET_ENCODING \"1\"",
    };
    QByteArray font = "STARTFONT 2.1\nFONT -wine-" + family + '-' + weight + "-R-Normal--" + number(em) + '-' +
                      number(em * 10) + "-72-72-P-0-ISO10646-1\nSIZE " + number(em) + " 72 72\nFONTBOUNDINGBOX " +
                      number(bounds.width()) + ' ' + number(bounds.height()) + ' ' + number(bounds.x()) + ' ' +
                      number(bounds.y()) + "\nSTARTPROPERTIES " + number(properties.size()) + '\n';
    for (const QByteArray &property : properties) {
        font += property + '\n';
    }
    return font + "ENDPROPERTIES\nCHARS " + number(count) + '\n' + glyphs + "ENDFONT\n";
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
        if (!open()) {
            return {};
        }
        const int key = pixels * 2 + (bold ? 1 : 0);
        if (const auto it = m_installed.constFind(key); it != m_installed.cend()) {
            return *it;
        }
        QString family;
        for (int strike = 0; strike < m_face->num_fixed_sizes && family.isEmpty(); ++strike) {
            if (emOfStrike(m_face->available_sizes[strike].height) != pixels) {
                continue;
            }
            const QByteArray bdf = keptStrike(strike, pixels, bold);
            const int id = bdf.isEmpty() ? -1 : QFontDatabase::addApplicationFontFromData(bdf);
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

private:
    static QString path() { return QLatin1String(kWineFonts) + QStringLiteral("ms_sans_serif.ttf"); }

    // The strike as a BDF font, made in an earlier run where the fonts are as they were then:
    // making one takes longer than Qt takes to read it.
    QByteArray keptStrike(int strike, int em, bool bold)
    {
        const QString file = cacheFolder() + QStringLiteral("/ms-sans-serif-%1%2.bdf").arg(em).arg(QChar(bold ? u'b' : u'r'));
        const QByteArray stamp = "COMMENT " + fontStateForCache() + '\n';
        QFile kept(file);
        if (kept.open(QIODevice::ReadOnly)) {
            const QByteArray bdf = kept.read(kMaxKeptStrike);
            if (bdf.startsWith("STARTFONT ") && bdf.indexOf('\n') > 0 &&
                bdf.mid(bdf.indexOf('\n') + 1, stamp.size()) == stamp && bdf.endsWith("ENDFONT\n")) {
                return bdf;
            }
        }
        QByteArray bdf = strikeAsBdf(m_face, strike, em, bold);
        if (!bdf.isEmpty()) {
            bdf.insert(bdf.indexOf('\n') + 1, stamp);
            writeCacheFile(file, bdf);
        }
        return bdf;
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

// The faces chosen, kept between runs in the user's cache folder: choosing one means asking
// fontconfig for several faces and drawing with them, which is most of what the main window costs
// to build. The first line is the state of the fonts the choices were made from: the Qt version,
// fonts-wine's files, and the styles and bitmap sizes fontconfig has of every face that may be
// chosen, and the program's version. Any change there (a font package installed or removed, a
// newer Pagiscopo) makes every choice anew. The strikes made into BDF fonts carry the same state.
class ChoiceCache
{
public:
    ChoiceCache()
    {
        m_path = cacheFolder() + QStringLiteral("/fonts");
        m_state = fontState();
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            if (file.exists()) {
                qCWarning(lcPlatform) << "cannot read the font choices in" << m_path << ':' << file.errorString();
            }
            return;
        }
        const QList<QByteArray> lines = file.read(kMaxSize).split('\n');
        if (lines.isEmpty() || lines.constFirst() != m_state) {
            qCDebug(lcPlatform) << "the fonts changed since the choices in" << m_path << "were made";
            return;
        }
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> fields = lines.at(i).split('\t');
            if (fields.size() == 2 && !fields.at(0).isEmpty() && !fields.at(1).isEmpty()) {
                m_choices.insert(QString::fromUtf8(fields.at(0)), QString::fromUtf8(fields.at(1)));
            }
        }
    }

    QString find(const QString &key) const { return m_choices.value(key); }

    void keep(const QString &key, const QString &face)
    {
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

    const QByteArray &state() const { return m_state; }

private:
    static constexpr qint64 kMaxSize = 64 * 1024;

    static QByteArray fontState()
    {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        hash.addData(QByteArrayView(qVersion()));
        const QDir wine(QString::fromLatin1(kWineFonts));
        for (const QFileInfo &info : wine.entryInfoList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name)) {
            hash.addData(QStringLiteral("%1 %2 %3;")
                             .arg(info.fileName())
                             .arg(info.size())
                             .arg(info.lastModified().toMSecsSinceEpoch())
                             .toUtf8());
        }
        for (const QString &family : allKin()) {
            hash.addData(family.toUtf8() + ':');
            for (const QString &style : QFontDatabase::styles(family)) {
                hash.addData(style.toUtf8() + (QFontDatabase::isSmoothlyScalable(family, style) ? "/s" : "/b"));
                for (const int size : QFontDatabase::smoothSizes(family, style)) {
                    hash.addData(QByteArray::number(size) + ',');
                }
            }
        }
        // The program's version too: a newer one may choose by other rules.
        return QByteArray(PAGISCOPO_VERSION) + ' ' + hash.result().toHex();
    }

    QString m_path;
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
}

void awaitFontSystem()
{
    const FontSystemLoader &loader = fontSystemLoader();
    if (loader.loaded.valid()) {
        loader.loaded.wait();
    }
}

QFont designFont(const QString &family, qreal points, bool bold)
{
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
