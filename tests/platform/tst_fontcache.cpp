#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <ft2build.h>
#include FT_FREETYPE_H

// The faces chosen and the strikes made are kept between runs; each run here is a program of its
// own, as a user's start-ups are, with its own cache folder.
class FontCacheTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstRun_keepsItsChoicesAndAFreshRunUsesThem();
    void changedFonts_makeEveryChoiceAnew();
    void damagedStrike_isMadeAgain();
    void keptStrike_drawsEveryCharacterAsTheFontFilesStrike();
    void unwritableCache_stillChoosesTheSameFaces();
    void fontThread_leavesTheMainThreadToTheApplication();

private:
    // designFont() for Tahoma 15.75 bold and MS Sans Serif 8.25, as the main window asks.
    QStringList choose(const QString &cacheHome, QByteArray *errors = nullptr);
    QString choices() const { return m_cache.path() + QStringLiteral("/pagiscopo/fonts"); }
    QString strike() const { return m_cache.path() + QStringLiteral("/pagiscopo/ms-sans-serif-11r.strike"); }
    static QByteArray read(const QString &path);
    static void write(const QString &path, const QByteArray &bytes);

    QTemporaryDir m_cache;
    QStringList m_fresh; // the choices with nothing kept
};

QStringList FontCacheTest::choose(const QString &cacheHome, QByteArray *errors)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(FONT_CHOICE),
                {QStringLiteral("Tahoma"), QStringLiteral("15.75"), QStringLiteral("bold"),
                 QStringLiteral("MS Sans Serif"), QStringLiteral("8.25"), QStringLiteral("regular")});
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        qWarning() << "font-choice failed:" << child.readAllStandardError();
        return {};
    }
    if (errors) {
        *errors = child.readAllStandardError();
    }
    return QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

QByteArray FontCacheTest::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void FontCacheTest::write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void FontCacheTest::init()
{
    QVERIFY(m_cache.isValid());
    QDir(m_cache.path() + QStringLiteral("/pagiscopo")).removeRecursively();
    if (m_fresh.isEmpty()) {
        QTemporaryDir empty;
        m_fresh = choose(empty.path());
        QCOMPARE(m_fresh.size(), 2);
        // The window's font really is the 11-pixel strike, where fonts-wine is installed.
        if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"))) {
            QCOMPARE(m_fresh.at(1), QStringLiteral("MS Sans Serif\t11"));
        }
    }
}

void FontCacheTest::firstRun_keepsItsChoicesAndAFreshRunUsesThem()
{
    QCOMPARE(choose(m_cache.path()), m_fresh);
    QByteArray kept = read(choices());
    const QList<QByteArray> lines = kept.split('\n');
    QVERIFY2(lines.size() >= 3, kept.constData());
    QVERIFY(lines.contains("tahoma/21b\t" + m_fresh.at(0).section(u'\t', 0, 0).toUtf8()));

    // Kept choices are taken as they stand while the fonts are as they were: a face planted in
    // the file is what the next run draws with.
    kept.replace("tahoma/21b\t" + m_fresh.at(0).section(u'\t', 0, 0).toUtf8(), "tahoma/21b\tDejaVu Sans Mono");
    write(choices(), kept);
    const QStringList planted = choose(m_cache.path());
    QCOMPARE(planted.size(), 2);
    QCOMPARE(planted.at(0).section(u'\t', 0, 0), QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(planted.at(1), m_fresh.at(1));
}

void FontCacheTest::changedFonts_makeEveryChoiceAnew()
{
    QCOMPARE(choose(m_cache.path()), m_fresh);
    QByteArray kept = read(choices());
    const qsizetype end = kept.indexOf('\n');
    QVERIFY(end > 0);
    const QByteArray state = kept.left(end);
    // Another state of the fonts, and a choice that is wrong for this one.
    kept.replace(0, end, "0.0 0000");
    kept.replace("tahoma/21b\t" + m_fresh.at(0).section(u'\t', 0, 0).toUtf8(), "tahoma/21b\tDejaVu Sans Mono");
    write(choices(), kept);

    QCOMPARE(choose(m_cache.path()), m_fresh);
    const QByteArray remade = read(choices());
    QVERIFY(remade.startsWith(state + '\n'));
    QVERIFY(!remade.contains("DejaVu Sans Mono"));
}

void FontCacheTest::damagedStrike_isMadeAgain()
{
    if (!QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"))) {
        QSKIP("fonts-wine's MS Sans Serif is not installed: no strike is made");
    }
    QCOMPARE(choose(m_cache.path()), m_fresh);
    const QByteArray whole = read(strike());
    // The state of the fonts it was made from, then the font.
    const QByteArray state = read(choices()).split('\n').constFirst();
    QVERIFY(!state.isEmpty());
    QVERIFY(whole.startsWith(state + ' '));
    QVERIFY(whole.contains("\n\x01" "fcp"));
    // Cut short, as a full disk or a crash leaves a file: the strike is made again, whole.
    write(strike(), whole.left(whole.size() / 2));
    QCOMPARE(choose(m_cache.path()), m_fresh);
    QCOMPARE(read(strike()), whole);
    // A strike kept under another state of the fonts is made anew too.
    QByteArray stale = whole;
    stale.replace(0, state.size(), "0.0 0000");
    write(strike(), stale);
    QCOMPARE(choose(m_cache.path()), m_fresh);
    QCOMPARE(read(strike()), whole);
    // So is one kept under the bare state, as earlier versions kept theirs with every character.
    write(strike(), state + whole.mid(whole.indexOf('\n')));
    QCOMPARE(choose(m_cache.path()), m_fresh);
    QCOMPARE(read(strike()), whole);
}

// The strike Qt is given holds every character of fonts-wine's 11-pixel strike but the six
// private-use ones, pixel for pixel, at the same place and advance, with the same ascent and
// descent.
void FontCacheTest::keptStrike_drawsEveryCharacterAsTheFontFilesStrike()
{
    const QString original = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (!QFile::exists(original)) {
        QSKIP("fonts-wine's MS Sans Serif is not installed: no strike is made");
    }
    QCOMPARE(choose(m_cache.path()), m_fresh);
    const QByteArray kept = read(strike());
    const QByteArray font = kept.mid(kept.indexOf('\n') + 1);

    FT_Library library = nullptr;
    QCOMPARE(FT_Init_FreeType(&library), 0);
    const auto done = qScopeGuard([&] { FT_Done_FreeType(library); });
    FT_Face made = nullptr;
    FT_Face file = nullptr;
    QCOMPARE(FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte *>(font.constData()), FT_Long(font.size()), 0,
                                &made),
             0);
    QCOMPARE(FT_New_Face(library, QFile::encodeName(original).constData(), 0, &file), 0);
    QCOMPARE(QByteArray(made->family_name), QByteArray(file->family_name));
    QCOMPARE(made->num_fixed_sizes, 1);
    QCOMPARE(made->available_sizes[0].y_ppem, 11 * 64);
    int strike = -1;
    for (int i = 0; i < file->num_fixed_sizes; ++i) {
        if (file->available_sizes[i].height == 13) { // the 11-pixel em's cell
            strike = i;
        }
    }
    QVERIFY(strike >= 0);
    QCOMPARE(FT_Select_Size(made, 0), 0);
    QCOMPARE(FT_Select_Size(file, strike), 0);
    QCOMPARE(made->size->metrics.ascender, file->size->metrics.ascender);
    QCOMPARE(made->size->metrics.descender, file->size->metrics.descender);

    const auto pixels = [](const FT_GlyphSlot slot) {
        const FT_Bitmap &bitmap = slot->bitmap;
        QByteArray ink;
        for (unsigned y = 0; y < bitmap.rows; ++y) {
            const uchar *row = bitmap.buffer + qsizetype(y) * bitmap.pitch;
            for (unsigned x = 0; x < bitmap.width; ++x) {
                ink += (bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x] >= 128)
                           ? '#'
                           : '.';
            }
            ink += '\n';
        }
        return ink;
    };
    int characters = 0;
    int privateUse = 0;
    FT_UInt index = 0;
    for (FT_ULong code = FT_Get_First_Char(file, &index); index != 0; code = FT_Get_Next_Char(file, code, &index)) {
        if (code >= 0xe000 && code <= 0xf8ff) {
            // Left out on purpose: they would make the strike several times the size.
            QCOMPARE(FT_Get_Char_Index(made, code), 0u);
            ++privateUse;
            continue;
        }
        if (code > 0xffff || FT_Load_Glyph(file, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) {
            continue;
        }
        const QByteArray expected = pixels(file->glyph);
        const FT_Int left = file->glyph->bitmap_left;
        const FT_Int top = file->glyph->bitmap_top;
        const FT_Pos advance = file->glyph->advance.x;
        const FT_UInt madeIndex = FT_Get_Char_Index(made, code);
        QVERIFY2(madeIndex != 0, qPrintable(QStringLiteral("U+%1 is missing").arg(code, 4, 16, QLatin1Char('0'))));
        QCOMPARE(FT_Load_Glyph(made, madeIndex, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO), 0);
        QCOMPARE(pixels(made->glyph), expected);
        // In whole pixels, as text is laid out with a bitmap face.
        QCOMPARE(made->glyph->advance.x, advance / 64 * 64);
        if (!expected.isEmpty()) {
            QCOMPARE(made->glyph->bitmap_left, left);
            QCOMPARE(made->glyph->bitmap_top, top);
        }
        ++characters;
    }
    QVERIFY(characters > 200);
    QCOMPARE(privateUse, 6);
    // Every character the strike holds is one of those compared.
    int held = 0;
    for (FT_ULong code = FT_Get_First_Char(made, &index); index != 0; code = FT_Get_Next_Char(made, code, &index)) {
        ++held;
    }
    QCOMPARE(held, characters);
    FT_Done_Face(made);
    FT_Done_Face(file);
}

void FontCacheTest::unwritableCache_stillChoosesTheSameFaces()
{
    // The cache folder cannot be made: a file stands where it would be.
    const QString blocked = m_cache.path() + QStringLiteral("/blocked");
    write(blocked, "not a folder");
    QByteArray errors;
    QCOMPARE(choose(blocked, &errors), m_fresh);
    QVERIFY2(errors.contains("cannot make the folder of"), errors.constData());
}

// The thread that loads the font system goes on to decode pictures through QObjects, which may
// happen before the application object exists; the main thread must stay Qt's main thread.
void FontCacheTest::fontThread_leavesTheMainThreadToTheApplication()
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_cache.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(FONT_START));
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());
}

QTEST_GUILESS_MAIN(FontCacheTest)
#include "tst_fontcache.moc"
