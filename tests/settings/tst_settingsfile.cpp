// The settings file on disk: what the store agrees to read and replace, when it writes, and what it says
// when it cannot.

#include "settings/SettingsStore.h"
#include "platform/Errors.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kKey = QStringLiteral("\\Software\\Orvik\\Taloma-Terminal\\2.0");
const QByteArray kValidFile("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Orvik\\Taloma-Terminal\\2.0]\r\n"
                            "\"ComBaudrate\"=dword:00000003\r\n\r\n");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

template <typename F> QString registryError(F action) {
    try {
        action();
    } catch (const ERegistryError& e) {
        return e.message();
    }
    return {};
}

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

struct stat lstatOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fileOfAnotherKind_isReportedAndNeverWritten_data();
    void fileOfAnotherKind_isReportedAndNeverWritten();
    void danglingLink_createsItsTargetAndStaysALink();
    void oversizedFile_isReportedKeptAndNeverWritten();
    void readOnlyFile_isReadButNeverReplaced();
    void changes_reachTheFileWhenTheKeyCloses();
    void failures_nameTheSystemsReason();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    QString m_file;
};

void SettingsFileTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_file = m_dir->filePath(QStringLiteral("config/HKEY_CURRENT_USER.reg"));
    QVERIFY(QDir().mkpath(QFileInfo(m_file).absolutePath()));
    SettingsStore::resetForTests(m_file);
}

void SettingsFileTest::cleanup() {
    SettingsStore::resetForTests();
    m_prompts.reset();
    m_dir.reset();
}

void SettingsFileTest::fileOfAnotherKind_isReportedAndNeverWritten_data() {
    QTest::addColumn<QString>("kind"); // "device" or "fifo"
    QTest::addColumn<bool>("linked");  // the settings name is a symbolic link to the node
    QTest::newRow("link to a device") << "device" << true;
    QTest::newRow("device") << "device" << false;
    QTest::newRow("fifo") << "fifo" << false;
    QTest::newRow("link to a fifo") << "fifo" << true;
}

void SettingsFileTest::fileOfAnotherKind_isReportedAndNeverWritten() {
    QFETCH(QString, kind);
    QFETCH(bool, linked);
    const QString node = linked ? m_dir->filePath(QStringLiteral("node")) : m_file;
    const QByteArray nodeName = QFile::encodeName(node);
    if (kind == u"device") {
        // A private copy of /dev/null, so that nothing outside the test can be harmed.
        if (::mknod(nodeName.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP(qPrintable(QStringLiteral("cannot make a device node here: %1").arg(systemText(errno))));
    } else {
        QCOMPARE(::mkfifo(nodeName.constData(), 0600), 0);
    }
    if (linked)
        QVERIFY(QFile::link(node, m_file));
    const mode_t type = lstatOf(node).st_mode & S_IFMT;

    // Loading must neither read a device endlessly nor wait for a writer on a fifo.
    std::atomic<bool> done = false;
    std::thread loader([&] {
        SettingsStore::currentUser().writeBlocked();
        done = true;
    });
    const bool loaded = QTest::qWaitFor([&] { return done.load(); }, 5000);
    if (!loaded) {
        // Let a blocked reader go so that the test can end.
        const int fd = ::open(nodeName.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    loader.join();
    QVERIFY2(loaded, "loading the settings waited on the file");

    QVERIFY(SettingsStore::currentUser().writeBlocked());
    const QStringList messages = m_prompts->texts(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(m_file), qPrintable(messages.first()));

    TRegistry reg;
    QVERIFY(!registryError([&] { reg.OpenKey(kKey, true); }).isEmpty());
    reg.CloseKey();
    SettingsStore::currentUser().sync();
    QCOMPARE(lstatOf(node).st_mode & S_IFMT, type);
    QCOMPARE(QFileInfo(m_file).isSymLink(), linked);
    QCOMPARE(QDir(QFileInfo(m_file).absolutePath()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 1);
    QCOMPARE(m_prompts->texts(QStringLiteral("message")).size(), 1);
}

void SettingsFileTest::danglingLink_createsItsTargetAndStaysALink() {
    const QString target = m_dir->filePath(QStringLiteral("dotfiles/taloma.reg")); // folder missing too
    QVERIFY(QFile::link(target, m_file));
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(kKey, true));
        reg.WriteInteger(QStringLiteral("ComPort"), 2);
        reg.CloseKey();
    }
    QVERIFY(QFileInfo(m_file).isSymLink());
    QVERIFY(readAll(target).contains("\"ComPort\"=dword:00000002"));
    QVERIFY(m_prompts->shown.isEmpty());
}

void SettingsFileTest::oversizedFile_isReportedKeptAndNeverWritten() {
    constexpr qint64 size = 16 * 1024 * 1024 + 1;
    {
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(kValidFile) == kValidFile.size());
        QVERIFY(f.resize(size)); // sparse: cheap to make
    }
    TRegistry reg;
    QVERIFY(!reg.KeyExists(kKey));
    QCOMPARE(m_prompts->texts(QStringLiteral("message")).size(), 1);
    QVERIFY(SettingsStore::currentUser().writeBlocked());
    QVERIFY(!registryError([&] { reg.OpenKey(kKey, true); }).isEmpty());
    SettingsStore::currentUser().sync();
    QCOMPARE(QFileInfo(m_file).size(), size);
    QCOMPARE(QDir(QFileInfo(m_file).absolutePath()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void SettingsFileTest::readOnlyFile_isReadButNeverReplaced() {
    QVERIFY(writeAll(m_file, kValidFile));
    QVERIFY(QFile::setPermissions(m_file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, false));
    QCOMPARE(reg.ReadInteger(QStringLiteral("ComBaudrate")), 3);
    const QStringList messages = m_prompts->texts(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(m_file), qPrintable(messages.first()));
    QVERIFY(SettingsStore::currentUser().writeBlocked());

    // Whatever is changed, the file stays as the user left it, and nothing more is said.
    registryError([&] { reg.WriteInteger(QStringLiteral("ComBaudrate"), 5); });
    registryError([&] { reg.CloseKey(); });
    SettingsStore::currentUser().sync();
    QCOMPARE(readAll(m_file), kValidFile);
    QCOMPARE(lstatOf(m_file).st_mode & 0777, mode_t(0444));
    QCOMPARE(m_prompts->texts(QStringLiteral("message")).size(), 1);
}

void SettingsFileTest::changes_reachTheFileWhenTheKeyCloses() {
    QVERIFY(writeAll(m_file, kValidFile));
    const ino_t before = lstatOf(m_file).st_ino;
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    for (int k = 1; k <= 40; ++k)
        reg.WriteInteger(QStringLiteral("Wert%1").arg(k), k);
    reg.WriteString(QStringLiteral("SourceCodePfad"), QStringLiteral("/quellen"));
    // Nothing is written while the key is open...
    QCOMPARE(readAll(m_file), kValidFile);
    QCOMPARE(lstatOf(m_file).st_ino, before);
    // ...and everything at once when it closes.
    reg.CloseKey();
    const QByteArray after = readAll(m_file);
    QVERIFY(after.contains("\"ComBaudrate\"=dword:00000003\r\n\"Wert1\"=dword:00000001\r\n"));
    QVERIFY(after.contains("\"Wert40\"=dword:00000028\r\n\"SourceCodePfad\"=\"/quellen\"\r\n"));

    // An accessor that goes away with its key open still leaves its changes in the file.
    {
        TRegistry other;
        QVERIFY(other.OpenKey(kKey, false));
        other.WriteInteger(QStringLiteral("ComPort"), 4);
    }
    QVERIFY(readAll(m_file).contains("\"ComPort\"=dword:00000004"));
    QVERIFY(m_prompts->shown.isEmpty());
}

void SettingsFileTest::failures_nameTheSystemsReason() {
    // The settings folder lies under a regular file: the key cannot be created.
    const QString plain = m_dir->filePath(QStringLiteral("plain"));
    QVERIFY(writeAll(plain, "x"));
    SettingsStore::resetForTests(plain + QStringLiteral("/config/HKEY_CURRENT_USER.reg"));
    QCOMPARE(registryError([] { TRegistry().OpenKey(kKey, true); }),
             QStringLiteral("Erzeugung von Schlüssel %1 misslungen: %2").arg(kKey, systemText(ENOTDIR)));

    // The disk fills up while the changes are written: the first changed value is named with the reason.
    SettingsStore::resetForTests(m_file);
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteString(QStringLiteral("SourceCodePfad"), QStringLiteral("/alt"));
    reg.CloseKey();
    const QByteArray before = readAll(m_file);
    QVERIFY(reg.OpenKey(kKey, false));
    reg.WriteInteger(QStringLiteral("Language"), 2);
    reg.WriteString(QStringLiteral("SourceCodePfad"), QString(5000, u'n'));

    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = rlim_t(before.size());
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = registryError([&] { reg.CloseKey(); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    QCOMPARE(error, QStringLiteral("Fehler beim Setzen der Daten für 'Language': %1").arg(systemText(EFBIG)));
    QCOMPARE(readAll(m_file), before);
    QCOMPARE(QFileInfo(m_file).absoluteDir().entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("HKEY_CURRENT_USER.reg")})); // no temporary file left behind
    QVERIFY(m_prompts->shown.isEmpty());
}

QTEST_GUILESS_MAIN(SettingsFileTest)

#include "tst_settingsfile.moc"
