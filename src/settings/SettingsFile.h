#pragma once

#include <QByteArray>
#include <QString>

// The settings file on disk, handled with suspicion: it may be a symbolic link, a device, a fifo, huge,
// or made read-only by its owner. Only regular files (or a name that does not exist yet, also behind a
// dangling link) are read or replaced; replacing goes through a temporary file and a rename where the
// file really lies, so a link stays a link and the file is always either the old or the new text.
//
// Texts returned as a reason are the system's own error texts, or a short German text where no system
// call failed; the store shows them to the user.
namespace SettingsFile {

// Larger files are not read: settings never come near this, and reading an endless or enormous file
// would stall the start.
constexpr qint64 MaxSize = 16 * 1024 * 1024;

struct ReadResult {
    enum class Status { Missing, Read, Unusable };
    Status status = Status::Missing;
    QByteArray bytes;
    // The owner has taken the right to write away: the file must be left as it is.
    bool readOnly = false;
    QString reason; // why the file is unusable
};

ReadResult read(const QString& path);

// Replaces the file where it really lies with `bytes` and forces it to the disk. Returns an empty string
// on success, otherwise the reason.
QString write(const QString& path, const QByteArray& bytes);

// Creates `folder` and its parents; returns the reason when that fails.
QString makeFolder(const QString& folder);

// A free name beside the file for keeping a copy of it: <file>.damaged-<date>-<time>[-n].
QString asideName(const QString& path);

// Copies the file as it lies on disk to asideName(); returns the copy's name, or an empty string when
// the copy could not be made.
QString copyAside(const QString& path);

} // namespace SettingsFile
