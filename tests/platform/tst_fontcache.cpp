#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    void unwritableCache_stillChoosesTheSameFaces();

private:
    // designFont() for Tahoma 15.75 bold and MS Sans Serif 8.25, as the main window asks.
    QStringList choose(const QString &cacheHome, QByteArray *errors = nullptr);
    QString choices() const { return m_cache.path() + QStringLiteral("/pagiscopo/fonts"); }
    QString strike() const { return m_cache.path() + QStringLiteral("/pagiscopo/ms-sans-serif-11r.bdf"); }
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
    QVERIFY(whole.startsWith("STARTFONT "));
    QVERIFY(whole.endsWith("ENDFONT\n"));
    // Cut short, as a full disk or a crash leaves a file: the strike is made again, whole.
    write(strike(), whole.left(whole.size() / 2));
    QCOMPARE(choose(m_cache.path()), m_fresh);
    QCOMPARE(read(strike()), whole);
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

QTEST_GUILESS_MAIN(FontCacheTest)
#include "tst_fontcache.moc"
