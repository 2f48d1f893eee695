#include "update/UpdateSite.h"

#include <QDir>
#include <QFileInfo>

QString InstalledVersion;
QString DownloadURL;
QString DownloadTarget;

QString UpdateServerURL()
{
    QString url = qEnvironmentVariable("TALOMA_UPDATE_URL");
    if (url.isEmpty())
        url = QString::fromLatin1(DefaultUpdateServerURL);
    if (!url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}

QString UpdateFileURL(const QString& fileName)
{
    return UpdateServerURL() + QLatin1String(UpdateFolder) + fileName;
}

bool GetSpecialFolder(QStandardPaths::StandardLocation location, QString& path)
{
    const QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty() || !QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return false;
    path = folder;
    return true;
}
