#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// Set in a child copy of this program: it takes the guard under this name and dies without any
// clean-up, like a crashed program.
const char CrashVariable[] = "TALOMA_TEST_CRASH_HOLDING";

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void secondInstance_isRefusedAndActivatesFirst_data();
    void secondInstance_isRefusedAndActivatesFirst();
    void lockOfCrashedInstance_doesNotBlockStart();
    void silentFirstInstance_refusesSecondWithinASecondOrSo();

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
    QString m_name;
};

void SingleInstanceTest::init()
{
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
    m_name = QStringLiteral("taloma-test-%1-%2").arg(::getpid()).arg(QString::fromLatin1(QTest::currentTestFunction()));
}

void SingleInstanceTest::secondInstance_isRefusedAndActivatesFirst_data()
{
    QTest::addColumn<bool>("runtimeFolder");
    QTest::newRow("runtime folder") << true;
    QTest::newRow("no runtime folder") << false;
}

void SingleInstanceTest::secondInstance_isRefusedAndActivatesFirst()
{
    QFETCH(bool, runtimeFolder);
    if (!runtimeFolder)
        qunsetenv("XDG_RUNTIME_DIR");
    auto first = std::make_unique<SingleInstance>(m_name);
    QVERIFY(first->acquire());
    const QFileInfo lock(first->lockFilePath());
    QCOMPARE(lock.absolutePath(), runtimeFolder ? m_runtime->path() : QStringLiteral("/tmp"));
    QVERIFY(lock.fileName().contains(QString::number(::getuid())));
    QSignalSpy activations(first.get(), &SingleInstance::activationRequested);

    // The first instance has been running for a day: its lock is old, but its owner lives.
    QFile lockFile(lock.filePath());
    QVERIFY(lockFile.open(QIODevice::ReadOnly));
    QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    lockFile.close();

    SingleInstance second(m_name);
    QVERIFY(!second.acquire());
    QVERIFY(!second.acquire()); // asking again does not turn it into a first instance
    QTRY_COMPARE(activations.count(), 1);

    first.reset();
    QVERIFY(!QFileInfo::exists(lock.filePath()));
    SingleInstance next(m_name);
    QVERIFY(next.acquire());
}

void SingleInstanceTest::lockOfCrashedInstance_doesNotBlockStart()
{
    QProcess crashing;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(CrashVariable, m_name);
    crashing.setProcessEnvironment(env);
    crashing.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(crashing.waitForFinished(10000));
    QCOMPARE(crashing.exitCode(), 0);
    // The dead instance left its lock and its socket behind.
    QVERIFY(QFileInfo::exists(SingleInstance(m_name).lockFilePath()));
    QVERIFY(QFileInfo::exists(SingleInstance(m_name).serverPath()));

    SingleInstance restarted(m_name);
    QVERIFY(restarted.acquire());
    QSignalSpy activations(&restarted, &SingleInstance::activationRequested);
    SingleInstance later(m_name);
    QVERIFY(!later.acquire());
    QTRY_COMPARE(activations.count(), 1);
}

void SingleInstanceTest::silentFirstInstance_refusesSecondWithinASecondOrSo()
{
    // A live owner of the lock that does not listen (still starting, or hung).
    QLockFile held(SingleInstance(m_name).lockFilePath());
    QVERIFY(held.tryLock(0));
    QElapsedTimer timer;
    timer.start();
    SingleInstance second(m_name);
    QVERIFY(!second.acquire());
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(CrashVariable)) {
        auto* guard = new SingleInstance(qEnvironmentVariable(CrashVariable));
        ::_exit(guard->acquire() ? 0 : 3);
    }
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
