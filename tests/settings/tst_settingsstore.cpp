#include "settings/SettingsStore.h"
#include "platform/Errors.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/resource.h>

namespace {

const QString kKey = QStringLiteral("\\Software\\Orvik\\Taloma-Terminal\\2.0");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Runs `action` and returns the text of the ERegistryError it throws (empty when it throws none).
template <typename F> QString registryError(F action)
{
    try {
        action();
    } catch (const ERegistryError& e) {
        return e.message();
    }
    return {};
}

using Action = std::function<void(TRegistry&)>;

QString getFailed(const QString& name) { return QStringLiteral("Fehler beim Holen der Daten für '%1'").arg(name); }
QString setFailed(const QString& name) { return QStringLiteral("Fehler beim Setzen der Daten für '%1'").arg(name); }

} // namespace

Q_DECLARE_METATYPE(Action)

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void roundTrip_keepsEveryValueKind_data();
    void roundTrip_keepsEveryValueKind();
    void windowsUtf16Export_isReadAndUnknownTypesSurviveRewrite();
    void loading_acceptsExportsAndRejectsGarbage_data();
    void loading_acceptsExportsAndRejectsGarbage();
    void damagedFile_reportedOnceKeptAsideAndNeverOverwritten();
    void unreadablePath_isReportedAndNeverReplaced();
    void failures_raiseTheProgramsTexts_data();
    void failures_raiseTheProgramsTexts();
    void unwritableFolder_failsAndLeavesHiveUnchanged();
    void failedWrite_keepsOldFileIntact();
    void names_ignoreCaseAndKeepTheirSpelling();
    void keyPaths_relativeToOpenKeyOrFromRoot();
    void localMachine_isKeptInMemoryOnly();
    void linkedFile_isWrittenWhereItLies();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    QString m_file;
};

void SettingsStoreTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_file = m_dir->filePath(QStringLiteral("config/Taloma-Terminal/HKEY_CURRENT_USER.reg")); // folder missing
    SettingsStore::resetForTests(m_file);
}

void SettingsStoreTest::cleanup()
{
    SettingsStore::resetForTests();
    m_prompts.reset();
    m_dir.reset();
}

void SettingsStoreTest::roundTrip_keepsEveryValueKind_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("data"); // int: WriteInteger, QString: WriteString
    QTest::addColumn<QByteArray>("line"); // how the value stands in the file

    QTest::newRow("dword 0") << "Zero" << QVariant(0) << QByteArray("\"Zero\"=dword:00000000\r\n");
    QTest::newRow("dword 1") << "One" << QVariant(1) << QByteArray("\"One\"=dword:00000001\r\n");
    QTest::newRow("dword 80000008") << "EditorColor" << QVariant(-2147483640)
                                    << QByteArray("\"EditorColor\"=dword:80000008\r\n");
    QTest::newRow("dword -1") << "All" << QVariant(-1) << QByteArray("\"All\"=dword:ffffffff\r\n");
    QTest::newRow("quotes") << "Q" << QVariant(QStringLiteral("Er sagte \"Hallo\""))
                            << QByteArray("\"Q\"=\"Er sagte \\\"Hallo\\\"\"\r\n");
    QTest::newRow("trailing backslash") << "P" << QVariant(QStringLiteral("C:\\Basic\\"))
                                        << QByteArray("\"P\"=\"C:\\\\Basic\\\\\"\r\n");
    QTest::newRow("umlauts") << "Pfad" << QVariant(QStringLiteral("/home/jörg/Überläufe ß"))
                             << QStringLiteral("\"Pfad\"=\"/home/jörg/Überläufe ß\"\r\n").toUtf8();
    QTest::newRow("empty string") << "Leer" << QVariant(QString()) << QByteArray("\"Leer\"=\"\"\r\n");
    QTest::newRow("escaped name") << "a\"b\\c" << QVariant(QStringLiteral("v"))
                                  << QByteArray("\"a\\\"b\\\\c\"=\"v\"\r\n");
    QTest::newRow("unnamed value") << "" << QVariant(QStringLiteral("x")) << QByteArray("@=\"x\"\r\n");
    QTest::newRow("line break in string") << "Zwei" << QVariant(QStringLiteral("eins\r\nzwei\t3"))
                                          << QByteArray("\"Zwei\"=hex(1):65,00,69,00,6e,00,73,00,0d,00,0a,00,");
}

void SettingsStoreTest::roundTrip_keepsEveryValueKind()
{
    QFETCH(QString, name);
    QFETCH(QVariant, data);
    QFETCH(QByteArray, line);
    const bool isInt = data.typeId() == QMetaType::Int;
    {
        TRegistry reg;
        QVERIFY(reg.OpenKey(kKey, true));
        reg.WriteInteger(QStringLiteral("Before"), 7);
        if (isInt)
            reg.WriteInteger(name, data.toInt());
        else
            reg.WriteString(name, data.toString());
        reg.WriteString(QStringLiteral("After"), QStringLiteral("z"));
    }
    // Written when the accessor goes away with its key open.
    const QByteArray file = readAll(m_file);
    QVERIFY2(file.startsWith("Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software]\r\n\r\n"),
             file.constData());
    QVERIFY2(file.contains("[HKEY_CURRENT_USER\\Software\\Orvik\\Taloma-Terminal\\2.0]\r\n\"Before\"=dword:00000007\r\n"
                           + line),
             file.constData());

    SettingsStore::resetForTests(m_file);
    TRegistry reg;
    QVERIFY(reg.OpenKeyReadOnly(kKey));
    if (isInt) {
        QCOMPARE(reg.ReadInteger(name), data.toInt());
        QCOMPARE(reg.ReadBool(name), data.toInt() != 0);
    } else {
        QCOMPARE(reg.ReadString(name), data.toString());
    }
    QCOMPARE(reg.GetValueNames(), QStringList({QStringLiteral("Before"), name, QStringLiteral("After")}));
    QCOMPARE(reg.ReadString(QStringLiteral("After")), QStringLiteral("z"));
    QVERIFY(m_prompts->shown.isEmpty());
}

void SettingsStoreTest::windowsUtf16Export_isReadAndUnknownTypesSurviveRewrite()
{
    const QString text = QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "; exported by hand\r\n"
        "[HKEY_CURRENT_USER\\Software\\Orvik\\Taloma-Terminal\\2.0]\r\n"
        "\"Language\"=dword:00000002\r\n"
        "\"SourceCodePfad\"=\"C:\\\\Users\\\\Jörg\\\\BASIC\"\r\n"
        "\"Liste\"=hex(7):41,00,00,00,42,00,00,00,00,\\\r\n"
        "  00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
        "\"Keep\"=dword:00000001\r\n\r\n");
    QByteArray bytes("\xFF\xFE");
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    writeAll(m_file, bytes);

    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, false));
    QCOMPARE(reg.ReadInteger(QStringLiteral("Language")), 2);
    QCOMPARE(reg.ReadString(QStringLiteral("SourceCodePfad")), QStringLiteral("C:\\Users\\Jörg\\BASIC"));
    QVERIFY(reg.ValueExists(QStringLiteral("Liste")));
    QCOMPARE(registryError([&] { reg.ReadString(QStringLiteral("Liste")); }), getFailed(QStringLiteral("Liste")));

    reg.WriteInteger(QStringLiteral("ComPort"), 3);
    reg.CloseKey();
    const QByteArray rewritten = readAll(m_file);
    QVERIFY2(rewritten.startsWith("Windows Registry Editor Version 5.00\r\n"), rewritten.constData()); // now UTF-8
    QVERIFY(rewritten.contains("\"Liste\"=hex(7):41,00,00,00,42,00,00,00,00,00\r\n"));
    QVERIFY(rewritten.contains("[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"Keep\"=dword:00000001\r\n"));
    QVERIFY(rewritten.contains(QStringLiteral("Jörg").toUtf8()));
    QVERIFY(m_prompts->shown.isEmpty());
}

void SettingsStoreTest::loading_acceptsExportsAndRejectsGarbage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<QVariant>("s"); // value "S" of key T when accepted; null: missing

    const QByteArray head("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n");
    QTest::newRow("LF, comments, blank lines")
        << QByteArray("\n\nWindows Registry Editor Version 5.00\n;c\n\n[HKEY_CURRENT_USER\\T]\n  \"S\" = \"x\"\n")
        << false << QVariant(QStringLiteral("x"));
    QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + head + "\"S\"=\"\xC3\xA4\"\r\n" << false
                                           << QVariant(QStringLiteral("ä"));
    QTest::newRow("REGEDIT4 in Latin-1")
        << QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"S\"=\"M\xFCller\"\r\n")
        << false << QVariant(QStringLiteral("Müller"));
    QTest::newRow("string in hex form") << head + "\"S\"=hex(1):41,00,0a,\\\r\n  00,42,00,00,00\r\n" << false
                                        << QVariant(QStringLiteral("A\nB"));
    QTest::newRow("later line deletes value") << head + "\"S\"=\"a\"\r\n\"S\"=-\r\n" << false << QVariant();
    QTest::newRow("deleted key") << head + "\"S\"=\"a\"\r\n[-HKEY_CURRENT_USER\\T]\r\n" << false << QVariant();
    QTest::newRow("empty file") << QByteArray("\r\n") << false << QVariant();

    QTest::newRow("not an export") << QByteArray("[Settings]\nLanguage=1\n") << true << QVariant();
    QTest::newRow("garbage line") << head + "\"S\"=\"x\"\r\nLanguage=1\r\n" << true << QVariant();
    QTest::newRow("value before key")
        << QByteArray("Windows Registry Editor Version 5.00\r\n\"S\"=\"x\"\r\n") << true << QVariant();
    QTest::newRow("unterminated string") << head + "\"S\"=\"x\r\n" << true << QVariant();
    QTest::newRow("text after string") << head + "\"S\"=\"x\" y\r\n" << true << QVariant();
    QTest::newRow("nine-digit dword") << head + "\"N\"=dword:000000001\r\n" << true << QVariant();
    QTest::newRow("dword not hex") << head + "\"N\"=dword:0000000g\r\n" << true << QVariant();
    QTest::newRow("unknown type") << head + "\"N\"=qword:1\r\n" << true << QVariant();
    QTest::newRow("unknown root") << QByteArray("Windows Registry Editor Version 5.00\r\n[HKEY_NOWHERE\\T]\r\n")
                                  << true << QVariant();
    QTest::newRow("unclosed section") << QByteArray("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\T\r\n")
                                      << true << QVariant();
    QTest::newRow("continuation at end") << head + "\"B\"=hex:01,\\" << true << QVariant();
    QTest::newRow("binary zeros") << head + QByteArray("\"S\"=\"x\0y\"\r\n", 11) << true << QVariant();
    QTest::newRow("odd UTF-16") << QByteArray("\xFF\xFEW\0i\0n\0", 7) << true << QVariant();
    // Half a surrogate pair cannot be written back: the name would change at the next save.
    QString halfPair = QString::fromLatin1(head) + QStringLiteral("\"S\"=\"x") + QChar(0xD800) + QStringLiteral("\"\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(halfPair.utf16()), halfPair.size() * 2);
    QTest::newRow("UTF-16 with half a surrogate pair") << utf16 << true << QVariant();
}

void SettingsStoreTest::loading_acceptsExportsAndRejectsGarbage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, damaged);
    QFETCH(QVariant, s);
    writeAll(m_file, bytes);

    TRegistry reg;
    const bool opened = reg.OpenKey(QStringLiteral("\\T"), false);
    QCOMPARE(m_prompts->texts(QStringLiteral("message")).size(), damaged ? 1 : 0);
    QCOMPARE(QFile::exists(m_file), !damaged);
    if (damaged) {
        QVERIFY(!opened);
        const QStringList aside = QDir(QFileInfo(m_file).absolutePath()).entryList(QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readAll(QFileInfo(m_file).absolutePath() + u'/' + aside.first()), bytes);
        return;
    }
    QCOMPARE(reg.ValueExists(QStringLiteral("S")), !s.isNull());
    QCOMPARE(reg.ReadString(QStringLiteral("S")), s.toString());
}

void SettingsStoreTest::damagedFile_reportedOnceKeptAsideAndNeverOverwritten()
{
    const QByteArray junk("Language=2\r\nComPort=3\r\n");
    writeAll(m_file, junk);

    TRegistry reg;
    QVERIFY(!reg.KeyExists(kKey)); // starts empty, so the built-in defaults apply
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteInteger(QStringLiteral("Language"), 1);
    QCOMPARE(reg.ReadInteger(QStringLiteral("Language")), 1);
    reg.CloseKey();

    const QStringList messages = m_prompts->texts(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    const QDir folder = QFileInfo(m_file).absoluteDir();
    const QStringList aside = folder.entryList({QStringLiteral("HKEY_CURRENT_USER.reg.damaged-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QVERIFY2(messages.first().contains(m_file) && messages.first().contains(folder.filePath(aside.first())),
             qPrintable(messages.first()));
    QCOMPARE(readAll(folder.filePath(aside.first())), junk);
    QVERIFY(readAll(m_file).contains("\"Language\"=dword:00000001"));

    // Damaged again at once: a second name beside the first, both kept.
    writeAll(m_file, junk + "more");
    SettingsStore::resetForTests(m_file);
    QVERIFY(!TRegistry().KeyExists(kKey));
    const QStringList both = folder.entryList({QStringLiteral("HKEY_CURRENT_USER.reg.damaged-*")}, QDir::Files);
    QCOMPARE(both.size(), 2);
    QCOMPARE(readAll(folder.filePath(aside.first())), junk);
    QCOMPARE(m_prompts->texts(QStringLiteral("message")).size(), 2);
}

void SettingsStoreTest::unreadablePath_isReportedAndNeverReplaced()
{
    QVERIFY(QDir().mkpath(m_file + QStringLiteral("/inside")));
    TRegistry reg;
    QCOMPARE(registryError([&] { reg.OpenKey(kKey, true); }),
             QStringLiteral("Erzeugung von Schlüssel %1 misslungen").arg(kKey));
    QCOMPARE(m_prompts->texts(QStringLiteral("message")).size(), 1);
    QVERIFY(m_prompts->texts(QStringLiteral("message")).first().contains(m_file));
    QVERIFY(QFileInfo(m_file + QStringLiteral("/inside")).isDir());
}

void SettingsStoreTest::failures_raiseTheProgramsTexts_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("expected");
    const QString longKey = QStringLiteral("\\Software\\") + QString(256, u'k');
    const auto created = [](const QString& key) {
        return QStringLiteral("Erzeugung von Schlüssel %1 misslungen").arg(key);
    };

    QTest::newRow("missing integer") << Action([](TRegistry& r) { r.ReadInteger("Fehlt"); }) << getFailed("Fehlt");
    QTest::newRow("missing boolean") << Action([](TRegistry& r) { r.ReadBool("Fehlt"); }) << getFailed("Fehlt");
    QTest::newRow("string as integer") << Action([](TRegistry& r) { r.ReadInteger("Text"); }) << getFailed("Text");
    QTest::newRow("string as boolean") << Action([](TRegistry& r) { r.ReadBool("Text"); }) << getFailed("Text");
    QTest::newRow("integer as string") << Action([](TRegistry& r) { r.ReadString("Zahl"); }) << getFailed("Zahl");
    QTest::newRow("write to read-only key") << Action([](TRegistry& r) {
        r.OpenKeyReadOnly(kKey);
        r.WriteInteger("Zahl", 9);
    }) << setFailed("Zahl");
    QTest::newRow("write with no key open") << Action([](TRegistry& r) {
        r.CloseKey();
        r.WriteString("Text", "neu");
    }) << setFailed("Text");
    QTest::newRow("name with line break") << Action([](TRegistry& r) { r.WriteString("A\nB", "neu"); })
                                          << setFailed("A\nB");
    QTest::newRow("key name too long") << Action([=](TRegistry& r) { r.OpenKey(longKey, true); }) << created(longKey);
    QTest::newRow("key below read-only key") << Action([](TRegistry& r) {
        r.OpenKeyReadOnly(kKey);
        r.CreateKey("Neu");
    }) << created("Neu");
}

void SettingsStoreTest::failures_raiseTheProgramsTexts()
{
    QFETCH(Action, action);
    QFETCH(QString, expected);
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteString(QStringLiteral("Text"), QStringLiteral("abc"));
    reg.WriteInteger(QStringLiteral("Zahl"), 5);
    reg.CloseKey();
    QVERIFY(reg.OpenKey(kKey, false));
    const QByteArray fileBefore = readAll(m_file);

    QCOMPARE(registryError([&] { action(reg); }), expected);
    SettingsStore::currentUser().sync();
    QCOMPARE(readAll(m_file), fileBefore); // nothing was changed on the way
    QVERIFY(reg.OpenKey(kKey, false));
    QCOMPARE(reg.ReadInteger(QStringLiteral("Zahl")), 5);
    QCOMPARE(reg.GetValueNames(), QStringList({QStringLiteral("Text"), QStringLiteral("Zahl")}));
}

void SettingsStoreTest::unwritableFolder_failsAndLeavesHiveUnchanged()
{
    // The configuration folder lies under a regular file: the key cannot be created.
    const QString plain = m_dir->filePath(QStringLiteral("plain"));
    writeAll(plain, "x");
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", (plain + QStringLiteral("/config")).toLocal8Bit());
    SettingsStore::resetForTests();
    const QString createError = registryError([] { TRegistry().OpenKey(kKey, true); });
    qputenv("XDG_CONFIG_HOME", oldXdg);
    QCOMPARE(createError, QStringLiteral("Erzeugung von Schlüssel %1 misslungen: %2")
                              .arg(kKey, QString::fromLocal8Bit(std::strerror(ENOTDIR))));
    QVERIFY(!TRegistry().KeyExists(kKey));

    // The folder of an existing file is replaced by a regular file: the values cannot be written. The
    // close names the first of them.
    SettingsStore::resetForTests(m_file);
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteInteger(QStringLiteral("Language"), 1);
    reg.CloseKey();
    QVERIFY(reg.OpenKey(kKey, false));
    const QString folder = QFileInfo(m_file).absolutePath();
    QVERIFY(QDir(folder).removeRecursively());
    writeAll(folder, "in the way");
    reg.WriteInteger(QStringLiteral("Language"), 2);
    reg.WriteString(QStringLiteral("Neu"), QStringLiteral("x"));
    QCOMPARE(registryError([&] { reg.CloseKey(); }),
             setFailed(QStringLiteral("Language")) + ": " + QString::fromLocal8Bit(std::strerror(ENOTDIR)));
    QCOMPARE(readAll(folder), QByteArray("in the way"));
}

void SettingsStoreTest::failedWrite_keepsOldFileIntact()
{
    TRegistry reg;
    QVERIFY(reg.OpenKey(kKey, true));
    reg.WriteString(QStringLiteral("SourceCodePfad"), QStringLiteral("/alt"));
    reg.CloseKey();
    QVERIFY(reg.OpenKey(kKey, false));
    const QByteArray before = readAll(m_file);

    // Let the file size limit stop the new file half-way, as a full disk would.
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = rlim_t(before.size());
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    reg.WriteString(QStringLiteral("SourceCodePfad"), QString(5000, u'n'));
    const QString error = registryError([&] { reg.CloseKey(); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    QCOMPARE(error, setFailed(QStringLiteral("SourceCodePfad")) + ": " + QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(readAll(m_file), before);
    QCOMPARE(QFileInfo(m_file).absoluteDir().entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("HKEY_CURRENT_USER.reg")})); // no temporary file left behind
    // The change is not lost: the next close that can write brings it to the file.
    QVERIFY(reg.OpenKey(kKey, false));
    reg.WriteInteger(QStringLiteral("ComPort"), 2);
    reg.CloseKey();
    QVERIFY(readAll(m_file).contains("nnnn"));
}

void SettingsStoreTest::names_ignoreCaseAndKeepTheirSpelling()
{
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Übersicht"), true));
    reg.WriteInteger(QStringLiteral("Language"), 1);
    reg.WriteInteger(QStringLiteral("LANGUAGE"), 2);
    reg.WriteString(QStringLiteral("Dateipfad1"), QStringLiteral("a"));
    reg.WriteString(QStringLiteral("DATEIPFAD1"), QStringLiteral("b"));
    QVERIFY(reg.OpenKey(QStringLiteral("\\SOFTWARE\\ÜBERSICHT"), true));
    QVERIFY(reg.CreateKey(QStringLiteral("\\software\\übersicht")));
    reg.CloseKey();

    SettingsStore::resetForTests(m_file);
    QVERIFY(reg.OpenKey(QStringLiteral("\\software\\übersicht"), false));
    QCOMPARE(reg.GetValueNames(), QStringList({QStringLiteral("Language"), QStringLiteral("Dateipfad1")}));
    QCOMPARE(reg.ReadInteger(QStringLiteral("language")), 2);
    QCOMPARE(reg.ReadString(QStringLiteral("dateiPfad1")), QStringLiteral("b"));
    QCOMPARE(readAll(m_file).count("[HKEY_CURRENT_USER"), 2);
    QVERIFY(readAll(m_file).contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Übersicht]").toUtf8()));
}

void SettingsStoreTest::keyPaths_relativeToOpenKeyOrFromRoot()
{
    TRegistry reg;
    QVERIFY(reg.KeyExists(QString())); // the root
    QVERIFY(!reg.OpenKey(QStringLiteral("Software"), false));
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\"), true));
    QVERIFY(reg.OpenKey(QStringLiteral("Orvik\\Taloma"), true));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software\\Orvik\\Taloma"));
    QVERIFY(reg.KeyExists(QStringLiteral("\\Software\\Orvik")));
    QVERIFY(!reg.KeyExists(QStringLiteral("Orvik")));
    QVERIFY(reg.CreateKey(QStringLiteral("Leer")));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software\\Orvik\\Taloma"));
    QVERIFY(!reg.OpenKey(QStringLiteral("Fehlt"), false));
    QCOMPARE(reg.CurrentPath(), QStringLiteral("Software\\Orvik\\Taloma"));
    reg.CloseKey();
    QCOMPARE(reg.CurrentPath(), QString());

    // An empty key survives in the file.
    SettingsStore::resetForTests(m_file);
    QVERIFY(TRegistry().KeyExists(QStringLiteral("Software\\Orvik\\Taloma\\Leer")));
}

void SettingsStoreTest::localMachine_isKeptInMemoryOnly()
{
    TRegistry ports(Hive::LocalMachine);
    QVERIFY(ports.OpenKey(QStringLiteral("\\HARDWARE\\DEVICEMAP\\SERIALCOMM"), true));
    ports.WriteString(QStringLiteral("\\Device\\ttyUSB0"), QStringLiteral("COM1"));

    TRegistry reader(Hive::LocalMachine);
    QVERIFY(reader.OpenKeyReadOnly(QStringLiteral("hardware\\devicemap\\serialcomm")));
    QCOMPARE(reader.GetValueNames(), QStringList({QStringLiteral("\\Device\\ttyUSB0")}));
    QCOMPARE(reader.ReadString(QStringLiteral("\\device\\TTYUSB0")), QStringLiteral("COM1"));
    QVERIFY(!TRegistry().KeyExists(QStringLiteral("\\HARDWARE")));
    QVERIFY(!QFileInfo::exists(QFileInfo(m_file).absolutePath()));
}

QTEST_GUILESS_MAIN(SettingsStoreTest)

void SettingsStoreTest::linkedFile_isWrittenWhereItLies()
{
    // Settings kept in another folder (a dotfiles checkout) behind a symbolic link.
    const QString real = m_dir->filePath(QStringLiteral("dotfiles/settings.reg"));
    QVERIFY(QDir().mkpath(QFileInfo(real).absolutePath()));
    QVERIFY(QDir().mkpath(QFileInfo(m_file).absolutePath()));
    {
        QFile f(real);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Windows Registry Editor Version 5.00\r\n");
    }
    QVERIFY(QFile::link(real, m_file));
    SettingsStore::resetForTests(m_file);
    TRegistry reg;
    QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Test"), true));
    reg.WriteInteger(QStringLiteral("Value"), 7);
    reg.CloseKey();
    QVERIFY(QFileInfo(m_file).isSymLink());
    QFile f(real);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("\"Value\"=dword:00000007"));
}

#include "tst_settingsstore.moc"
