// The main window's settings against awkward settings files: values of the wrong type, a file the user
// made read-only, geometry from another screen, and a close whose write fails.

#include "settings/GlobVar_Unit.h"
#include "app/TfrmTerminal.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

using namespace GlobVar;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class WindowSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wrongType_keepsTheFileAsideInTheOneMessage();
    void wrongTypedRecentFile_isReportedOnlyOnce();
    void readOnlyFile_saidOnceAtStartAndLeftAlone();
    void geometry_isClampedToTheScreen_data();
    void geometry_isClampedToTheScreen();
    void close_writesOnceAndReportsAFailedWrite();

private:
    // A window started and closed once, so that the file holds a complete set of values, then `change`
    // applied to the key and the store started afresh from the file.
    void prepare(const std::function<void(TRegistry&)>& change);
    void createWindow() { m_window = std::make_unique<TfrmTerminal>(); }
    QStringList keptAside() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TfrmTerminal> m_window;
    QString m_file;
};

void WindowSettingsTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    m_file = m_dir->filePath("config/HKEY_CURRENT_USER.reg");
    SettingsStore::resetForTests(m_file);
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void WindowSettingsTest::cleanup() {
    m_window.reset();
    SettingsStore::resetForTests();
    m_prompts.reset();
    m_dir.reset();
}

void WindowSettingsTest::prepare(const std::function<void(TRegistry&)>& change) {
    createWindow();
    m_window->show();
    QVERIFY(m_window->close());
    m_window.reset();
    ResetGlobals();
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(SettingsKey, false));
        change(reg);
        reg.CloseKey();
    }
    SettingsStore::resetForTests(m_file);
    m_prompts->clear();
}

QStringList WindowSettingsTest::keptAside() const {
    return QDir(QFileInfo(m_file).absolutePath()).entryList({"HKEY_CURRENT_USER.reg.*"}, QDir::Files);
}

void WindowSettingsTest::wrongType_keepsTheFileAsideInTheOneMessage() {
    prepare([](TRegistry& reg) {
        reg.WriteString("Language", "2"); // text where a number belongs, read first of all
        reg.WriteInteger("ComBaudrate", 3);
        reg.WriteString("SourceCodePfad", "/home/anna/basic");
    });
    const QByteArray original = readAll(m_file);
    createWindow();
    const QStringList messages = m_prompts->texts("message");
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith("Fehler beim Holen der Daten für 'Language'"), qPrintable(messages.first()));
    const QStringList aside = keptAside();
    QCOMPARE(aside.size(), 1);
    QVERIFY2(messages.first().contains(QFileInfo(m_file).absoluteDir().filePath(aside.first())),
             qPrintable(messages.first()));
    QCOMPARE(ComBaudrate, 7); // read after the fault: built-in value

    // The close writes the built-in values; the user's own are still in the copy.
    m_window->show();
    QVERIFY(m_window->close());
    QVERIFY(readAll(m_file).contains("\"ComBaudrate\"=dword:00000007"));
    QCOMPARE(readAll(QFileInfo(m_file).absoluteDir().filePath(aside.first())), original);
    QCOMPARE(m_prompts->texts("message").size(), 1);
}

void WindowSettingsTest::wrongTypedRecentFile_isReportedOnlyOnce() {
    prepare([](TRegistry& reg) { reg.WriteInteger("Dateipfad1", 5); });
    createWindow();
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(m_prompts->texts("message").first().startsWith("Fehler beim Holen der Daten für 'Dateipfad1'"));
    m_window->show();
    QVERIFY(m_window->close());
    m_window.reset();

    // The next start finds nothing to complain about.
    ResetGlobals();
    SettingsStore::resetForTests(m_file);
    createWindow();
    QVERIFY(m_prompts->texts("message").size() == 1);
    QCOMPARE(keptAside().size(), 1);
}

void WindowSettingsTest::readOnlyFile_saidOnceAtStartAndLeftAlone() {
    prepare([](TRegistry& reg) { reg.WriteInteger("ComBaudrate", 3); });
    QVERIFY(QFile::setPermissions(m_file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QByteArray original = readAll(m_file);
    createWindow();
    QCOMPARE(ComBaudrate, 3);
    QCOMPARE(m_prompts->texts("message").size(), 1);
    QVERIFY(m_prompts->texts("message").first().contains(m_file));
    ComBaudrate = 5;
    m_window->show();
    QVERIFY(m_window->close());
    QCOMPARE(readAll(m_file), original);
    QCOMPARE(QFileInfo(m_file).permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther), 0);
    QCOMPARE(m_prompts->shown.size(), 1);
}

void WindowSettingsTest::geometry_isClampedToTheScreen_data() {
    QTest::addColumn<int>("stored");
    QTest::newRow("largest") << INT_MAX;
    QTest::newRow("smallest") << INT_MIN;
    QTest::newRow("far off") << 100000;
}

void WindowSettingsTest::geometry_isClampedToTheScreen() {
    QFETCH(int, stored);
    prepare([stored](TRegistry& reg) {
        for (const char* name : {"MainWindowTop", "MainWindowLeft", "MainWindowHeight", "MainWindowWidth"})
            reg.WriteInteger(name, stored);
    });
    createWindow();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect shown(m_window->pos(), m_window->size());
    QVERIFY2(screen.contains(shown), qPrintable(QString("%1,%2 %3x%4 outside %5,%6 %7x%8")
                                                    .arg(shown.x())
                                                    .arg(shown.y())
                                                    .arg(shown.width())
                                                    .arg(shown.height())
                                                    .arg(screen.x())
                                                    .arg(screen.y())
                                                    .arg(screen.width())
                                                    .arg(screen.height())));
    QVERIFY(m_prompts->shown.isEmpty());
}

void WindowSettingsTest::close_writesOnceAndReportsAFailedWrite() {
    prepare([](TRegistry&) {});
    createWindow();
    ComBaudrate = 4;
    m_window->show();
    QVERIFY(m_window->close());
    QVERIFY(readAll(m_file).contains("\"ComBaudrate\"=dword:00000004"));
    m_window.reset();

    // The settings folder is taken away while the program runs: the close says so, with the reason.
    ResetGlobals();
    SettingsStore::resetForTests(m_file);
    createWindow();
    ComBaudrate = 6;
    const QString folder = QFileInfo(m_file).absolutePath();
    QVERIFY(QDir(folder).removeRecursively());
    QFile inTheWay(folder);
    QVERIFY(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();
    m_window->show();
    QVERIFY(m_window->close());
    const QStringList messages = m_prompts->texts("message");
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith("Fehler beim Setzen der Daten für '") &&
                 messages.first().endsWith(QString("': ") + QString::fromLocal8Bit(std::strerror(ENOTDIR))),
             qPrintable(messages.first()));
    QCOMPARE(readAll(folder), QByteArray());
}

QTEST_MAIN(WindowSettingsTest)

#include "tst_windowsettings.moc"
