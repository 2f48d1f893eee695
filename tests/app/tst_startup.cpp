// The program as a whole process: single instance and the splash time.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void secondStart_bringsFirstForwardAndEnds();
    void splash_waitsThreeSecondsUnlessSwitchedOff();
    void terminationSignal_endsNormally();

private:
    QProcessEnvironment environment(const QTemporaryDir& dir, bool splash) const;
    static bool waitForOutput(QProcess& process, const QByteArray& text, int ms);
};

QProcessEnvironment StartupTest::environment(const QTemporaryDir& dir, bool splash) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", dir.path());
    env.insert("XDG_STATE_HOME", dir.filePath("state"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_LOGGING_RULES", "taloma.app.info=true");
    if (splash)
        env.remove("TALOMA_NO_SPLASH");
    else
        env.insert("TALOMA_NO_SPLASH", "1");
    return env;
}

bool StartupTest::waitForOutput(QProcess& process, const QByteArray& text, int ms)
{
    QElapsedTimer t;
    t.start();
    QByteArray seen;
    while (t.elapsed() < ms) {
        process.waitForReadyRead(50);
        seen += process.readAll();
        if (seen.contains(text))
            return true;
        if (process.state() == QProcess::NotRunning)
            return false;
    }
    return false;
}

void StartupTest::secondStart_bringsFirstForwardAndEnds()
{
    QTemporaryDir dir;
    QProcess first;
    first.setProcessEnvironment(environment(dir, false));
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(TALOMA_TERMINAL, {});
    QVERIFY(waitForOutput(first, "start-up complete", 15000));

    QProcess second;
    second.setProcessEnvironment(environment(dir, false));
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(TALOMA_TERMINAL, {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!second.readAll().contains("start-up complete"));
    QVERIFY(waitForOutput(first, "a second start asked for the window", 5000));

    first.terminate();
    QVERIFY(first.waitForFinished(5000));
}

void StartupTest::splash_waitsThreeSecondsUnlessSwitchedOff()
{
    for (const bool splash : {false, true}) {
        QTemporaryDir dir;
        QProcess program;
        program.setProcessEnvironment(environment(dir, splash));
        program.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer t;
        t.start();
        program.start(TALOMA_TERMINAL, {});
        QVERIFY(waitForOutput(program, "start-up complete", 20000));
        if (splash)
            QVERIFY(t.elapsed() >= 3000);
        else
            QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }
}

void StartupTest::terminationSignal_endsNormally()
{
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        QTemporaryDir dir;
        const QString settings = dir.filePath("config/Taloma-Terminal/HKEY_CURRENT_USER.reg");
        QProcess program;
        program.setProcessEnvironment(environment(dir, false));
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(TALOMA_TERMINAL, {});
        QVERIFY(waitForOutput(program, "start-up complete", 15000));
        QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(QFile::exists(settings), qPrintable(QString::number(signalNumber)));
        QVERIFY(!program.readAll().contains("Aborted"));
    }
}

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
