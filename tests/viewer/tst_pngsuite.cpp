// libpng's PngSuite through the page decoder, pixel by pixel against pypng: a decoder that shares
// no code with libpng, its samples flattened to 8-bit RGBA by pngsuite_reference.py.

#include "viewer/ModPNG.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Every valid file of the suite that we keep in tests/data/pngsuite.
constexpr int kSuiteFiles = 60;

struct Reference {
    int width = 0;
    int height = 0;
    QByteArray rgba;
};

Reference readReference(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QList<QByteArray> size = file.readLine().trimmed().split(' ');
    if (size.size() != 2) {
        return {};
    }
    return {size.at(0).toInt(), size.at(1).toInt(), file.readAll()};
}

QString rgbaText(int r, int g, int b, int a)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(r).arg(g).arg(b).arg(a);
}

} // namespace

class PngSuiteTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyFile_givesPypngsPixels_data();
    void everyFile_givesPypngsPixels();

private:
    QDir m_suite{QStringLiteral(PNGSUITE_DIR)};
    QStringList m_files;
    QTemporaryDir m_references;
};

void PngSuiteTest::initTestCase()
{
    m_files = m_suite.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    QCOMPARE(m_files.size(), kSuiteFiles);
    QVERIFY(m_references.isValid());

    QStringList arguments{QStringLiteral(PNGSUITE_REFERENCE_SCRIPT), m_references.path()};
    for (const QString &name : std::as_const(m_files)) {
        arguments << m_suite.filePath(name);
    }
    QProcess python;
    python.start(QStringLiteral(REFERENCE_PYTHON), arguments);
    QVERIFY2(python.waitForStarted(), qPrintable(QStringLiteral(REFERENCE_PYTHON ": ") + python.errorString()));
    QVERIFY(python.waitForFinished(120000));
    QVERIFY2(python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0,
             qPrintable(QStringLiteral("the reference decoder failed (is python3-png installed? "
                                       "scripts/install-deps installs it):\n") +
                        QString::fromUtf8(python.readAllStandardError())));
}

void PngSuiteTest::everyFile_givesPypngsPixels_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : std::as_const(m_files)) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

void PngSuiteTest::everyFile_givesPypngsPixels()
{
    QFETCH(QString, name);
    const Reference reference = readReference(m_references.filePath(name + QStringLiteral(".rgba")));
    QVERIFY2(reference.width > 0 && reference.rgba.size() == qsizetype(reference.width) * reference.height * 4,
             qPrintable(name + QStringLiteral(": no reference pixels from pypng")));

    const QImage image = LoadPNGPicture(m_suite.filePath(name));
    QVERIFY2(!image.isNull(), qPrintable(name + QStringLiteral(" was refused")));
    QCOMPARE(image.size(), QSize(reference.width, reference.height));

    int mismatches = 0;
    QString first;
    const auto *expected = reinterpret_cast<const uchar *>(reference.rgba.constData());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb shown = image.pixel(x, y);
            const uchar *e = expected + (qsizetype(y) * image.width() + x) * 4;
            if (qRed(shown) != e[0] || qGreen(shown) != e[1] || qBlue(shown) != e[2] || qAlpha(shown) != e[3]) {
                if (mismatches++ == 0) {
                    first = QStringLiteral("(%1, %2) is %3 where pypng gives %4")
                                .arg(x)
                                .arg(y)
                                .arg(rgbaText(qRed(shown), qGreen(shown), qBlue(shown), qAlpha(shown)),
                                     rgbaText(e[0], e[1], e[2], e[3]));
                }
            }
        }
    }
    QVERIFY2(mismatches == 0,
             qPrintable(QStringLiteral("%1: %2 pixels differ, the first at %3").arg(name).arg(mismatches).arg(first)));
}

QTEST_GUILESS_MAIN(PngSuiteTest)
#include "tst_pngsuite.moc"
