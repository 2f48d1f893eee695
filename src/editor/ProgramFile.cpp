#include "editor/ProgramFile.h"

#include "editor/DocumentText.h"

#include "platform/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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

    // Closes now and reports close()'s own error (a delayed write error shows up here on some file
    // systems); the destructor then has nothing left to do.
    int closeNow()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

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

bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The file that a save must replace: through symbolic links to the file they name, so that saving
// a linked program keeps the link.
QString replacementTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.symLinkTarget() : resolved;
}

// Creates a new, empty file next to the target with a name nobody else uses. The creation mode
// goes through the process's umask as for any new file; the caller copies an old file's mode.
int createTemporary(const QString& folder, const QString& baseName, QString* tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QStringLiteral("%1/.%2.%3.tmp")
                                      .arg(folder, baseName)
                                      .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            *tempPath = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
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
    if (path.isEmpty())
        throw createError(path, ENOENT);
    const QString target = replacementTarget(path);
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();

    // Replacing is only right for a file: renaming over a device or a pipe would destroy it.
    struct stat old {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        throw createError(path, EISDIR);
    if (exists && !S_ISREG(old.st_mode))
        throw createError(path, EINVAL);
    // The rename below needs only the folder's permission; the file's own is respected here. A user
    // who may write anything (root) still keeps off a file that nobody is allowed to write.
    const QByteArray nativeTarget = QFile::encodeName(target);
    if (exists && (::access(nativeTarget.constData(), W_OK) != 0 || (old.st_mode & 0222) == 0))
        throw createError(path, EACCES);

    QString tempPath;
    const int fd = createTemporary(folder, targetInfo.fileName(), &tempPath);
    if (fd < 0)
        throw createError(path, errno);
    const QByteArray nativeTemp = QFile::encodeName(tempPath);
    FdCloser closer(fd);

    // The new file takes over the old one's permissions (and owner, where we may set it).
    if (exists && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not permitted for an ordinary user on another user's file; the content matters more.
        }
    }

    int err = 0;
    if (!writeAll(fd, data.constData(), data.size()))
        err = errno;
    // Some file systems cannot sync at all; that is no reason to refuse the save.
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        err = errno;
    if (closer.closeNow() != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(nativeTemp.constData(), QFile::encodeName(target).constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(nativeTemp.constData());
        throw createError(path, err);
    }

    // Make the rename itself durable; a failure here no longer endangers either version.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
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
