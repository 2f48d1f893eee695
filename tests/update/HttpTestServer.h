#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

// A small HTTP/1.1 server for the update's tests, on a free port of this machine and in a thread of its
// own: the client blocks the test's thread while it waits for an answer. Every answer closes its
// connection. Requests are logged as "HEAD /path" or "GET /path bytes=0-40959".
class HttpTestServer final {
public:
    struct File {
        QByteArray body;
        int status = 200;          // another status is answered with a short text body
        bool lengthKnown = true;   // answers name the length; without it a body ends with the connection
        bool ignoreRange = false;  // a ranged GET gets the whole file with 200
        bool rangeFromStart = false; // a ranged GET gets the file's first bytes, honestly labelled, with 206
        qint64 dropAt = -1;        // a GET's answer that reaches this byte of the file is cut there
        qint64 stallAfter = -1;    // a GET's answer stops after this many bytes of its body, connection kept
        QByteArray location;       // answered with 302 and this Location
        QByteArray setCookie;      // sent as Set-Cookie with every answer
    };

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // "http://127.0.0.1:<port>/"
    QString url() const;
    void put(const QString& path, const File& file);
    void remove(const QString& path);
    QStringList requests() const;
    // The Cookie header of each request, empty where there was none.
    QStringList cookies() const;
    void clearRequests();

private:
    class Thread;
    friend class Thread;

    QByteArray answer(const QByteArray& request, bool& keepOpen);

    mutable QMutex m_mutex;
    QHash<QString, File> m_files;
    QStringList m_requests;
    QStringList m_cookies;
    quint16 m_port = 0;
    QSemaphore m_ready;
    Thread* m_thread = nullptr;
};

// A file served as it is.
inline HttpTestServer::File served(const QByteArray& body)
{
    HttpTestServer::File file;
    file.body = body;
    return file;
}

// Bytes that differ from position to position, so that a misplaced range shows.
QByteArray patternBytes(qsizetype size);
