#include "windows/Icons.h"

#include "windows/WindowsLog.h"

#include <QFile>

namespace
{

QPixmap resourcePixmap(const QString &path)
{
    QPixmap pixmap(path);
    if (pixmap.isNull()) {
        qCWarning(lcWindows) << "missing picture resource" << path;
    }
    return pixmap;
}

// Each size is decoded only when something asks for it: the window's icon is set before the
// window is shown, and decoding eight sizes up to 256 pixels then cost a sixth of the start-up.
QIcon iconFromSizes(const QString &name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int size : sizes) {
        const QString path = QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
        if (QFile::exists(path)) {
            icon.addFile(path, QSize(size, size));
        } else {
            qCWarning(lcWindows) << "missing picture resource" << path;
        }
    }
    return icon;
}

} // namespace

QIcon applicationIcon()
{
    return iconFromSizes(QStringLiteral("pagiscopo"), {16, 22, 24, 32, 48, 64, 128, 256});
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
