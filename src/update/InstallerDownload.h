#pragma once

#include <QString>

class UpdateClient;

// What the update dialog shows of a download: the step, the bytes done of the total, the progress
// bar; and the window's events, which are let through between the installer's ranges.
class DownloadView {
public:
    virtual ~DownloadView() = default;
    virtual void setStatus(const QString& text) = 0;
    virtual void setSpeed(const QString& text) = 0;
    virtual void setProgressMaximum(qint64 total) = 0;
    virtual void setProgressPosition(qint64 position) = 0;
    virtual void processMessages() = 0;
};

// Fetches the installer from url into the file target: its length first, then DownloadChunkSize bytes
// at a time with the view updated and the window's events processed between ranges; a server that
// names no length is asked once for the whole file. The file takes target's place only when complete;
// on failure an older file at target stays as it was. Errors are thrown (EUpdateError, EFileError).
void DownloadInstaller(UpdateClient& client, const QString& url, const QString& target, DownloadView& view);
