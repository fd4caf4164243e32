#include "viewer/ModPNG.h"

#include "viewer/ViewerLog.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

QImage LoadPNGPicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcViewer) << "page image" << path << "cannot be read:" << file.errorString();
        return {};
    }
    if (file.size() > kMaxPageFileBytes) {
        qCWarning(lcViewer) << "page image" << path << "has" << file.size()
                            << "bytes, more than any page - not decoded";
        return {};
    }
    return decodePagePng(file.readAll(), path);
}

QImage decodePagePng(QByteArray bytes, const QString &what)
{
    // Our own look at the structure comes first: Qt's reader allocates what a chunk length claims
    // and inflates whatever the image stream holds before it can tell us anything.
    const PngCheck check = checkPagePng(bytes);
    if (!check.accepted()) {
        qCWarning(lcViewer).noquote() << "page image" << what << "refused:" << check.refusal;
        return {};
    }
    bytes = {}; // only the checked copy is read from here on

    QBuffer buffer;
    buffer.setData(check.png);
    buffer.open(QIODevice::ReadOnly);
    // Forcing the format matters: left to itself the reader would happily decode a JPEG or a BMP
    // sent under a page address.
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    if (reader.size() != check.size) {
        qCWarning(lcViewer) << "page image" << what << "is" << reader.size() << "to Qt but declares" << check.size
                            << reader.errorString();
        return {};
    }
    QImage image;
    if (!reader.read(&image)) {
        qCWarning(lcViewer) << "page image" << what << "cannot be decoded:" << reader.errorString();
        return {};
    }
    return image;
}
