#include "update/UpdateClient.h"

#include "platform/Version.h"

#include <QLoggingCategory>

#include <curl/curl.h>

#include <exception>
#include <mutex>

Q_LOGGING_CATEGORY(lcUpdate, "taloma.update", QtWarningMsg)

namespace {

void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The status code of a status line such as "HTTP/1.1 404 Not Found" or "HTTP/2 200"; 0 when there is none.
int statusOf(const QByteArray& statusLine)
{
    const QList<QByteArray> words = statusLine.split(' ');
    if (words.size() < 2)
        return 0;
    bool ok = false;
    const int status = words[1].toInt(&ok);
    return ok ? status : 0;
}

} // namespace

struct UpdateClient::Private {
    CURL* curl = nullptr;
    Timeouts timeouts;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // The request under way.
    ResponseHead head;
    ResponseSink* sink = nullptr;
    bool begun = false;
    std::exception_ptr failure;

    // Fails on a status outside 2xx, otherwise hands the head to the sink. Runs once per request.
    void beginBody()
    {
        begun = true;
        if (head.status < 200 || head.status > 299) {
            const QString line = QString::fromLatin1(head.statusLine).trimmed();
            throw EUpdateError(line.isEmpty() ? QStringLiteral("HTTP-Status %1").arg(head.status) : line);
        }
        if (sink)
            sink->begin(head);
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Private*>(user);
        const size_t bytes = size * count;
        QByteArray line(data, qsizetype(bytes));
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("HTTP/")) {
            // Each response of a redirect chain (and an interim 100 Continue) starts afresh.
            self->head = ResponseHead{};
            self->head.statusLine = line;
            self->head.status = statusOf(line);
            return bytes;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return bytes;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            self->head.contentLength = ok && length >= 0 ? length : -1;
        } else if (name == "content-range") {
            self->head.contentRange = value;
        }
        return bytes;
    }

    static size_t onBody(char* data, size_t size, size_t count, void* user)
    {
        auto* self = static_cast<Private*>(user);
        const size_t bytes = size * count;
        // An exception may not pass through the library: it is kept and thrown once perform returns.
        try {
            if (!self->begun)
                self->beginBody();
            if (self->sink)
                self->sink->write(data, qsizetype(bytes));
        } catch (...) {
            self->failure = std::current_exception();
            return bytes == 0 ? 1 : 0; // any other count than the one given aborts the transfer
        }
        return bytes;
    }

    template <typename T>
    void set(CURLoption option, T value)
    {
        curl_easy_setopt(curl, option, value);
    }

    // What every request of the client shares. The handle is never reset: the library's reset would drop
    // the cookie engine's file list without freeing it.
    void setUp()
    {
        const QByteArray userAgent = "Taloma-Terminal/" + versionText().toLatin1();
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_ERRORBUFFER, errorBuffer);
        set(CURLOPT_PROTOCOLS_STR, "http,https");
        set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, 5L);
        set(CURLOPT_PROXY, ""); // straight to the server, whatever the environment says
        set(CURLOPT_COOKIEFILE, ""); // cookies kept in memory, for the client's later requests
        set(CURLOPT_USERAGENT, userAgent.constData());
        set(CURLOPT_CONNECTTIMEOUT, timeouts.connectSeconds);
        set(CURLOPT_LOW_SPEED_LIMIT, 1L);
        set(CURLOPT_LOW_SPEED_TIME, timeouts.lowSpeedSeconds);
        set(CURLOPT_HEADERFUNCTION, &Private::onHeader);
        set(CURLOPT_HEADERDATA, this);
        set(CURLOPT_WRITEFUNCTION, &Private::onBody);
        set(CURLOPT_WRITEDATA, this);
    }

    void perform(const QString& url, bool bodyWanted, const std::optional<ByteRange>& range, ResponseSink* target,
                 const QList<QByteArray>& extraHeaders)
    {
        head = ResponseHead{};
        sink = target;
        begun = false;
        failure = nullptr;
        errorBuffer[0] = '\0';

        // Everything a request sets is set anew for each one: method, range and headers of the one before
        // do not carry over.
        const QByteArray address = url.toUtf8();
        set(CURLOPT_URL, address.constData());
        if (bodyWanted)
            set(CURLOPT_HTTPGET, 1L);
        else
            set(CURLOPT_NOBODY, 1L);
        QByteArray rangeText;
        if (range)
            rangeText = QByteArray::number(range->first) + '-' + QByteArray::number(range->last);
        set(CURLOPT_RANGE, range ? rangeText.constData() : nullptr);
        curl_slist* headers = curl_slist_append(nullptr, "Accept: text/html, */*");
        for (const QByteArray& header : extraHeaders)
            headers = curl_slist_append(headers, header.constData());
        set(CURLOPT_HTTPHEADER, headers);

        const CURLcode code = curl_easy_perform(curl);
        set(CURLOPT_HTTPHEADER, nullptr);
        curl_slist_free_all(headers);

        if (failure)
            std::rethrow_exception(failure);
        if (code != CURLE_OK) {
            const QString message = errorBuffer[0] ? QString::fromLocal8Bit(errorBuffer).trimmed()
                                                   : QString::fromLatin1(curl_easy_strerror(code));
            qCInfo(lcUpdate) << url << "failed:" << message;
            throw EUpdateError(message);
        }
        // A HEAD request, or an empty body.
        if (!begun)
            beginBody();
    }
};

UpdateClient::UpdateClient() : UpdateClient(Timeouts{}) {}

UpdateClient::UpdateClient(Timeouts timeouts) : d(std::make_unique<Private>())
{
    initialiseLibrary();
    d->curl = curl_easy_init();
    d->timeouts = timeouts;
    if (!d->curl)
        throw EUpdateError(QStringLiteral("Die HTTP-Bibliothek lässt sich nicht einrichten."));
    d->setUp();
}

UpdateClient::~UpdateClient() { curl_easy_cleanup(d->curl); }

qint64 UpdateClient::head(const QString& url)
{
    d->perform(url, false, std::nullopt, nullptr, {});
    return d->head.contentLength;
}

void UpdateClient::get(const QString& url, const std::optional<ByteRange>& range, ResponseSink& sink,
                       const QList<QByteArray>& headers)
{
    // The sink is the caller's: it is not kept beyond this request, however the request ends.
    struct Forget {
        Private& d;
        ~Forget() { d.sink = nullptr; }
    } forget{*d};
    d->perform(url, true, range, &sink, headers);
}

const ResponseHead& UpdateClient::lastResponse() const { return d->head; }
