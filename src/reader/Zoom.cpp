#include "reader/Zoom.h"

#include "reader/ReaderLog.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace
{

const QString kZoomKey = QStringLiteral("view/zoom");

QString statusText(QSettings::Status status)
{
    switch (status) {
    case QSettings::NoError:
        return QStringLiteral("no error");
    case QSettings::AccessError:
        return QStringLiteral("cannot be accessed");
    case QSettings::FormatError:
        return QStringLiteral("is not a settings file");
    }
    return QStringLiteral("unknown error");
}

// QSettings finds a malformed line only once it reads that line's section: this reads them all.
QSettings::Status fullReadStatus(const QSettings &settings)
{
    Q_UNUSED(settings.allKeys());
    return settings.status();
}

} // namespace

QRect zoomedGeometry(const QRect &base, const QRect &picture, int zoom)
{
    const QSize growth = zoomGrowth(zoom);
    if (base == picture) {
        return QRect(base.topLeft(), base.size() + growth);
    }
    QRect zoomed = base;
    if (base.left() > picture.right()) {
        zoomed.translate(growth.width(), 0);
    }
    if (base.top() > picture.bottom()) {
        zoomed.translate(0, growth.height());
    }
    return zoomed;
}

int readZoomSetting(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        qCInfo(lcReader) << "no settings file" << path << "yet; the page is shown at x1";
        return kMinZoom;
    }
    const QSettings settings(path, QSettings::IniFormat);
    const QVariant value = settings.value(kZoomKey);
    if (fullReadStatus(settings) != QSettings::NoError) {
        qCWarning(lcReader).noquote() << "the settings file" << path << statusText(settings.status())
                                      << "- the page is shown at x1";
        return kMinZoom;
    }
    if (!value.isValid()) {
        qCInfo(lcReader) << "the settings file" << path << "holds no zoom; the page is shown at x1";
        return kMinZoom;
    }
    bool isNumber = false;
    const int zoom = value.toString().trimmed().toInt(&isNumber);
    if (!isNumber || !isZoom(zoom)) {
        qCWarning(lcReader) << "the settings file" << path << "holds the zoom" << value.toString()
                            << "which is none of 1, 2, 3; the page is shown at x1";
        return kMinZoom;
    }
    return zoom;
}

bool writeZoomSetting(const QString &path, int zoom)
{
    // A file that is no settings file would be carried over into the new one, and would keep
    // saying so: it makes way for a good one.
    if (fullReadStatus(QSettings(path, QSettings::IniFormat)) == QSettings::FormatError) {
        qCWarning(lcReader) << "replacing the settings file" << path << "which is not a settings file";
        if (!QFile::remove(path)) {
            qCWarning(lcReader) << "cannot remove" << path;
            return false;
        }
    }
    QSettings settings(path, QSettings::IniFormat);
    // Through a temporary file renamed over the old one: a crash or a full disk leaves the old
    // file, never half of a new one.
    settings.setAtomicSyncRequired(true);
    settings.setValue(kZoomKey, zoom);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcReader).noquote() << "cannot write the zoom to" << path << "- the file"
                                      << statusText(settings.status());
        return false;
    }
    return true;
}
