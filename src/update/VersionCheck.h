#pragma once

#include <QByteArray>
#include <QString>

class UpdateClient;

// What the server's version says about the installed one.
enum class VersionVerdict {
    Current,        // the same version
    ServerNewer,    // the server offers a newer one
    InstalledNewer, // the installed one is newer
};

// Compares two versions major.minor.release.build field by field as numbers. A server text that is not
// such a version (empty, text, a field beyond 65535) counts as older than the installed version.
VersionVerdict CompareVersions(const QString& installed, const QString& server);

// The first line of a text: up to the first CR or LF, nothing trimmed; bytes are characters 0-255.
QString FirstLine(const QByteArray& text);

// Fetches the version file from the update folder, through a private temporary file that is gone
// afterwards, and returns its first line. A file that cannot be fetched throws EUpdateError with the
// server's status or the transfer's failure.
QString FetchServerVersion(UpdateClient& client);
