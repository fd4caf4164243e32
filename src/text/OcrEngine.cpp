#include "text/OcrEngine.h"

#include "text/CellGrid.h"
#include "text/OcrBackend.h"
#include "text/TextLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLibrary>

OcrEngine::OcrEngine(QString language) : m_language(std::move(language)) {}

OcrEngine::~OcrEngine() = default;

QStringList OcrEngine::modulePaths()
{
    QStringList paths;
    // Installed: <prefix>/bin/pagiscopo and <prefix>/<libdir>/pagiscopo/ beside each other.
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty()) {
        paths << QDir(appDir).filePath(QStringLiteral("../" PAGISCOPO_OCR_MODULE_INSTALL_DIR "/" PAGISCOPO_OCR_MODULE_NAME));
    }
#ifdef PAGISCOPO_OCR_MODULE_BUILD_PATH
    // A build tree's programs and tests, wherever they are in it.
    paths << QStringLiteral(PAGISCOPO_OCR_MODULE_BUILD_PATH);
#endif
    return paths;
}

bool OcrEngine::ensureLoaded()
{
    if (m_tried) {
        return m_backend != nullptr;
    }
    m_tried = true;
    QString path;
    for (const QString &candidate : modulePaths()) {
        if (QFileInfo::exists(candidate)) {
            path = QFileInfo(candidate).canonicalFilePath();
            break;
        }
    }
    if (path.isEmpty()) {
        qCWarning(lcText) << "the text recogniser's module is in none of" << modulePaths()
                          << "; pages are not read";
        return false;
    }
    // The engine's OpenMP reads its thread limit when its library loads: from here on it keeps to
    // the one worker thread it is called from, whatever the machine has.
    qputenv("OMP_THREAD_LIMIT", "1");
    // Never unloaded: the engine's libraries keep state of their own until the program ends.
    QLibrary module(path);
    const auto create = reinterpret_cast<PagiscopoOcrCreate>(module.resolve("pagiscopo_ocr_create"));
    if (!create) {
        qCWarning(lcText).noquote() << "cannot load the text recogniser's module:" << module.errorString()
                                    << "- pages are not read";
        return false;
    }
    std::unique_ptr<ocr::Backend> backend(create());
    const std::string failure = backend->init(m_language.toUtf8().constData());
    if (!failure.empty()) {
        qCWarning(lcText).noquote() << "the text recogniser cannot start:" << QString::fromStdString(failure)
                                    << "(is tesseract-ocr-" + m_language + " installed?) - pages are not read";
        return false;
    }
    m_backend = std::move(backend);
    qCInfo(lcText) << "text recogniser loaded from" << path << "for" << m_language;
    return true;
}

QStringList OcrEngine::readGrid(const QImage &normalised, QSize cell, const std::function<bool()> &cancelled)
{
    if (!ensureLoaded() || normalised.isNull() || !cell.isValid()) {
        return {};
    }
    const QImage gray = normalised.convertToFormat(QImage::Format_Grayscale8);
    std::vector<ocr::Symbol> symbols;
    std::string error;
    if (!m_backend->recognise(gray.constBits(), gray.width(), gray.height(), int(gray.bytesPerLine()), cancelled,
                              &symbols, &error)) {
        if (!error.empty()) {
            qCWarning(lcText).noquote() << "reading a page failed:" << QString::fromStdString(error);
        }
        return {};
    }
    QStringList rows(CellGrid::Rows, QString(CellGrid::Columns, u' '));
    for (const ocr::Symbol &symbol : symbols) {
        const QString text = QString::fromStdString(symbol.utf8);
        if (text.isEmpty() || text.front().isSpace()) {
            continue;
        }
        // Each character in the cell its box's centre falls in; one that finds its cell taken
        // (two narrow characters read in one cell) takes the next free one.
        const int row = qBound(0, (symbol.top + symbol.bottom) / 2 / cell.height(), CellGrid::Rows - 1);
        int col = qBound(0, (symbol.left + symbol.right) / 2 / cell.width(), CellGrid::Columns - 1);
        QString &line = rows[row];
        for (const QChar ch : text) {
            while (col < CellGrid::Columns && line.at(col) != u' ') {
                ++col;
            }
            if (col >= CellGrid::Columns) {
                break;
            }
            line[col++] = ch;
        }
    }
    return rows;
}
