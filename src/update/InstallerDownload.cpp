#include "update/InstallerDownload.h"

#include "platform/Errors.h"
#include "update/ByteSize.h"
#include "update/UpdateClient.h"
#include "update/UpdateSite.h"

#include <QSaveFile>

namespace {

// The Content-Range of a 206 answer: "bytes first-last/total"; nothing when it is not of that form.
struct ContentRange {
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1;
};

std::optional<ContentRange> parseContentRange(const QByteArray& value)
{
    if (!value.startsWith("bytes "))
        return std::nullopt;
    const qsizetype dash = value.indexOf('-', 6);
    const qsizetype slash = value.indexOf('/', dash + 1);
    if (dash < 0 || slash < 0)
        return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = false;
    ContentRange range{value.mid(6, dash - 6).toLongLong(&ok1), value.mid(dash + 1, slash - dash - 1).toLongLong(&ok2),
                       value.mid(slash + 1).toLongLong(&ok3)};
    if (!ok1 || !ok2 || !ok3)
        return std::nullopt;
    return range;
}

// Writes one answer of the download into the installer's file. Only two answers are taken: a 206 with
// exactly the bytes asked for, appended; or the whole file (a server that ignores Range answers every
// range with it), which replaces whatever earlier ranges brought.
class InstallerSink final : public ResponseSink {
public:
    InstallerSink(QSaveFile& file, const std::optional<ByteRange>& asked, qint64 total)
        : m_file(file), m_asked(asked), m_total(total)
    {
    }

    void begin(const ResponseHead& head) override
    {
        if (head.status != 206) {
            m_whole = true;
            if (!m_file.resize(0) || !m_file.seek(0))
                throw writeError();
            return;
        }
        const std::optional<ContentRange> got = parseContentRange(head.contentRange);
        if (!m_asked || !got || got->first != m_asked->first || got->last != qMin(m_asked->last, m_total - 1) ||
            got->total != m_total)
            throw wrongAnswer(head);
        m_expected = got->last - got->first + 1;
    }

    void write(const char* data, qsizetype size) override
    {
        if (!m_whole && m_received + size > m_expected)
            throw EUpdateError(QStringLiteral("Der Server hat mehr Bytes geschickt als erbeten."));
        if (m_file.write(data, size) != size)
            throw writeError();
        m_received += size;
    }

    // Whether the answer was the whole file.
    bool whole() const { return m_whole; }

    void checkComplete() const
    {
        if (!m_whole && m_received != m_expected)
            throw EUpdateError(QStringLiteral("Der Server hat weniger Bytes geschickt als erbeten."));
    }

private:
    EFileError writeError() const
    {
        return EFileError(QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2")
                              .arg(m_file.fileName(), m_file.errorString()));
    }

    EUpdateError wrongAnswer(const ResponseHead& head) const
    {
        const QString asked = m_asked ? QStringLiteral("Range: bytes=%1-%2").arg(m_asked->first).arg(m_asked->last)
                                      : QStringLiteral("GET");
        const QString answer = head.contentRange.isEmpty()
                                   ? QString::fromLatin1(head.statusLine)
                                   : QStringLiteral("Content-Range: ") + QString::fromLatin1(head.contentRange);
        return EUpdateError(QStringLiteral("Der Server hat auf \"%1\" mit \"%2\" geantwortet.").arg(asked, answer));
    }

    QSaveFile& m_file;
    std::optional<ByteRange> m_asked;
    qint64 m_total;
    bool m_whole = false;
    qint64 m_expected = 0;
    qint64 m_received = 0;
};

void createFile(QSaveFile& file)
{
    if (!file.open(QIODevice::WriteOnly))
        throw EFileError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2")
                             .arg(file.fileName(), file.errorString()));
}

// Puts the downloaded installer in the place of an older one.
void commitFile(QSaveFile& file)
{
    if (!file.commit())
        throw EFileError(QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2")
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

    // The installer is written beside the target and takes its place only once every byte has come: a
    // failed download leaves an older installer as it was and no piece of the new one.
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (total == -1) {
        view.setStatus(QStringLiteral("Normalles herunterladen"));
        view.setStatus(QStringLiteral("Erstelle Datei"));
        createFile(file);
        InstallerSink sink(file, std::nullopt, total);
        client.get(url, std::nullopt, sink);
        commitFile(file);
        view.setStatus(QStringLiteral("Fertig"));
        view.setSpeed(QStringLiteral("Fertig"));
        return;
    }

    view.setProgressMaximum(total);
    view.setStatus(QStringLiteral("Erstelle Datei"));
    createFile(file);
    do {
        view.processMessages();
        // The last range asks up to the total itself, one past the last byte; a server ends it at the end
        // of the file. With nothing to ask for (an empty file) the request goes without a Range.
        const qint64 first = position;
        const qint64 last = total - position > DownloadChunkSize ? position + DownloadChunkSize - 1 : total;
        view.processMessages();
        std::optional<ByteRange> range;
        if (first != 0 || last != 0)
            range = ByteRange{first, last};
        InstallerSink sink(file, range, total);
        client.get(url, range, sink);
        sink.checkComplete();
        if (sink.whole())
            break; // the whole file came at once
        position += DownloadChunkSize;
        view.setProgressPosition(position);
        view.setSpeed(FormatByteSize(position) + QLatin1Char('/') + FormatByteSize(total));
    } while (position < total);
    commitFile(file);
    view.setStatus(QStringLiteral("Fertig"));
    view.setSpeed(QStringLiteral("Fertig"));
    view.setProgressPosition(total);
}
