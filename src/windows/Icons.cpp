#include "windows/Icons.h"

#include "windows/WindowsLog.h"

#include "viewer/ModPNG.h"

#include <QFile>
#include <QImage>

namespace
{

// Our own pictures go through the page decoder: Qt's image reader looks through every image
// format plugin on its first use, which cost the start-up more than decoding all of them.
QImage resourceImage(const QString &path)
{
    QFile file(path);
    QImage image;
    if (file.open(QIODevice::ReadOnly)) {
        image = decodePagePng(file.readAll(), path);
    }
    if (image.isNull()) {
        qCWarning(lcWindows) << "missing picture resource" << path;
    }
    return image;
}

QPixmap resourcePixmap(const QString &path)
{
    return QPixmap::fromImage(resourceImage(path));
}

QIcon iconFromSizes(const QString &name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int size : sizes) {
        const QImage image = resourceImage(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size));
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

} // namespace

QIcon applicationIcon()
{
    return iconFromSizes(QStringLiteral("pagiscopo"), {16, 22, 24, 32, 48, 64});
}

QIcon starIcon()
{
    return iconFromSizes(QStringLiteral("star"), {16, 32});
}

QPixmap previousPagePicture()
{
    return resourcePixmap(QStringLiteral(":/pictures/indietro.png"));
}

QPixmap nextPagePicture()
{
    return resourcePixmap(QStringLiteral(":/pictures/avanti.png"));
}
