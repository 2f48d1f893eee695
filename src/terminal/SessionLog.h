#pragma once

#include <QByteArray>
#include <QString>

// The session log: what the board sends (and, when asked for, what the user sends) appended to a
// file as the raw bytes of the line. Every chunk is handed to the system as it is written, so that
// nothing already shown is lost when the program ends unexpectedly.
//
// A write that fails ends the log: the file is closed and error() says why; nothing more is written
// until the log is started again.
class SessionLog final {
public:
    SessionLog() = default;
    ~SessionLog();
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    // Opens (or creates) the file for appending; a running log is closed first. False, with error()
    // set, when the file cannot be opened.
    bool start(const QString& path, bool withSent);
    void stop();
    bool running() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    bool logsSent() const { return m_withSent; }
    void setLogsSent(bool withSent) { m_withSent = withSent; }

    // Appends received bytes; false when the write failed and the log has stopped.
    bool received(const QByteArray& bytes);
    // Appends sent bytes when sent bytes are logged; false when the write failed and the log stopped.
    bool sent(const QByteArray& bytes);

    // Why the log stopped or did not start: the system's text for the error.
    QString error() const { return m_error; }

private:
    bool append(const QByteArray& bytes);

    int m_fd = -1;
    QString m_path;
    QString m_error;
    bool m_withSent = false;
};
