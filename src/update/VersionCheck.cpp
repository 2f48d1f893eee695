#include "update/VersionCheck.h"

#include "platform/Errors.h"
#include "update/UpdateClient.h"
#include "update/UpdateSite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <array>
#include <optional>

namespace {

using VersionFields = std::array<quint16, 4>;

// Four fields of ASCII digits, each at most 65535, parted by dots, and nothing else: the form of a
// file version.
std::optional<VersionFields> parseVersion(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    VersionFields fields{};
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 8)
            return std::nullopt;
        uint value = 0;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            value = value * 10 + uint(c.unicode() - '0');
        }
        if (value > 0xFFFF)
            return std::nullopt;
        fields[i] = quint16(value);
    }
    return fields;
}

} // namespace

VersionVerdict CompareVersions(const QString& installed, const QString& server)
{
    // Field by field as numbers: 2.0.10.0 follows 2.0.9.0. A server line that is no version (an empty
    // file, an error page) is never taken for a newer one.
    const std::optional<VersionFields> ours = parseVersion(installed);
    const std::optional<VersionFields> theirs = parseVersion(server);
    if (!theirs)
        return VersionVerdict::InstalledNewer;
    const VersionFields mine = ours.value_or(VersionFields{});
    if (mine == *theirs)
        return VersionVerdict::Current;
    return mine < *theirs ? VersionVerdict::ServerNewer : VersionVerdict::InstalledNewer;
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
    void write(const char* data, qsizetype size) override
    {
        if (m_file.write(data, size) != size)
            throw EFileError(QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2")
                                 .arg(m_file.fileName(), m_file.errorString()));
    }

private:
    QFile& m_file;
};

} // namespace

QString FetchServerVersion(UpdateClient& client)
{
    // A private file with a fresh name: a fixed name in the shared temporary folder could be someone
    // else's link, and the check would write through it.
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/ver_terminal.XXXXXX.tmp"));
    if (!file.open())
        throw EFileError(
            QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(file.fileTemplate(), file.errorString()));
    FileSink sink(file);
    client.get(UpdateFileURL(QLatin1String(VersionFileName)), std::nullopt, sink,
               {QByteArrayLiteral("Cache-Control: no-cache"), QByteArrayLiteral("Pragma: no-cache")});
    if (!file.seek(0))
        throw EFileError(
            QStringLiteral("Datei \"%1\" kann nicht gelesen werden. %2").arg(file.fileName(), file.errorString()));
    return FirstLine(file.readAll());
}
