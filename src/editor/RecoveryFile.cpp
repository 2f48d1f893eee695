#include "editor/RecoveryFile.h"

#include "editor/ProgramFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray Header = QByteArrayLiteral("Taloma-Terminal unsaved editor text 1\n");

} // namespace

namespace RecoveryFile {

QString path()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/Taloma-Terminal/recovery.bas");
}

void write(const Content& content)
{
    const QString file = path();
    QDir().mkpath(QFileInfo(file).absolutePath());
    writeFileBytesAtomically(file, Header + content.documentName.toUtf8() + '\n' + programTextToBytes(content.text));
}

std::optional<Content> read()
{
    if (!QFileInfo(path()).isFile())
        return std::nullopt;
    QByteArray bytes;
    try {
        bytes = readFileBytes(path());
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!bytes.startsWith(Header))
        return std::nullopt;
    const qsizetype nameEnd = bytes.indexOf('\n', Header.size());
    if (nameEnd < 0)
        return std::nullopt;
    Content content;
    content.documentName = QString::fromUtf8(bytes.mid(Header.size(), nameEnd - Header.size()));
    content.text = programTextFromBytes(bytes.mid(nameEnd + 1));
    return content;
}

void remove() { QFile::remove(path()); }

} // namespace RecoveryFile
