#include "HttpTestServer.h"

#include "update/ByteSize.h"
#include "update/InstallerDownload.h"
#include "update/UpdateClient.h"
#include "update/UpdateSite.h"
#include "update/VersionCheck.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

const QString InstallerPath = QStringLiteral("/files/Taloma-Terminal/taloma-terminal_amd64.deb");
const QString VersionPath = QStringLiteral("/files/Taloma-Terminal/ver_terminal.txt");

// Everything a download showed, in order.
class RecordingView final : public DownloadView {
public:
    void setStatus(const QString& text) override { status << text; }
    void setSpeed(const QString& text) override { speed << text; }
    void setProgressMaximum(qint64 total) override { maximum = total; }
    void setProgressPosition(qint64 position) override { positions << position; }
    void processMessages() override
    {
        ++messages;
        if (onMessages)
            onMessages();
    }

    QStringList status;
    QStringList speed;
    QList<qint64> positions;
    qint64 maximum = -1;
    int messages = 0;
    std::function<void()> onMessages;
};

class DiscardSink final : public ResponseSink {
public:
    void begin(const ResponseHead&) override {}
    void write(const char*, qsizetype size) override { bytes += size; }
    qint64 bytes = 0;
};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class UpdateTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void byteSize_data();
    void byteSize();
    void serverUrl_fromEnvironmentWithSlash();
    void firstLine_data();
    void firstLine();
    void versions_data();
    void versions();

    void head_lengthOrNone();
    void requestErrors_carryStatusOrLibraryMessage_data();
    void requestErrors_carryStatusOrLibraryMessage();
    void stalledServer_failsAfterLowSpeedTime();
    void redirect_isFollowed();

    void download_inRanges_showsEachStep();
    void download_lengthsAtChunkEdges_data();
    void download_lengthsAtChunkEdges();
    void download_withoutLength_isOnePlainGet();
    void download_serverIgnoringRange_writesWholeFileOnce();
    void download_misplacedRange_fails();
    void download_failure_keepsOlderInstallerAndLeavesNothing_data();
    void download_failure_keepsOlderInstallerAndLeavesNothing();

    void versionCheck_readsFirstLineOfServerFile();
    void versionCheck_followsNoPlantedLinkAndLeavesNothing();

private:
    void putInstaller(const HttpTestServer::File& file) { m_server.put(InstallerPath, file); }
    QString installerUrl() const { return m_server.url() + InstallerPath.mid(1); }
    QString target() const { return m_dir->filePath(QStringLiteral("taloma-terminal_amd64.deb")); }

    HttpTestServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void UpdateTest::initTestCase()
{
    qputenv("TALOMA_UPDATE_URL", m_server.url().toLatin1());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void UpdateTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_server.clearRequests();
}

void UpdateTest::cleanup()
{
    m_server.remove(InstallerPath);
    m_server.remove(VersionPath);
}

void UpdateTest::byteSize_data()
{
    QTest::addColumn<qint64>("n");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    QTest::newRow("error") << qint64(-1) << "Fehler" << "Fehler";
    QTest::newRow("negative") << qint64(-5) << "-5 Byte" << "-5 Byte";
    QTest::newRow("lowest") << std::numeric_limits<qint64>::min() << "-9223372036854775808 Byte"
                            << "-9223372036854775808 Byte";
    QTest::newRow("zero") << qint64(0) << "0 Byte" << "0 Byte";
    QTest::newRow("500") << qint64(500) << "500 Byte" << "500 Byte";
    QTest::newRow("below KB") << qint64(1023) << "1023 Byte" << "1023 Byte";
    QTest::newRow("KB") << qint64(1024) << "1 KB" << "1 KB";
    QTest::newRow("one decimal") << qint64(1536) << "1,5 KB" << "1.5 KB";
    QTest::newRow("whole") << qint64(40960) << "40 KB" << "40 KB";
    QTest::newRow("two decimals") << qint64(100000) << "97,66 KB" << "97.66 KB";
    QTest::newRow("half down to even") << qint64(1152) << "1,12 KB" << "1.12 KB";
    QTest::newRow("half up to even") << qint64(1408) << "1,38 KB" << "1.38 KB";
    QTest::newRow("rounds up to the next unit's size") << qint64(1048575) << "1024 KB" << "1024 KB";
    QTest::newRow("MB") << qint64(1048576) << "1 MB" << "1 MB";
    QTest::newRow("MB decimals") << qint64(1048576 + 10486) << "1,01 MB" << "1.01 MB";
    QTest::newRow("GB") << qint64(1073741824) << "1 GB" << "1 GB";
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "8589934592 GB" << "8589934592 GB";
}

void UpdateTest::byteSize()
{
    QFETCH(qint64, n);
    QFETCH(QString, german);
    QFETCH(QString, english);
    QCOMPARE(FormatByteSize(n, QLocale(QLocale::German, QLocale::Germany)), german);
    QCOMPARE(FormatByteSize(n, QLocale(QLocale::English, QLocale::UnitedStates)), english);
    // Without a locale the default one is used (German here).
    QCOMPARE(FormatByteSize(n), german);
}

void UpdateTest::serverUrl_fromEnvironmentWithSlash()
{
    const QByteArray kept = qgetenv("TALOMA_UPDATE_URL");
    qputenv("TALOMA_UPDATE_URL", "http://mirror.local:8080/updates");
    QCOMPARE(UpdateFileURL(QStringLiteral("ver_terminal.txt")),
             QStringLiteral("http://mirror.local:8080/updates/files/Taloma-Terminal/ver_terminal.txt"));
    qputenv("TALOMA_UPDATE_URL", "");
    QCOMPARE(UpdateServerURL(), QString::fromLatin1(DefaultUpdateServerURL));
    qputenv("TALOMA_UPDATE_URL", kept);
}

void UpdateTest::firstLine_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("line");
    QTest::newRow("CR LF") << QByteArray("2.0.1.6\r\nmore") << "2.0.1.6";
    QTest::newRow("LF") << QByteArray("2.0.1.6\nmore") << "2.0.1.6";
    QTest::newRow("CR") << QByteArray("2.0.1.6\rmore") << "2.0.1.6";
    QTest::newRow("no line end") << QByteArray("2.0.1.6") << "2.0.1.6";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("empty first line") << QByteArray("\r\n2.0.1.6") << "";
    QTest::newRow("blanks kept") << QByteArray(" 2.0.1.6 \n") << " 2.0.1.6 ";
    QTest::newRow("bytes as characters") << QByteArray("v\xe9\x00x\n", 5)
                                         << QString::fromUtf8("v\u00e9") + QChar(0) + "x";
}

void UpdateTest::firstLine()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, line);
    QCOMPARE(FirstLine(text), line);
}

void UpdateTest::versions_data()
{
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("server");
    QTest::addColumn<VersionVerdict>("verdict");
    const auto same = VersionVerdict::Current, newer = VersionVerdict::ServerNewer,
               older = VersionVerdict::InstalledNewer;
    QTest::newRow("same") << "2.0.1.5" << "2.0.1.5" << same;
    QTest::newRow("build newer") << "2.0.1.5" << "2.0.1.6" << newer;
    QTest::newRow("build older") << "2.0.1.6" << "2.0.1.5" << older;
    QTest::newRow("two digits newer") << "2.0.9.0" << "2.0.10.0" << newer;
    QTest::newRow("two digits older") << "2.0.10.0" << "2.0.9.0" << older;
    QTest::newRow("major outweighs the rest") << "2.9.9.9" << "10.0.0.0" << newer;
    QTest::newRow("leading zero is the same number") << "2.0.1.5" << "2.0.01.5" << same;
    QTest::newRow("largest fields") << "65535.65535.65535.65534" << "65535.65535.65535.65535" << newer;
    // A line that is not a version is never offered as an update.
    QTest::newRow("empty") << "2.0.1.5" << "" << older;
    QTest::newRow("text") << "2.0.1.5" << "garbage" << older;
    QTest::newRow("markup") << "2.0.1.5" << "<html>" << older;
    QTest::newRow("three fields") << "2.0.1.5" << "2.0.2" << older;
    QTest::newRow("five fields") << "2.0.1.5" << "2.0.1.6.1" << older;
    QTest::newRow("empty field") << "2.0.1.5" << "2.0..6" << older;
    QTest::newRow("trailing blank") << "2.0.1.5" << "2.0.1.6 " << older;
    QTest::newRow("sign") << "2.0.1.5" << "+2.0.1.6" << older;
    QTest::newRow("beyond 16 bits") << "2.0.1.5" << "2.0.1.65536" << older;
    QTest::newRow("huge number") << "2.0.1.5" << "2.0.1.99999999999999999999" << older;
    QTest::newRow("other digits") << "2.0.1.5" << QString::fromUtf8("2.0.1.\u0667") << older;
}

void UpdateTest::versions()
{
    QFETCH(QString, installed);
    QFETCH(QString, server);
    QFETCH(VersionVerdict, verdict);
    QCOMPARE(CompareVersions(installed, server), verdict);
}

void UpdateTest::head_lengthOrNone()
{
    UpdateClient client;
    putInstaller(served(patternBytes(100000)));
    QCOMPARE(client.head(installerUrl()), qint64(100000));
    HttpTestServer::File unknown = served(patternBytes(100000));
    unknown.lengthKnown = false;
    putInstaller(unknown);
    QCOMPARE(client.head(installerUrl()), qint64(-1));
    putInstaller(served(QByteArray()));
    QCOMPARE(client.head(installerUrl()), qint64(0));
    QCOMPARE(m_server.requests(), QStringList(3, "HEAD " + InstallerPath));
}

void UpdateTest::requestErrors_carryStatusOrLibraryMessage_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("dropAt");
    QTest::addColumn<bool>("head");
    QTest::addColumn<QString>("message");
    QTest::newRow("HEAD 404") << 404 << qint64(-1) << true << "HTTP/1.1 404 Not Found";
    QTest::newRow("GET 404") << 404 << qint64(-1) << false << "HTTP/1.1 404 Not Found";
    QTest::newRow("GET 500") << 500 << qint64(-1) << false << "HTTP/1.1 500 Internal Server Error";
    QTest::newRow("dropped") << 200 << qint64(1000) << false << "transfer closed with 99000 bytes remaining to read";
}

void UpdateTest::requestErrors_carryStatusOrLibraryMessage()
{
    QFETCH(int, status);
    QFETCH(qint64, dropAt);
    QFETCH(bool, head);
    QFETCH(QString, message);
    HttpTestServer::File file = served(patternBytes(100000));
    file.status = status;
    file.dropAt = dropAt;
    putInstaller(file);
    UpdateClient client;
    DiscardSink sink;
    try {
        if (head)
            client.head(installerUrl());
        else
            client.get(installerUrl(), std::nullopt, sink);
        QFAIL("the request did not fail");
    } catch (const EUpdateError& e) {
        QCOMPARE(e.message(), message);
    }
    // An error page never reaches the sink as if it were the file.
    if (status != 200)
        QCOMPARE(sink.bytes, qint64(0));
}

void UpdateTest::stalledServer_failsAfterLowSpeedTime()
{
    HttpTestServer::File file = served(patternBytes(100000));
    // The answer's head comes, its body never does.
    file.stallAfter = 0;
    putInstaller(file);
    UpdateClient client(UpdateClient::Timeouts{15, 1});
    DiscardSink sink;
    QVERIFY_THROWS_EXCEPTION(EUpdateError, client.get(installerUrl(), std::nullopt, sink));

    // Nobody listening: the connection is refused with the library's own message.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    try {
        client.head(QStringLiteral("http://127.0.0.1:%1/x").arg(port));
        QFAIL("the request did not fail");
    } catch (const EUpdateError& e) {
        QVERIFY2(e.message().contains(QString::number(port)), qPrintable(e.message()));
    }
}

void UpdateTest::redirect_isFollowed()
{
    HttpTestServer::File moved;
    moved.location = (m_server.url() + "mirror/installer").toLatin1();
    putInstaller(moved);
    m_server.put(QStringLiteral("/mirror/installer"), served("payload"));
    UpdateClient client;
    DiscardSink sink;
    client.get(installerUrl(), std::nullopt, sink);
    QCOMPARE(sink.bytes, qint64(7));
    QCOMPARE(client.lastResponse().status, 200);
    m_server.remove(QStringLiteral("/mirror/installer"));
}

void UpdateTest::download_inRanges_showsEachStep()
{
    const QByteArray body = patternBytes(100000);
    HttpTestServer::File file = served(body);
    file.setCookie = "session=42; Path=/";
    putInstaller(file);
    UpdateClient client;
    RecordingView view;
    DownloadInstaller(client, installerUrl(), target(), view);

    QCOMPARE(m_server.requests(), QStringList({"HEAD " + InstallerPath, "GET " + InstallerPath + " bytes=0-40959",
                                               "GET " + InstallerPath + " bytes=40960-81919",
                                               "GET " + InstallerPath + " bytes=81920-100000"}));
    QCOMPARE(view.status, QStringList({"", "Prüfe Header", "Erstelle Datei", "Fertig"}));
    QCOMPARE(view.speed, QStringList({"40 KB/97,66 KB", "80 KB/97,66 KB", "120 KB/97,66 KB", "Fertig"}));
    QCOMPARE(view.maximum, qint64(100000));
    QCOMPARE(view.positions, QList<qint64>({0, 40960, 81920, 122880, 100000}));
    // A cookie the server sets is sent back with the ranges.
    QCOMPARE(m_server.cookies(), QStringList({"", "session=42", "session=42", "session=42"}));
    // The window's events are let through twice before each range.
    QCOMPARE(view.messages, 6);
    QCOMPARE(contents(target()), body);
}

void UpdateTest::download_lengthsAtChunkEdges_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("ranges");
    QTest::newRow("empty") << 0 << QStringList({""});
    QTest::newRow("one byte") << 1 << QStringList({" bytes=0-1"});
    QTest::newRow("one chunk") << 40960 << QStringList({" bytes=0-40960"});
    QTest::newRow("one chunk and a byte") << 40961 << QStringList({" bytes=0-40959", " bytes=40960-40961"});
    QTest::newRow("two chunks") << 81920 << QStringList({" bytes=0-40959", " bytes=40960-81920"});
}

void UpdateTest::download_lengthsAtChunkEdges()
{
    QFETCH(int, length);
    QFETCH(QStringList, ranges);
    const QByteArray body = patternBytes(length);
    putInstaller(served(body));
    UpdateClient client;
    RecordingView view;
    DownloadInstaller(client, installerUrl(), target(), view);
    QStringList expected{"HEAD " + InstallerPath};
    for (const QString& range : ranges)
        expected << "GET " + InstallerPath + range;
    QCOMPARE(m_server.requests(), expected);
    QCOMPARE(contents(target()), body);
    QCOMPARE(view.status.last(), QStringLiteral("Fertig"));
    QCOMPARE(view.positions.last(), qint64(length));
}

void UpdateTest::download_withoutLength_isOnePlainGet()
{
    HttpTestServer::File file = served(patternBytes(100000));
    file.lengthKnown = false;
    putInstaller(file);
    UpdateClient client;
    RecordingView view;
    DownloadInstaller(client, installerUrl(), target(), view);
    QCOMPARE(m_server.requests(), QStringList({"HEAD " + InstallerPath, "GET " + InstallerPath}));
    QCOMPARE(view.status,
             QStringList({"", "Prüfe Header", "Normalles herunterladen", "Erstelle Datei", "Fertig"}));
    QCOMPARE(view.speed, QStringList({"Fertig"}));
    QCOMPARE(view.positions, QList<qint64>({0})); // the bar does not move
    QCOMPARE(view.maximum, qint64(-1));
    QCOMPARE(contents(target()), file.body);
}

void UpdateTest::download_serverIgnoringRange_writesWholeFileOnce()
{
    HttpTestServer::File file = served(patternBytes(100000));
    file.ignoreRange = true;
    putInstaller(file);
    UpdateClient client;
    RecordingView view;
    DownloadInstaller(client, installerUrl(), target(), view);
    QCOMPARE(contents(target()), file.body);
    QCOMPARE(m_server.requests(), QStringList({"HEAD " + InstallerPath, "GET " + InstallerPath + " bytes=0-40959"}));
    QCOMPARE(view.status.last(), QStringLiteral("Fertig"));
    QCOMPARE(view.speed, QStringList({"Fertig"}));
    QCOMPARE(view.positions.last(), qint64(100000));
}

void UpdateTest::download_misplacedRange_fails()
{
    // Every range answered with the file's first bytes, honestly labelled: the first range fits, the
    // second does not.
    HttpTestServer::File file = served(patternBytes(100000));
    file.rangeFromStart = true;
    putInstaller(file);
    UpdateClient client;
    RecordingView view;
    try {
        DownloadInstaller(client, installerUrl(), target(), view);
        QFAIL("the download did not fail");
    } catch (const EUpdateError& e) {
        QCOMPARE(e.message(), QStringLiteral("Der Server hat auf \"Range: bytes=40960-81919\" mit "
                                             "\"Content-Range: bytes 0-40959/100000\" geantwortet."));
    }
    QVERIFY(!view.status.contains(QStringLiteral("Fertig")));
}

void UpdateTest::download_failure_keepsOlderInstallerAndLeavesNothing_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("older");
    for (const char* failure : {"dropped in the first range", "dropped in the second range", "misplaced range",
                                "stalled", "server error"}) {
        QTest::addRow("%s, older installer", failure) << QString::fromLatin1(failure) << true;
        QTest::addRow("%s, no installer", failure) << QString::fromLatin1(failure) << false;
    }
}

void UpdateTest::download_failure_keepsOlderInstallerAndLeavesNothing()
{
    QFETCH(QString, failure);
    QFETCH(bool, older);
    HttpTestServer::File file = served(patternBytes(100000));
    if (failure == "dropped in the first range")
        file.dropAt = 1000;
    else if (failure == "dropped in the second range")
        file.dropAt = 60000;
    else if (failure == "misplaced range")
        file.rangeFromStart = true;
    else if (failure == "stalled")
        file.stallAfter = 0;
    else
        file.status = 500;
    putInstaller(file);
    if (older) {
        QFile old(target());
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("older installer") == 15);
    }
    UpdateClient client(UpdateClient::Timeouts{15, 1});
    RecordingView view;
    QVERIFY_THROWS_EXCEPTION(TalomaError, DownloadInstaller(client, installerUrl(), target(), view));
    QVERIFY(!view.status.contains(QStringLiteral("Fertig")));
    // The older installer stays as it was, and no piece of the new one is left beside it.
    const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QCOMPARE(left, older ? QStringList{QStringLiteral("taloma-terminal_amd64.deb")} : QStringList{});
    if (older)
        QCOMPARE(contents(target()), QByteArray("older installer"));
}

void UpdateTest::versionCheck_readsFirstLineOfServerFile()
{
    m_server.put(VersionPath, served("2.0.1.6\r\nnotes\r\n"));
    UpdateClient client;
    QCOMPARE(FetchServerVersion(client), QStringLiteral("2.0.1.6"));
    QCOMPARE(m_server.requests(), QStringList({"GET " + VersionPath}));
    m_server.remove(VersionPath);
    try {
        FetchServerVersion(client);
        QFAIL("a missing version file was not reported");
    } catch (const EUpdateError& e) {
        QCOMPARE(e.message(), QStringLiteral("HTTP/1.1 404 Not Found"));
    }
}

void UpdateTest::versionCheck_followsNoPlantedLinkAndLeavesNothing()
{
    // Someone else's link at a name the check might use in the shared temporary folder.
    QTemporaryDir shared;
    QVERIFY(shared.isValid());
    const QString victim = m_dir->filePath(QStringLiteral("victim"));
    QFile file(victim);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
    file.close();
    const QString planted = shared.filePath(QStringLiteral("ver_terminal.tmp"));
    QVERIFY(QFile::link(victim, planted));

    const QByteArray keptTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(shared.path()));
    m_server.put(VersionPath, served("2.0.1.6\n"));
    UpdateClient client;
    const QString version = FetchServerVersion(client);
    qputenv("TMPDIR", keptTemp);

    QCOMPARE(version, QStringLiteral("2.0.1.6"));
    QCOMPARE(contents(victim), QByteArray("keep me"));
    QCOMPARE(QDir(shared.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("ver_terminal.tmp")});
    QVERIFY(QFileInfo(planted).isSymLink());
}

QTEST_GUILESS_MAIN(UpdateTest)
#include "tst_update.moc"
