#include "update/InstallerDownload.h"

#include "platform/Errors.h"
#include "update/ByteSize.h"
#include "update/UpdateClient.h"
#include "update/UpdateSite.h"

#include <QFile>

namespace {

class FileSink final : public ResponseSink {
public:
    explicit FileSink(QFile& file) : m_file(file) {}
    void begin(const ResponseHead&) override {}
    void write(const char* data, qsizetype size) override
    {
        if (m_file.write(data, size) != size)
            throw EFileError(QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2")
                                 .arg(m_file.fileName(), m_file.errorString()));
    }

private:
    QFile& m_file;
};

void createFile(QFile& file)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFileError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2")
                             .arg(file.fileName(), file.errorString()));
}

} // namespace

void DownloadInstaller(UpdateClient& client, const QString& url, const QString& target, DownloadView& view)
{
    view.setStatus(QString());
    qint64 position = 0;
    view.setProgressPosition(0);
    view.setStatus(QStringLiteral("Prüfe Header"));
    const qint64 total = client.head(url);

    QFile file(target);
    FileSink sink(file);
    if (total == -1) {
        view.setStatus(QStringLiteral("Normalles herunterladen"));
        view.setStatus(QStringLiteral("Erstelle Datei"));
        createFile(file);
        client.get(url, std::nullopt, sink);
        file.close();
        view.setStatus(QStringLiteral("Fertig"));
        view.setSpeed(QStringLiteral("Fertig"));
        return;
    }

    view.setProgressMaximum(total);
    view.setStatus(QStringLiteral("Erstelle Datei"));
    createFile(file);
    do {
        view.processMessages();
        const qint64 first = position;
        const qint64 last = total - position > DownloadChunkSize ? position + DownloadChunkSize - 1 : total;
        view.processMessages();
        std::optional<ByteRange> range;
        if (first != 0 || last != 0)
            range = ByteRange{first, last};
        client.get(url, range, sink);
        position += DownloadChunkSize;
        view.setProgressPosition(position);
        view.setSpeed(FormatByteSize(position) + QLatin1Char('/') + FormatByteSize(total));
    } while (position < total);
    file.close();
    view.setStatus(QStringLiteral("Fertig"));
    view.setSpeed(QStringLiteral("Fertig"));
    view.setProgressPosition(total);
}
