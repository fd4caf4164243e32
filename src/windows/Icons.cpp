#include "windows/Icons.h"

#include "windows/WindowsLog.h"

#include "viewer/ModPNG.h"

#include <QFile>
#include <QHash>
#include <QImage>

#include <condition_variable>
#include <mutex>

namespace
{

constexpr std::initializer_list<int> kApplicationIconSizes = {16, 22, 24, 32, 48, 64};

QString iconPath(const QString &name, int size)
{
    return QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size);
}

// Our own pictures go through the page decoder: Qt's image reader looks through every image
// format plugin on its first use, which cost the start-up more than decoding all of them.
QImage decodeResource(const QString &path)
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

// The main window's pictures, decoded at start-up on another thread (decodePicturesAhead).
struct PicturesAhead {
    enum class State { NotBegun, Decoding, Done };
    std::mutex mutex;
    std::condition_variable done;
    State state = State::NotBegun;
    QHash<QString, QImage> images;
};

// Never destroyed: the thread that decodes may still be at it when a failed start-up returns.
PicturesAhead &picturesAhead()
{
    static auto *ahead = new PicturesAhead;
    return *ahead;
}

// Each picture decoded ahead is taken once; any later use decodes it anew.
QImage resourceImage(const QString &path)
{
    PicturesAhead &ahead = picturesAhead();
    {
        std::unique_lock lock(ahead.mutex);
        ahead.done.wait(lock, [&] { return ahead.state != PicturesAhead::State::Decoding; });
        if (const auto it = ahead.images.constFind(path); it != ahead.images.cend()) {
            const QImage image = *it;
            ahead.images.erase(it);
            return image;
        }
    }
    return decodeResource(path);
}

QPixmap resourcePixmap(const QString &path)
{
    return QPixmap::fromImage(resourceImage(path));
}

QIcon iconFromSizes(const QString &name, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (const int size : sizes) {
        const QImage image = resourceImage(iconPath(name, size));
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

} // namespace

void decodePicturesAhead()
{
    decodePicturesWhile({});
}

void decodePicturesWhile(const std::function<bool()> &worthIt)
{
    PicturesAhead &ahead = picturesAhead();
    {
        const std::lock_guard lock(ahead.mutex);
        if (ahead.state != PicturesAhead::State::NotBegun) {
            return;
        }
        ahead.state = PicturesAhead::State::Decoding;
    }
    QStringList paths = {QStringLiteral(":/pictures/indietro.png"), QStringLiteral(":/pictures/avanti.png")};
    for (const int size : kApplicationIconSizes) {
        paths << iconPath(QStringLiteral("pagiscopo"), size);
    }
    QHash<QString, QImage> images;
    for (const QString &path : std::as_const(paths)) {
        if (worthIt && !worthIt()) {
            break;
        }
        images.insert(path, decodeResource(path));
    }
    {
        const std::lock_guard lock(ahead.mutex);
        ahead.images = std::move(images);
        ahead.state = PicturesAhead::State::Done;
    }
    ahead.done.notify_all();
}

QIcon applicationIcon()
{
    return iconFromSizes(QStringLiteral("pagiscopo"), kApplicationIconSizes);
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
