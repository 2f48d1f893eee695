#include "editor/ProgramFile.h"

#include "editor/DocumentText.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor on every way out of a scope.
class FdCloser final {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

EFileError openError(const QString& path, int err)
{
    return EFileError(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(path, qt_error_string(err)));
}

EFileError openReasonError(const QString& path, const QString& reason)
{
    return EFileError(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(path, reason));
}

EFileError tooLargeError(const QString& path, qint64 maxBytes)
{
    return openReasonError(path, QStringLiteral("It is larger than %1 MB.").arg(maxBytes / (1024 * 1024)));
}

EFileError createError(const QString& path, int err)
{
    return EFileError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, qt_error_string(err)));
}

} // namespace

QByteArray readFileBytes(const QString& path, qint64 maxBytes)
{
    // O_NONBLOCK so that opening a FIFO or a terminal cannot hang the program; only regular files
    // are read, and they read as usual.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw openError(path, errno);
    FdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw openError(path, errno);
    if (S_ISDIR(st.st_mode))
        throw openError(path, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw openReasonError(path, QStringLiteral("It is not a regular file (a device, a terminal or a pipe)."));
    if (st.st_size > maxBytes)
        throw tooLargeError(path, maxBytes);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    QByteArray data;
    data.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw openError(path, errno);
        }
        if (n == 0)
            break;
        // A file that grows while it is read is held to the same limit.
        if (data.size() + n > maxBytes)
            throw tooLargeError(path, maxBytes);
        data.append(buffer, n);
    }
    return data;
}

void requireProgramLineLengths(const QString& path, const QString& text)
{
    qsizetype start = 0;
    for (int line = 1;; ++line) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype length = (end < 0 ? text.size() : end) - start;
        if (length > ProgramLineMaxChars)
            throw openReasonError(path, QStringLiteral("Line %1 has %2 characters; a program line may have at most %3.")
                                            .arg(line)
                                            .arg(length)
                                            .arg(ProgramLineMaxChars));
        if (end < 0)
            return;
        start = end + 1;
    }
}

void writeFileBytesAtomically(const QString& path, const QByteArray& data)
{
    AtomicFile::Options options;
    options.refuseReadOnly = true;
    if (const auto failure = AtomicFile::replace(path, data, options))
        throw createError(path, failure->error);
}

QString programTextFromBytes(const QByteArray& bytes)
{
    // CR LF pairs become one line break; every other byte is the character of the same number.
    QByteArray joined = bytes;
    joined.replace("\r\n", "\n");
    return QString::fromLatin1(joined);
}

QByteArray programTextToBytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n')) {
            bytes += "\r\n";
        } else if (c == CarriageReturnStandIn) {
            // Text taken from the pane without documentText() still saves its lone CRs.
            bytes += '\r';
        } else if (c.unicode() <= 0xFF) {
            bytes += static_cast<char>(c.unicode());
        } else {
            if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
                ++i;
            bytes += '?';
        }
    }
    return bytes;
}

QString loadProgramText(const QString& path)
{
    QString text = programTextFromBytes(readFileBytes(path));
    requireProgramLineLengths(path, text);
    return text;
}

void saveProgramText(const QString& path, const QString& text)
{
    writeFileBytesAtomically(path, programTextToBytes(text));
}
