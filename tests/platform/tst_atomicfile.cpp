#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using AtomicFile::Failure;

class AtomicFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void failedWrite_leavesOldFileOrNoneAndNoTemporary_data();
    void failedWrite_leavesOldFileOrNoneAndNoTemporary();
    void links_areFollowedAndStayLinks();
    void linkCycle_isRefusedAndChangesNothing();
    void refusals_data();
    void refusals();
    void permissions_ofNewAndReplacedFiles();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList entries(const QString& folder = {}) const {
        return QDir(path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QByteArray bytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    void put(const QString& name, const QByteArray& data) const {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
    }
    mode_t modeOf(const QString& name) const {
        struct stat st {};
        return ::stat(QFile::encodeName(path(name)).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(07777);
    }
};

namespace {

// "kind/error" of a replace() result, or "done", for readable comparisons.
QString outcome(const std::optional<Failure>& failure) {
    if (!failure)
        return QStringLiteral("done");
    static const char* const kinds[] = {"folder", "not regular", "read-only", "system"};
    return QStringLiteral("%1/%2").arg(QLatin1String(kinds[int(failure->kind)])).arg(failure->error);
}

QString failed(const char* kind, int error) {
    return QStringLiteral("%1/%2").arg(QLatin1String(kind)).arg(error);
}

} // namespace

void AtomicFileTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void AtomicFileTest::failedWrite_leavesOldFileOrNoneAndNoTemporary_data() {
    QTest::addColumn<bool>("oldFile");
    QTest::newRow("over an old file") << true;
    QTest::newRow("new file") << false;
}

// A file size limit makes the write itself fail part-way, after the temporary file exists, as a full
// disk would.
void AtomicFileTest::failedWrite_leavesOldFileOrNoneAndNoTemporary() {
    QFETCH(bool, oldFile);
    if (oldFile)
        put("data", "old content");
    const QStringList before = entries();

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = AtomicFile::replace(path("data"), QByteArray(20000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(outcome(result), failed("system", EFBIG));
    QCOMPARE(entries(), before);
    if (oldFile)
        QCOMPARE(bytes("data"), QByteArray("old content"));
}

void AtomicFileTest::links_areFollowedAndStayLinks() {
    // A chain of relative links into another folder: each is read from its own folder.
    QVERIFY(QDir(m_dir->path()).mkdir("real"));
    put("real/prog.bas", "old");
    QCOMPARE(::chmod(QFile::encodeName(path("real/prog.bas")).constData(), 0640), 0);
    QCOMPARE(::symlink("prog.bas", QFile::encodeName(path("real/inner")).constData()), 0);
    QCOMPARE(::symlink("real/inner", QFile::encodeName(path("outer")).constData()), 0);

    QCOMPARE(outcome(AtomicFile::replace(path("outer"), "new")), QStringLiteral("done"));
    QVERIFY(QFileInfo(path("outer")).isSymLink());
    QVERIFY(QFileInfo(path("real/inner")).isSymLink());
    QCOMPARE(bytes("real/prog.bas"), QByteArray("new"));
    QCOMPARE(modeOf("real/prog.bas"), mode_t(0640));
    QCOMPARE(entries("real"), (QStringList{"inner", "prog.bas"}));

    // A dangling link names the file to create; the temporary file lies beside that file.
    QCOMPARE(::symlink("real/later.bas", QFile::encodeName(path("dangling")).constData()), 0);
    QCOMPARE(outcome(AtomicFile::replace(path("dangling"), "created")), QStringLiteral("done"));
    QVERIFY(QFileInfo(path("dangling")).isSymLink());
    QCOMPARE(bytes("real/later.bas"), QByteArray("created"));
    QCOMPARE(entries(), (QStringList{"dangling", "outer", "real"}));
}

// Links that lead back to themselves name no file: nothing may be put in place of one of them.
void AtomicFileTest::linkCycle_isRefusedAndChangesNothing() {
    QCOMPARE(::symlink("b", QFile::encodeName(path("a")).constData()), 0);
    QCOMPARE(::symlink("a", QFile::encodeName(path("b")).constData()), 0);
    QCOMPARE(outcome(AtomicFile::replace(path("a"), "lost")), failed("system", ELOOP));
    QVERIFY(QFileInfo(path("a")).isSymLink());
    QVERIFY(QFileInfo(path("b")).isSymLink());
    QCOMPARE(entries(), (QStringList{"a", "b"}));
}

void AtomicFileTest::refusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refuseReadOnly");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << "folder" << false << failed("folder", EISDIR);
    QTest::newRow("fifo") << "fifo" << false << failed("not regular", EINVAL);
    QTest::newRow("link to a fifo") << "fifolink" << false << failed("not regular", EINVAL);
    QTest::newRow("read-only, refused") << "ro" << true << failed("read-only", EACCES);
    QTest::newRow("read-only, allowed") << "ro" << false << "done";
    QTest::newRow("writable, refusing read-only") << "rw" << true << "done";
    QTest::newRow("below a file") << "rw/x" << false << failed("system", ENOTDIR);
    QTest::newRow("missing folder") << "none/x" << false << failed("system", ENOENT);
    QTest::newRow("no name") << "" << false << failed("system", ENOENT);
}

void AtomicFileTest::refusals() {
    QFETCH(QString, name);
    QFETCH(bool, refuseReadOnly);
    QFETCH(QString, expected);
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QCOMPARE(::symlink("fifo", QFile::encodeName(path("fifolink")).constData()), 0);
    put("ro", "keep");
    QCOMPARE(::chmod(QFile::encodeName(path("ro")).constData(), 0444), 0);
    put("rw", "old");
    const QStringList before = entries();

    AtomicFile::Options options;
    options.refuseReadOnly = refuseReadOnly;
    QCOMPARE(outcome(AtomicFile::replace(name.isEmpty() ? QString() : path(name), "new", options)), expected);
    QCOMPARE(entries(), before);
    QVERIFY(QFileInfo(path("folder")).isDir());
    QVERIFY(!QFileInfo(path("fifo")).isFile());
    if (expected != "done")
        QCOMPARE(bytes("ro"), QByteArray("keep"));
    else if (!name.contains('/'))
        QCOMPARE(bytes(name), QByteArray("new"));
}

void AtomicFileTest::permissions_ofNewAndReplacedFiles() {
    const mode_t mask = ::umask(022);
    AtomicFile::Options privateFile;
    privateFile.newFileMode = 0600;
    const auto shared = AtomicFile::replace(path("shared"), "x");
    const auto own = AtomicFile::replace(path("private"), "x", privateFile);
    ::umask(mask);
    QCOMPARE(outcome(shared), QStringLiteral("done"));
    QCOMPARE(outcome(own), QStringLiteral("done"));
    QCOMPARE(modeOf("shared"), mode_t(0644));
    QCOMPARE(modeOf("private"), mode_t(0600));

    // An old file's permissions win over the mode for new files, also wider ones and a read-only file.
    for (const mode_t mode : {mode_t(0604), mode_t(0666), mode_t(0400)}) {
        QCOMPARE(::chmod(QFile::encodeName(path("private")).constData(), mode), 0);
        QCOMPARE(outcome(AtomicFile::replace(path("private"), "y", privateFile)), QStringLiteral("done"));
        QCOMPARE(modeOf("private"), mode);
        QCOMPARE(bytes("private"), QByteArray("y"));
    }
}

QTEST_GUILESS_MAIN(AtomicFileTest)
#include "tst_atomicfile.moc"
