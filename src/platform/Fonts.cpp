#include "platform/Fonts.h"

#include "platform/PlatformLog.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QStringList>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace
{

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

    // Makes the strike whose em is `pixels` known to Qt, if there is one.
    void install(int pixels, bool bold)
    {
        if (!open()) {
            return;
        }
        const int key = pixels * 2 + (bold ? 1 : 0);
        if (m_installed.contains(key)) {
            return;
        }
        m_installed.append(key);
        for (int strike = 0; strike < m_face->num_fixed_sizes; ++strike) {
            if (emOfStrike(m_face->available_sizes[strike].height) != pixels) {
                continue;
            }
            const QByteArray bdf = strikeAsBdf(m_face, strike, pixels, bold);
            if (bdf.isEmpty() || QFontDatabase::addApplicationFontFromData(bdf) < 0) {
                qCWarning(lcPlatform) << "cannot install the" << pixels << "pixel" << (bold ? "bold" : "regular")
                                      << "strike of" << path();
            }
        }
    }

private:
    static QString path() { return QLatin1String(kWineFonts) + QStringLiteral("ms_sans_serif.ttf"); }

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
    QList<int> m_installed;
};

Strikes &strikes()
{
    static Strikes instance;
    return instance;
}

void installFaces()
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

QFont designFont(const QString &family, qreal points, bool bold)
{
    installFaces();
    const int pixels = designPixels(points);
    const QString key = family.toLower() + QLatin1Char('/') + QString::number(pixels) + (bold ? u'b' : u'r');
    // The face chosen for each font asked for. Names, not fonts: a QFont kept past the application
    // object would outlive the font cache it points into.
    static QHash<QString, QString> chosen;
    if (const auto it = chosen.constFind(key); it != chosen.cend()) {
        return sizedFont(*it, pixels, bold);
    }
    QString face;
    const QStringList kin = kinOf(family);
    if (kin.contains(QStringLiteral("MS Sans Serif"))) {
        strikes().install(pixels, bold);
    }
    for (const QString &candidate : kin) {
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
    return sizedFont(face, pixels, bold);
}
