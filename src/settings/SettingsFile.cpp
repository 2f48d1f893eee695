#include "settings/SettingsFile.h"

#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SettingsFile {

namespace {

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

const QString kNotRegular = QStringLiteral("sie ist keine gewöhnliche Datei");

// The name the data really lies under (AtomicFile::resolveLinks); empty, with `reason` set, when the
// chain of links cannot be followed.
QString resolve(const QString& path, QString& reason) {
    int error = 0;
    const QString target = AtomicFile::resolveLinks(path, error);
    if (target.isEmpty())
        reason = systemText(error);
    return target;
}

// Whether the real user is meant to change the file. The superuser may write anything, so for it only a
// file without any write permission counts as protected.
bool writableByUser(const struct stat& st, const QByteArray& name) {
    if (::getuid() == 0 && (st.st_mode & 0222) == 0)
        return false;
    return ::access(name.constData(), W_OK) == 0;
}

} // namespace

ReadResult read(const QString& path) {
    ReadResult result;
    const auto unusable = [&result](const QString& reason) {
        result.status = ReadResult::Status::Unusable;
        result.reason = reason;
        return result;
    };
    QString reason;
    const QString target = resolve(path, reason);
    if (target.isEmpty())
        return unusable(reason);
    const QByteArray name = QFile::encodeName(target);

    // The type is checked before opening: opening a fifo would wait for a writer, and a device could be
    // read without end.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? result : unusable(systemText(errno));
    if (S_ISDIR(st.st_mode))
        return unusable(QStringLiteral("ein Ordner steht an ihrer Stelle"));
    if (!S_ISREG(st.st_mode))
        return unusable(kNotRegular);

    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return unusable(systemText(errno));
    const auto closeAndFail = [&](const QString& why) {
        ::close(fd);
        return unusable(why);
    };
    // Checked again on what was opened, in case the name was replaced in between.
    if (::fstat(fd, &st) != 0)
        return closeAndFail(systemText(errno));
    if (!S_ISREG(st.st_mode))
        return closeAndFail(kNotRegular);
    const QString tooLarge = QStringLiteral("sie ist größer als %1 MB").arg(MaxSize / (1024 * 1024));
    if (st.st_size > MaxSize)
        return closeAndFail(tooLarge);

    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > MaxSize)
                return closeAndFail(tooLarge); // it grew while being read
            bytes.resize(qMin<qsizetype>(bytes.size() * 2, MaxSize + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return closeAndFail(systemText(errno));
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    bytes.truncate(done);
    result.status = ReadResult::Status::Read;
    result.bytes = std::move(bytes);
    result.readOnly = !writableByUser(st, name);
    return result;
}

QString makeFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/')
            continue;
        const QByteArray part = path.left(end);
        if (::mkdir(part.constData(), 0777) == 0)
            continue;
        const int error = errno;
        struct stat st {};
        if (::stat(part.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue; // already there (mkdir may say EACCES for folders that exist, like /home)
            return systemText(ENOTDIR);
        }
        return systemText(error);
    }
    return {};
}

QString write(const QString& path, const QByteArray& bytes) {
    QString reason;
    const QString target = resolve(path, reason);
    if (target.isEmpty())
        return reason;
    struct stat st {};
    if (::lstat(QFile::encodeName(target).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return kNotRegular;
    reason = makeFolder(QFileInfo(target).absolutePath());
    if (!reason.isEmpty())
        return reason;
    // Only the user reads the settings; a file that is read-only was found so when it was read, and the
    // store does not write it.
    AtomicFile::Options options;
    options.newFileMode = 0600;
    const auto failure = AtomicFile::replace(target, bytes, options);
    if (!failure)
        return {};
    if (failure->kind == AtomicFile::Failure::Kind::Folder || failure->kind == AtomicFile::Failure::Kind::NotRegular)
        return kNotRegular;
    return systemText(failure->error);
}

QString asideName(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    return aside;
}

QString copyAside(const QString& path) {
    const ReadResult original = read(path);
    if (original.status != ReadResult::Status::Read)
        return {};
    const QString aside = asideName(path);
    QFile out(aside);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return {};
    if (out.write(original.bytes) != original.bytes.size() || !out.flush()) {
        out.remove();
        return {};
    }
    return aside;
}

} // namespace SettingsFile
