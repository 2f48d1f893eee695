#include "update/VersionCheck.h"

#include "platform/Errors.h"
#include "update/UpdateClient.h"
#include "update/UpdateSite.h"

#include <QDir>
#include <QFile>

VersionVerdict CompareVersions(const QString& installed, const QString& server)
{
    const int order = QString::compare(installed, server, Qt::CaseSensitive);
    if (order == 0)
        return VersionVerdict::Current;
    return order < 0 ? VersionVerdict::ServerNewer : VersionVerdict::InstalledNewer;
}

QString FirstLine(const QByteArray& text)
{
    qsizetype end = 0;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    return QString::fromLatin1(text.left(end));
}

namespace {

class FileSink final : public ResponseSink {
public:
    explicit FileSink(QFile& file) : m_file(file) {}
    void begin(const ResponseHead&) override {}
    void write(const char* data, qsizetype size) override { m_file.write(data, size); }

private:
    QFile& m_file;
};

} // namespace

std::optional<QString> FetchServerVersion(UpdateClient& client)
{
    const QString path = QDir::tempPath() + QStringLiteral("/ver_terminal.tmp");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFileError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, file.errorString()));
    file.close();

    std::optional<QString> line;
    try {
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            FileSink sink(file);
            client.get(UpdateFileURL(QLatin1String(VersionFileName)), std::nullopt, sink,
                       {QByteArrayLiteral("Cache-Control: no-cache"), QByteArrayLiteral("Pragma: no-cache")});
            file.close();
            if (!file.open(QIODevice::ReadOnly))
                throw EFileError(
                    QStringLiteral("Datei \"%1\" kann nicht geöffnet werden. %2").arg(path, file.errorString()));
            line = FirstLine(file.readAll());
            file.close();
        }
    } catch (const EUpdateError&) {
        line.reset();
    }
    file.close();
    QFile::remove(path);
    return line;
}
