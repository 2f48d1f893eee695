#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

// Replacing a file so that it is always either the old or the new content, never a part of the new one:
// the data goes to a temporary file in the file's own folder, is synced to the disk, and is renamed over
// the old file; then the folder is synced so that the rename itself lasts. On failure the old file is
// untouched and the temporary file is gone.
//
// A symbolic link is followed to the file it names (also through a chain of links, and to a name that
// does not exist yet behind a dangling link), so the link stays and its target is replaced. The new file
// keeps the old one's permissions and, where the process may set it, its owner.
namespace AtomicFile {

struct Options {
    // Permissions of a file that does not exist yet, before the umask.
    mode_t newFileMode = 0666;
    // Refuse to replace a file the user may not write. The rename needs only the folder's permission,
    // so without this a read-only file would be replaced all the same. A user who may write anything
    // (root) still keeps off a file without any write permission.
    bool refuseReadOnly = false;
};

struct Failure {
    enum class Kind {
        Folder,     // a folder stands where the file should be (error EISDIR)
        NotRegular, // a device, a fifo or a socket: renaming over it would destroy it (error EINVAL)
        ReadOnly,   // refused by Options::refuseReadOnly (error EACCES)
        System,     // a system call failed with error
    };
    Kind kind = Kind::System;
    int error = 0; // an errno value; for the refusals the one named above
};

// Replaces the file at path with data. Returns the failure, or nothing when the file holds data.
std::optional<Failure> replace(const QString& path, const QByteArray& data, const Options& options = {});

// The name the data of path really lies under: symbolic links followed hop by hop, relative ones from
// their own folder. A name that does not exist (yet) is returned as it is. Sets error (ELOOP for a cycle
// or an endless chain) and returns an empty string when the chain cannot be followed.
QString resolveLinks(const QString& path, int& error);

} // namespace AtomicFile
