#include "editor/ProgramFile.h"
#include "platform/Errors.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

class ProgramFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void loadAndSave_keepEveryByteAndLineEnds_data();
    void loadAndSave_keepEveryByteAndLineEnds();
    void failure_namesFileAndReasonAndChangesNothing_data();
    void failure_namesFileAndReasonAndChangesNothing();
    void failedWrite_keepsOldFileAndLeavesNoTemporary();
    void save_keepsPermissionsAndWritesThroughLinks();
    void load_onlyRegularFilesWithinTheLimit();
    void load_refusesOverlongLineNamingIt();
    void save_refusesReadOnlyFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList entries() const { return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden); }
    QByteArray bytes(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    void put(const QString& name, const QByteArray& data) const
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
    }
};

namespace {

// The error text that fn throws as EFileError.
template <typename Fn>
QString fileErrorOf(Fn fn)
{
    try {
        fn();
    } catch (const EFileError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

void ProgramFileTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void ProgramFileTest::loadAndSave_keepEveryByteAndLineEnds_data()
{
    // 0x00..0xFF in order: 0x0A follows 0x09, so it is a bare LF (a line break that is written back
    // as CR LF); 0x0D is followed by 0x0E, so it is a lone CR and stays a character.
    QByteArray all;
    QString allText;
    for (int b = 0; b < 256; ++b) {
        all += char(b);
        allText += QChar(b);
    }
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("savedAgain");
    QTest::newRow("every byte") << all << allText << QByteArray(all).replace(0x0A, 1, "\r\n");
    QTest::newRow("CR LF") << QByteArray("10 A=1\r\n20 B=2\r\n") << QString("10 A=1\n20 B=2\n")
                           << QByteArray("10 A=1\r\n20 B=2\r\n");
    QTest::newRow("LF") << QByteArray("10 A=1\n20 B=2") << QString("10 A=1\n20 B=2") << QByteArray("10 A=1\r\n20 B=2");
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QString("a\rb\r") << QByteArray("a\rb\r");
    QTest::newRow("CR before CR LF") << QByteArray("a\r\r\nb") << QString("a\r\nb") << QByteArray("a\r\r\nb");
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QString("a\n\rb") << QByteArray("a\r\n\rb");
    QTest::newRow("empty lines") << QByteArray("\r\n\n\r\n") << QString("\n\n\n") << QByteArray("\r\n\r\n\r\n");
    QTest::newRow("empty file") << QByteArray() << QString() << QByteArray();
}

void ProgramFileTest::loadAndSave_keepEveryByteAndLineEnds()
{
    QFETCH(QByteArray, onDisk);
    QFETCH(QString, text);
    QFETCH(QByteArray, savedAgain);
    put("p.txt", onDisk);
    QCOMPARE(loadProgramText(path("p.txt")), text);
    saveProgramText(path("p.txt"), text);
    QCOMPARE(bytes("p.txt"), savedAgain);
    QCOMPARE(loadProgramText(path("p.txt")), text);

    // Characters a single byte cannot hold become one '?' each, also one written as a surrogate pair.
    saveProgramText(path("u.txt"), text + QStringLiteral("ä€\U0001D11Ey"));
    QCOMPARE(bytes("u.txt"), savedAgain + "\xE4??y");
}

void ProgramFileTest::failure_namesFileAndReasonAndChangesNothing_data()
{
    QTest::addColumn<bool>("saving");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("err");
    QTest::newRow("load missing") << false << "missing.bas" << ENOENT;
    QTest::newRow("load folder") << false << "folder" << EISDIR;
    QTest::newRow("load below a file") << false << "plain.txt/x.bas" << ENOTDIR;
    QTest::newRow("save into missing folder") << true << "nofolder/x.bas" << ENOENT;
    QTest::newRow("save below a file") << true << "plain.txt/x.bas" << ENOTDIR;
    QTest::newRow("save over folder") << true << "folder" << EISDIR;
    QTest::newRow("save over pipe") << true << "fifo" << EINVAL;
    QTest::newRow("save through a cycle of links") << true << "cycle" << ELOOP;
}

void ProgramFileTest::failure_namesFileAndReasonAndChangesNothing()
{
    QFETCH(bool, saving);
    QFETCH(QString, name);
    QFETCH(int, err);
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    put("plain.txt", "x");
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QVERIFY(QFile::link(path("cycle"), path("cycle2")) && QFile::link(path("cycle2"), path("cycle")));
    const QStringList before = entries();

    const QString file = path(name);
    const QString reason = QString::fromLocal8Bit(std::strerror(err));
    if (saving) {
        QCOMPARE(fileErrorOf([&] { saveProgramText(file, "10 END\n"); }),
                 QString("Datei \"%1\" kann nicht erstellt werden. %2").arg(file, reason));
    } else {
        QCOMPARE(fileErrorOf([&] { loadProgramText(file); }),
                 QString("Datei %1 kann nicht geöffnet werden. %2").arg(file, reason));
    }
    QCOMPARE(entries(), before);
    QVERIFY(QFileInfo(path("folder")).isDir());
    QVERIFY(!QFileInfo(path("fifo")).isFile());
    QVERIFY(QFileInfo(path("cycle")).isSymLink() && QFileInfo(path("cycle2")).isSymLink());
}

void ProgramFileTest::failedWrite_keepsOldFileAndLeavesNoTemporary()
{
    put("old.bas", "10 PRINT \"OLD\"\r\n");
    const QStringList before = entries();

    // A file size limit makes the write itself fail part-way, after the temporary file exists.
    rlimit saved {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString message = fileErrorOf([&] { saveProgramText(path("old.bas"), QString(20000, QLatin1Char('A'))); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(message, QString("Datei \"%1\" kann nicht erstellt werden. %2")
                          .arg(path("old.bas"), QString::fromLocal8Bit(std::strerror(EFBIG))));
    QCOMPARE(bytes("old.bas"), QByteArray("10 PRINT \"OLD\"\r\n"));
    QCOMPARE(entries(), before);
}

void ProgramFileTest::save_keepsPermissionsAndWritesThroughLinks()
{
    put("prog.bas", "old");
    QCOMPARE(::chmod(QFile::encodeName(path("prog.bas")).constData(), 0640), 0);
    QVERIFY(QFile::link(path("prog.bas"), path("link.bas")));

    saveProgramText(path("link.bas"), "10 END");
    QVERIFY(QFileInfo(path("link.bas")).isSymLink());
    QCOMPARE(bytes("prog.bas"), QByteArray("10 END"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path("prog.bas")).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0640));
    QCOMPARE(entries().size(), 4); // ".", "..", the file and the link
}

// A terminal, a pipe, a device or an endless file is not a program: refused at once, never read
// until the memory runs out, never waited for.
void ProgramFileTest::load_onlyRegularFilesWithinTheLimit()
{
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    const QString notRegular = "It is not a regular file (a device, a terminal or a pipe).";
    for (const QString& file : {path("fifo"), QStringLiteral("/dev/zero"), QStringLiteral("/dev/null")})
        QCOMPARE(fileErrorOf([&] { loadProgramText(file); }),
                 QString("Datei %1 kann nicht geöffnet werden. %2").arg(file, notRegular));

    // A sparse file just over the limit is refused by its size, without reading it.
    QFile big(path("big.bas"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(ProgramFileMaxBytes + 1));
    big.close();
    QCOMPARE(fileErrorOf([&] { loadProgramText(path("big.bas")); }),
             QString("Datei %1 kann nicht geöffnet werden. It is larger than 64 MB.").arg(path("big.bas")));
    put("small.bas", QByteArray(3 * 1024 * 1024, 'x'));
    QCOMPARE(fileErrorOf([&] { readFileBytes(path("small.bas"), 2 * 1024 * 1024); }),
             QString("Datei %1 kann nicht geöffnet werden. It is larger than 2 MB.").arg(path("small.bas")));
    QCOMPARE(readFileBytes(path("small.bas")).size(), 3 * 1024 * 1024);
}

void ProgramFileTest::load_refusesOverlongLineNamingIt()
{
    const QByteArray longest(ProgramLineMaxChars, 'A');
    put("ok.bas", "10 REM\r\n" + longest + "\r\n");
    QCOMPARE(loadProgramText(path("ok.bas")).size(), 7 + ProgramLineMaxChars + 1);
    put("long.bas", "10 REM\r\n20 REM\r\n" + longest + "B\r\n30 END\r\n");
    const QByteArray before = bytes("long.bas");
    QCOMPARE(fileErrorOf([&] { loadProgramText(path("long.bas")); }),
             QString("Datei %1 kann nicht geöffnet werden. Line 3 has 65537 characters; a program line may have at "
                     "most 65536.")
                 .arg(path("long.bas")));
    QCOMPARE(bytes("long.bas"), before);
}

// The rename that replaces a file needs only the folder's permission, so the file's own must be asked:
// a file nobody may write stays as it is, also for a user who could write anything.
void ProgramFileTest::save_refusesReadOnlyFile()
{
    put("ro.bas", "10 KEEP\r\n");
    QCOMPARE(::chmod(QFile::encodeName(path("ro.bas")).constData(), 0444), 0);
    QCOMPARE(fileErrorOf([&] { saveProgramText(path("ro.bas"), "10 LOST"); }),
             QString("Datei \"%1\" kann nicht erstellt werden. %2")
                 .arg(path("ro.bas"), QString::fromLocal8Bit(std::strerror(EACCES))));
    QCOMPARE(bytes("ro.bas"), QByteArray("10 KEEP\r\n"));
    QCOMPARE(entries().size(), 3);
    // Writable again: saved as usual.
    QCOMPARE(::chmod(QFile::encodeName(path("ro.bas")).constData(), 0644), 0);
    saveProgramText(path("ro.bas"), "10 NEW");
    QCOMPARE(bytes("ro.bas"), QByteArray("10 NEW"));
}

QTEST_GUILESS_MAIN(ProgramFileTest)
#include "tst_programfile.moc"
