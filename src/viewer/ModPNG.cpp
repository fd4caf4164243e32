#include "viewer/ModPNG.h"

#include "viewer/ViewerLog.h"

#include <QImageReader>

QImage LoadPNGPicture(const QString &path)
{
    // Forcing the format matters: left to itself the reader would happily decode a JPEG or a BMP
    // sent under a page address.
    QImageReader reader(path, "png");
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);

    const QSize size = reader.size();
    if (!size.isValid()) {
        qCWarning(lcViewer) << "page image" << path << "is not a PNG:" << reader.errorString();
        return {};
    }
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide ||
        qint64(size.width()) * size.height() > kMaxPicturePixels) {
        qCWarning(lcViewer) << "page image" << path << "declares" << size << "- too large, not decoded";
        return {};
    }

    QImage image;
    if (!reader.read(&image)) {
        qCWarning(lcViewer) << "page image" << path << "cannot be decoded:" << reader.errorString();
        return {};
    }
    return image;
}
