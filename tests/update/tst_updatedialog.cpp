#include "HttpTestServer.h"
#include "support/ScriptedPrompts.h"

#include "dialogs/Update_Unit.h"
#include "update/UpdateSite.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString InstallerPath = QStringLiteral("/files/Taloma-Terminal/taloma-terminal_amd64.deb");
const QString VersionPath = QStringLiteral("/files/Taloma-Terminal/ver_terminal.txt");

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// The update dialog as a user drives it, against a local server.
class UpdateDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opening_showsInstalledVersionAndResets();
    void check_showsVerdict_data();
    void check_showsVerdict();
    void reopening_offersNoDownloadUntilCheckedAgain();
    void download_putsInstallerOnDesktop();
    void desktop_isCreatedOrTargetKept();
    void transfer_locksBothButtonsBetweenRanges();
    void failures_areShownNeverFinished_data();
    void failures_areShownNeverFinished();
    void transfer_reopenedMeanwhile_staysLockedAndOffersNoDownload();

private:
    QLabel* label(const char* name) const { return m_dialog->findChild<QLabel*>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(QLatin1String(name)); }
    QProgressBar* progress() const { return m_dialog->findChild<QProgressBar*>(QStringLiteral("Progress")); }
    static QColor colorOf(QLabel* label) { return label->palette().color(QPalette::WindowText); }
    QString desktop() const { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); }
    // Opens the dialog with the given installed version and lets it check the server.
    void openAndCheck(const QString& installed, const QByteArray& versionFile);

    QTemporaryDir m_home;
    HttpTestServer m_server;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TfrmUpdate> m_dialog;
};

void UpdateDialogTest::initTestCase()
{
    // The desktop the tests fill and remove is a private one, however the test is started.
    QVERIFY(m_home.isValid());
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    QCOMPARE(desktop(), m_home.filePath(QStringLiteral("Desktop")));
    qputenv("TALOMA_UPDATE_URL", m_server.url().toLatin1());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void UpdateDialogTest::init()
{
    m_dialog = std::make_unique<TfrmUpdate>();
    m_prompts.clear();
    m_server.clearRequests();
}

void UpdateDialogTest::cleanup()
{
    m_dialog.reset();
    m_server.remove(InstallerPath);
    m_server.remove(VersionPath);
    QDir(desktop()).removeRecursively();
}

void UpdateDialogTest::openAndCheck(const QString& installed, const QByteArray& versionFile)
{
    InstalledVersion = installed;
    m_server.put(VersionPath, served(versionFile));
    m_dialog->show();
    button("bbtnUpdateCheck")->click();
}

void UpdateDialogTest::opening_showsInstalledVersionAndResets()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Update"));
    QCOMPARE(InstalledVersion, QStringLiteral("2.0.0.1"));
    QCOMPARE(label("lblaktVersion")->text(), QStringLiteral("2.0.0.1"));
    QCOMPARE(colorOf(label("lblaktVersion")), QColor(0, 0, 255));
    QCOMPARE(colorOf(label("lblServerVersion")), QColor(0, 128, 0));
    QCOMPARE(colorOf(label("Label1")), QColor(Qt::black));
    QCOMPARE(label("lblTxtVersion")->text(), QStringLiteral("*** Versions-Check ***"));
    m_dialog->show();
    QCOMPARE(colorOf(label("lblTxtVersion")), QColor(176, 0, 88));
    QCOMPARE(label("lblServerVersion")->text(), QStringLiteral("0.0.0.0"));
    QVERIFY(!button("bbtnDownload")->isEnabled());
    QVERIFY(button("bbtnUpdateCheck")->isEnabled());
    QCOMPARE(label("lblSpeed")->text(), QString());
    QCOMPARE(label("lblStatus")->text(), QString());
}

void UpdateDialogTest::check_showsVerdict_data()
{
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QByteArray>("versionFile");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<bool>("offered");
    const QString current = QStringLiteral("Ihre Version ist aktuell !");
    const QString newer = QStringLiteral("Neuere Version ist auf dem Server !!!");
    const QString older = QStringLiteral("Ihre Version ist neuer als die auf dem Server !");
    const QColor green(0, 128, 0), red(255, 0, 0), orange(255, 128, 64);
    QTest::newRow("same") << "2.0.1.5" << QByteArray("2.0.1.5\r\n") << "2.0.1.5" << current << green << false;
    QTest::newRow("server newer") << "2.0.1.5" << QByteArray("2.0.1.6\n") << "2.0.1.6" << newer << red << true;
    QTest::newRow("installed newer") << "2.0.1.6" << QByteArray("2.0.1.5") << "2.0.1.5" << older << orange << false;
    QTest::newRow("numbers, not text") << "2.0.9.0" << QByteArray("2.0.10.0\r\n") << "2.0.10.0" << newer << red << true;
    QTest::newRow("empty file") << "2.0.1.5" << QByteArray() << "" << older << orange << false;
    QTest::newRow("garbage") << "2.0.1.5" << QByteArray("garbage\n2.0.1.6") << "garbage" << older << orange << false;
    QTest::newRow("markup shown as text") << "2.0.1.5" << QByteArray("<b>x</b>") << "<b>x</b>" << older << orange
                                          << false;
}

void UpdateDialogTest::check_showsVerdict()
{
    QFETCH(QString, installed);
    QFETCH(QByteArray, versionFile);
    QFETCH(QString, shown);
    QFETCH(QString, verdict);
    QFETCH(QColor, color);
    QFETCH(bool, offered);
    openAndCheck(installed, versionFile);
    QCOMPARE(label("lblServerVersion")->text(), shown);
    QCOMPARE(label("lblServerVersion")->textFormat(), Qt::PlainText);
    QCOMPARE(label("lblTxtVersion")->text(), verdict);
    QCOMPARE(colorOf(label("lblTxtVersion")), color);
    QCOMPARE(button("bbtnDownload")->isEnabled(), offered);
    QCOMPARE(m_prompts.shown.size(), 0);
    QCOMPARE(m_server.requests(), QStringList({"GET " + VersionPath}));
}

void UpdateDialogTest::reopening_offersNoDownloadUntilCheckedAgain()
{
    openAndCheck(QStringLiteral("2.0.1.5"), "2.0.1.6");
    QVERIFY(button("bbtnDownload")->isEnabled());
    button("BitBtnOK")->click();
    QVERIFY(!m_dialog->isVisible());
    m_dialog->show();
    QVERIFY(!button("bbtnDownload")->isEnabled());
    QCOMPARE(label("lblServerVersion")->text(), QStringLiteral("0.0.0.0"));
    QCOMPARE(label("lblTxtVersion")->text(), QStringLiteral("*** Versions-Check ***"));
}

void UpdateDialogTest::download_putsInstallerOnDesktop()
{
    const QByteArray installer = patternBytes(100000);
    m_server.put(InstallerPath, served(installer));
    openAndCheck(QStringLiteral("2.0.1.5"), "2.0.1.6");
    button("bbtnDownload")->click();
    QCOMPARE(label("lblStatus")->text(), QStringLiteral("Fertig"));
    QCOMPARE(label("lblSpeed")->text(), QStringLiteral("Fertig"));
    QCOMPARE(progress()->maximum(), 100000);
    QCOMPARE(progress()->value(), 100000);
    QCOMPARE(DownloadURL, m_server.url() + InstallerPath.mid(1));
    QCOMPARE(DownloadTarget, desktop() + QStringLiteral("/taloma-terminal_amd64.deb"));
    QCOMPARE(contents(DownloadTarget), installer);
    QVERIFY(m_prompts.shown.isEmpty());
}

void UpdateDialogTest::desktop_isCreatedOrTargetKept()
{
    QVERIFY(!QFileInfo::exists(desktop()));
    DownloadTarget.clear();
    m_dialog->show();
    QVERIFY(QFileInfo(desktop()).isDir());
    QCOMPARE(DownloadTarget, desktop() + QStringLiteral("/taloma-terminal_amd64.deb"));

    // A file where the desktop should be: no desktop can be had, the target stays.
    m_dialog->hide();
    QVERIFY(QDir(desktop()).removeRecursively());
    QFile blocker(desktop());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    DownloadTarget = QStringLiteral("/earlier/taloma-terminal_amd64.deb");
    m_dialog->show();
    QCOMPARE(DownloadTarget, QStringLiteral("/earlier/taloma-terminal_amd64.deb"));
    QVERIFY(QFile::remove(desktop()));
}

void UpdateDialogTest::transfer_locksBothButtonsBetweenRanges()
{
    const QByteArray installer = patternBytes(100000);
    m_server.put(InstallerPath, served(installer));
    openAndCheck(QStringLiteral("2.0.1.5"), "2.0.1.6");
    m_server.clearRequests();

    // The first pass of the window's events comes between the installer's ranges; the user clicks both
    // buttons there.
    bool between = false, checkEnabled = true, downloadEnabled = true;
    QTimer::singleShot(0, m_dialog.get(), [&] {
        between = m_server.requests().size() > 0;
        checkEnabled = button("bbtnUpdateCheck")->isEnabled();
        downloadEnabled = button("bbtnDownload")->isEnabled();
        button("bbtnUpdateCheck")->click();
        button("bbtnDownload")->click();
    });
    button("bbtnDownload")->click();

    QVERIFY(between);
    QVERIFY(!checkEnabled);
    QVERIFY(!downloadEnabled);
    QCOMPARE(m_server.requests(), QStringList({"HEAD " + InstallerPath, "GET " + InstallerPath + " bytes=0-40959",
                                               "GET " + InstallerPath + " bytes=40960-81919",
                                               "GET " + InstallerPath + " bytes=81920-100000"}));
    QCOMPARE(contents(DownloadTarget), installer);
    QCOMPARE(label("lblStatus")->text(), QStringLiteral("Fertig"));
    // Once it is over both are there again.
    QVERIFY(button("bbtnUpdateCheck")->isEnabled());
    QVERIFY(button("bbtnDownload")->isEnabled());
}

void UpdateDialogTest::failures_areShownNeverFinished_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("dropAt");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("step");
    QTest::newRow("version file missing") << false << 404 << qint64(-1) << "HTTP/1.1 404 Not Found" << "";
    QTest::newRow("version file server error") << false << 500 << qint64(-1) << "HTTP/1.1 500 Internal Server Error"
                                               << "";
    QTest::newRow("version file cut") << false << 200 << qint64(3) << "transfer closed with 6 bytes remaining to read"
                                      << "";
    QTest::newRow("installer missing") << true << 404 << qint64(-1) << "HTTP/1.1 404 Not Found" << "Prüfe Header";
    QTest::newRow("installer cut") << true << 200 << qint64(60000)
                                   << "transfer closed with 21920 bytes remaining to read" << "Erstelle Datei";
}

void UpdateDialogTest::failures_areShownNeverFinished()
{
    QFETCH(bool, download);
    QFETCH(int, status);
    QFETCH(qint64, dropAt);
    QFETCH(QString, message);
    QFETCH(QString, step);
    HttpTestServer::File file = served(download ? patternBytes(100000) : QByteArray("2.0.1.6\r\n"));
    file.status = status;
    file.dropAt = dropAt;
    if (download) {
        openAndCheck(QStringLiteral("2.0.1.5"), "2.0.1.6");
        m_server.put(InstallerPath, file);
        QFile older(desktop() + QStringLiteral("/taloma-terminal_amd64.deb"));
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("older") == 5);
        older.close();
        button("bbtnDownload")->click();
        QCOMPARE(contents(older.fileName()), QByteArray("older"));
        QCOMPARE(QDir(desktop()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    } else {
        m_server.put(VersionPath, file);
        InstalledVersion = QStringLiteral("2.0.1.5");
        m_dialog->show();
        button("bbtnUpdateCheck")->click();
        QCOMPARE(label("lblServerVersion")->text(), QStringLiteral("0.0.0.0"));
        QCOMPARE(label("lblTxtVersion")->text(), QStringLiteral("*** Versions-Check ***"));
    }
    QCOMPARE(m_prompts.texts(QStringLiteral("message")), QStringList{message});
    QCOMPARE(label("lblStatus")->text(), step);
    QVERIFY(label("lblSpeed")->text() != QStringLiteral("Fertig"));
    QVERIFY(button("bbtnUpdateCheck")->isEnabled());
    QCOMPARE(button("bbtnDownload")->isEnabled(), download);
}

void UpdateDialogTest::transfer_reopenedMeanwhile_staysLockedAndOffersNoDownload()
{
    m_server.put(InstallerPath, served(patternBytes(100000)));
    openAndCheck(QStringLiteral("2.0.1.5"), "2.0.1.6");
    bool checkEnabled = true;
    QTimer::singleShot(0, m_dialog.get(), [&] {
        button("BitBtnOK")->click();
        m_dialog->show();
        checkEnabled = button("bbtnUpdateCheck")->isEnabled();
    });
    button("bbtnDownload")->click();
    QVERIFY(!checkEnabled);
    QCOMPARE(label("lblStatus")->text(), QStringLiteral("Fertig"));
    // The reopening reset the check: no download is offered until the next one.
    QVERIFY(button("bbtnUpdateCheck")->isEnabled());
    QVERIFY(!button("bbtnDownload")->isEnabled());
}

QTEST_MAIN(UpdateDialogTest)
#include "tst_updatedialog.moc"
