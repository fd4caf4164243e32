#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace ocr
{
class Backend;
}
class QImage;

// The text recogniser, loaded on first use from its module. Used from one thread at a time.
class OcrEngine
{
public:
    explicit OcrEngine(QString language = QStringLiteral("ita"));
    ~OcrEngine();

    // Loads the module and the language data if that has not been tried yet; false, with one log
    // line at the first failure, when either is missing or does not load.
    bool ensureLoaded();
    bool isLoaded() const { return m_backend != nullptr; }

    // Reads a page normalised to dark ink on white and lays the characters out on the grid of
    // `cell`-sized cells: 25 rows of 40 characters, a space where nothing was read. Empty when the
    // engine failed (logged) or `cancelled` said so.
    QStringList readGrid(const QImage &normalised, QSize cell, const std::function<bool()> &cancelled);

    // Where the module is looked for, first to last.
    static QStringList modulePaths();

private:
    QString m_language;
    bool m_tried = false;
    std::unique_ptr<ocr::Backend> m_backend;
};
