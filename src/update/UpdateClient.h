#pragma once

#include "platform/Errors.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

// A request of the update that failed: the server's status line ("HTTP/1.1 404 Not Found") or the
// transfer library's own message ("Failed to connect to ..."), shown as it is.
class EUpdateError final : public TalomaError {
public:
    using TalomaError::TalomaError;
};

// The bytes first to last of a file, both included, as a Range header asks for them.
struct ByteRange {
    qint64 first = 0;
    qint64 last = 0;
};

// What a response said before its body.
struct ResponseHead {
    int status = 0;
    QByteArray statusLine;    // "HTTP/1.1 206 Partial Content", without the line end
    qint64 contentLength = -1; // -1 when the response names none
    QByteArray contentRange;  // the Content-Range header's value, empty when there is none
};

// Takes a response's body as it arrives. An exception thrown from either call ends the request and
// comes out of UpdateClient::get.
class ResponseSink {
public:
    virtual ~ResponseSink() = default;
    // Once per response, before the first byte of its body (also when the body is empty).
    virtual void begin(const ResponseHead& head) = 0;
    virtual void write(const char* data, qsizetype size) = 0;
};

// The update's HTTP client: HEAD and GET with an optional range, one request at a time, each blocking
// until it is done. A status outside 2xx fails the request with the status line; redirects are
// followed. A server that does not answer the connection within the connect time-out, or that sends
// less than one byte a second for the low-speed time, fails the request instead of hanging it.
// Cookies a server sets are kept for the client's later requests.
class UpdateClient final {
public:
    struct Timeouts {
        long connectSeconds = 15;
        long lowSpeedSeconds = 30;
    };

    UpdateClient();
    explicit UpdateClient(Timeouts timeouts);
    ~UpdateClient();
    UpdateClient(const UpdateClient&) = delete;
    UpdateClient& operator=(const UpdateClient&) = delete;

    // The length the server gives for url, or -1 when its answer names none.
    qint64 head(const QString& url);

    // Fetches url, the given range of it when there is one, into sink. headers are added to the
    // request ("Cache-Control: no-cache").
    void get(const QString& url, const std::optional<ByteRange>& range, ResponseSink& sink,
             const QList<QByteArray>& headers = {});

    // The head of the last response (the final one after redirects).
    const ResponseHead& lastResponse() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
