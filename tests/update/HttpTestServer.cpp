#include "HttpTestServer.h"

#include <QTcpServer>
#include <QTcpSocket>

class HttpTestServer::Thread final : public QThread {
public:
    explicit Thread(HttpTestServer& owner) : m_owner(owner) {}

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_owner.m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_owner.m_ready.release();
        exec();
    }

private:
    void serve(QTcpSocket* socket)
    {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        if (!request.contains("\r\n\r\n")) {
            socket->setProperty("request", request);
            return;
        }
        socket->setProperty("request", QByteArray());
        bool keepOpen = false;
        socket->write(m_owner.answer(request, keepOpen));
        if (!keepOpen)
            socket->disconnectFromHost();
    }

    HttpTestServer& m_owner;
};

HttpTestServer::HttpTestServer() : m_thread(new Thread(*this))
{
    m_thread->start();
    m_ready.acquire();
}

HttpTestServer::~HttpTestServer()
{
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

QString HttpTestServer::url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_port); }

void HttpTestServer::put(const QString& path, const File& file)
{
    QMutexLocker lock(&m_mutex);
    m_files.insert(path, file);
}

void HttpTestServer::remove(const QString& path)
{
    QMutexLocker lock(&m_mutex);
    m_files.remove(path);
}

QStringList HttpTestServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

QStringList HttpTestServer::cookies() const
{
    QMutexLocker lock(&m_mutex);
    return m_cookies;
}

void HttpTestServer::clearRequests()
{
    QMutexLocker lock(&m_mutex);
    m_requests.clear();
    m_cookies.clear();
}

namespace {

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 302: return "Found";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

QByteArray head(int status, const QList<QByteArray>& headers)
{
    QByteArray text = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\nConnection: close\r\n";
    for (const QByteArray& header : headers)
        text += header + "\r\n";
    return text + "\r\n";
}

QByteArray lengthHeader(qsizetype length) { return "Content-Length: " + QByteArray::number(length); }

} // namespace

QByteArray HttpTestServer::answer(const QByteArray& request, bool& keepOpen)
{
    const QList<QByteArray> lines = request.split('\n');
    const QList<QByteArray> words = lines.value(0).trimmed().split(' ');
    const QByteArray method = words.value(0);
    const QString path = QString::fromLatin1(words.value(1));
    QByteArray range, cookie;
    for (const QByteArray& line : lines) {
        if (line.toLower().startsWith("range:"))
            range = line.mid(6).trimmed();
        else if (line.toLower().startsWith("cookie:"))
            cookie = line.mid(7).trimmed();
    }

    QMutexLocker lock(&m_mutex);
    m_requests << (QString::fromLatin1(method) + QLatin1Char(' ') + path +
                   (range.isEmpty() ? QString() : QLatin1Char(' ') + QString::fromLatin1(range)));
    m_cookies << QString::fromLatin1(cookie);
    if (!m_files.contains(path))
        return head(404, {lengthHeader(9)}) + "not found";
    const File file = m_files.value(path);
    if (!file.location.isEmpty())
        return head(302, {"Location: " + file.location, lengthHeader(0)});
    if (file.status != 200)
        return head(file.status, {lengthHeader(5)}) + "error";

    const qsizetype size = file.body.size();
    QList<QByteArray> headers;
    if (!file.setCookie.isEmpty())
        headers << "Set-Cookie: " + file.setCookie;
    if (method == "HEAD")
        return head(200, file.lengthKnown ? headers + QList<QByteArray>{lengthHeader(size)} : headers);

    int status = 200;
    qint64 offset = 0;
    QByteArray body = file.body;
    if (range.startsWith("bytes=") && !file.ignoreRange) {
        const QList<QByteArray> ends = range.mid(6).split('-');
        qint64 first = ends.value(0).toLongLong();
        qint64 last = qMin<qint64>(ends.value(1).toLongLong(), size - 1);
        if (file.rangeFromStart) {
            last -= first;
            first = 0;
        }
        if (first >= size)
            return head(416, {"Content-Range: bytes */" + QByteArray::number(size), lengthHeader(0)});
        status = 206;
        offset = first;
        body = file.body.mid(first, last - first + 1);
        headers << "Content-Range: bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/' +
                       QByteArray::number(size);
    }
    if (file.lengthKnown)
        headers << lengthHeader(body.size());
    if (file.dropAt >= 0 && file.dropAt < offset + body.size())
        return head(status, headers) + body.left(qMax<qint64>(0, file.dropAt - offset));
    if (file.stallAfter >= 0) {
        keepOpen = true;
        return head(status, headers) + body.left(file.stallAfter);
    }
    return head(status, headers) + body;
}

QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}
