#include "windows/Icons.h"

#include "windows/WindowsLog.h"

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

QIcon iconFromSizes(const QString &name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int size : sizes) {
        const QPixmap pixmap = resourcePixmap(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size));
        if (!pixmap.isNull()) {
            icon.addPixmap(pixmap);
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
