#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

namespace {

// As many hops as the system itself follows before it gives up with ELOOP.
constexpr int MaxLinkHops = 40;

Failure systemFailure(int error) {
    return Failure{Failure::Kind::System, error};
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Creates a new, empty file in folder with a name nobody else uses. The name starts with a dot so that
// file lists do not show it for the moment it exists.
int createTemporary(const QString& folder, const QString& baseName, mode_t mode, QByteArray& tempName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = QStringLiteral("%1/.%2.%3.tmp")
                                      .arg(folder, baseName)
                                      .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        tempName = QFile::encodeName(candidate);
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The file's own permission, asked because the rename would not ask it.
bool mayWrite(const QByteArray& name, const struct stat& st) {
    return ::access(name.constData(), W_OK) == 0 && (st.st_mode & 0222) != 0;
}

// Some file systems cannot sync at all; that is no reason to refuse the data.
bool syncFailed(int fd) {
    return ::fsync(fd) != 0 && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP;
}

} // namespace

QString resolveLinks(const QString& path, int& error) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < MaxLinkHops; ++hops) {
        const QByteArray name = QFile::encodeName(current);
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return current; // not there yet; whether it can be made shows when it is written
            error = errno;
            return {};
        }
        if (!S_ISLNK(st.st_mode))
            return current;
        QByteArray link(4096, '\0');
        const ssize_t n = ::readlink(name.constData(), link.data(), size_t(link.size()));
        if (n < 0 || n >= link.size()) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        link.truncate(n);
        const QString target = QFile::decodeName(link);
        current =
            QDir::cleanPath(QDir::isAbsolutePath(target) ? target : QFileInfo(current).absolutePath() + u'/' + target);
    }
    error = ELOOP;
    return {};
}

std::optional<Failure> replace(const QString& path, const QByteArray& data, const Options& options) {
    if (path.isEmpty())
        return systemFailure(ENOENT);
    int error = 0;
    const QString target = resolveLinks(path, error);
    if (target.isEmpty())
        return systemFailure(error);
    const QByteArray targetName = QFile::encodeName(target);
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();

    struct stat old {};
    const bool exists = ::lstat(targetName.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return Failure{Failure::Kind::Folder, EISDIR};
    if (exists && !S_ISREG(old.st_mode))
        return Failure{Failure::Kind::NotRegular, EINVAL};
    if (exists && options.refuseReadOnly && !mayWrite(targetName, old))
        return Failure{Failure::Kind::ReadOnly, EACCES};

    // Over an old file the temporary starts private and takes the old permissions below, so that it is
    // never readable by more people than the old file was.
    QByteArray tempName;
    const int fd = createTemporary(folder, targetInfo.fileName(), exists ? 0600 : options.newFileMode, tempName);
    if (fd < 0)
        return systemFailure(errno);
    if (exists) {
        // The owner first: changing it may clear set-id bits that the mode then puts back. Setting it is
        // not permitted for an ordinary user on another user's file, and setting the mode may not be
        // supported by the file system; the content matters more than either.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
        }
    }

    if (!writeAll(fd, data.constData(), data.size()) || syncFailed(fd))
        error = errno;
    // A delayed write error shows up at the close on some file systems.
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(tempName.constData(), targetName.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempName.constData());
        return systemFailure(error);
    }

    // Makes the rename itself durable; a failure here no longer endangers either version.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return std::nullopt;
}

} // namespace AtomicFile
