// The Debian package as `./dev.sh package` builds it: its name, what it holds and needs, and lintian.

#include "ProcessRun.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;
    QString m_deb;

    // What dpkg-deb says of the package with the option (--contents, --field ...) and further arguments.
    QByteArray dpkgDeb(const QString& option, const QStringList& more = {}) const
    {
        const ProcessRun run = runProgram(QStringLiteral("dpkg-deb"), QStringList{option, m_deb} + more);
        return run.ok() ? run.output : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_out.isValid());
        const ProcessRun run = runProgram(QStringLiteral(TALOMA_CPACK),
                                          {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                           QStringLiteral(TALOMA_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"),
                                           m_out.path()},
                                          QProcessEnvironment::systemEnvironment(), 300000);
        QVERIFY2(run.ok(), run.output.constData());
        const QStringList debs = QDir(m_out.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(debs, QStringList{QStringLiteral("taloma-terminal_" TALOMA_VERSION "_amd64.deb")});
        m_deb = m_out.filePath(debs.first());
    }

    void holdsTheInstalledTree()
    {
        const QByteArray contents = dpkgDeb(QStringLiteral("--contents"));
        for (const char* path : {"./usr/bin/taloma-terminal", "./usr/bin/taloma-basic", "./usr/bin/basic52-sim",
                                 "./usr/share/taloma-terminal/help/Taloma-BASIC.html",
                                 "./usr/share/applications/taloma-terminal.desktop",
                                 "./usr/share/man/man1/taloma-basic.1.gz"})
            QVERIFY2(contents.contains(QByteArray(path) + '\n'), path);
        // Files belong to root, whoever built the package.
        QVERIFY(!contents.isEmpty());
        for (const QByteArray& line : contents.split('\n'))
            QVERIFY2(line.isEmpty() || line.contains(" root/root "), line.constData());
    }

    // The libraries the programs link are found by dpkg-shlibdeps, not listed by hand.
    void dependsOnTheLinkedLibraries()
    {
        const QByteArray depends = dpkgDeb(QStringLiteral("--field"), {QStringLiteral("Depends")});
        for (const char* library : {"libqt6widgets6", "libqt6core6", "libcurl4", "libjpeg62-turbo", "libc6"})
            QVERIFY2(depends.contains(library), depends.constData());
        QCOMPARE(dpkgDeb(QStringLiteral("--field"), {QStringLiteral("Version")}).trimmed(), QByteArray(TALOMA_VERSION));
    }

    void postinstNamesTheDialoutGroup()
    {
        QTemporaryDir control;
        dpkgDeb(QStringLiteral("--control"), {control.path()});
        QFile postinst(control.filePath(QStringLiteral("postinst")));
        QVERIFY(postinst.open(QIODevice::ReadOnly));
        QVERIFY(postinst.permissions() & QFileDevice::ExeOwner);
        const QByteArray script = postinst.readAll();
        QVERIFY(script.startsWith("#!/bin/sh\n"));
        QVERIFY(script.contains("dialout"));
        const ProcessRun syntax = runProgram(QStringLiteral("sh"), {QStringLiteral("-n"), postinst.fileName()});
        QVERIFY2(syntax.ok(), syntax.output.constData());
    }

    // Errors fail; warnings and notes are shown in the log.
    void lintianReportsNoErrors()
    {
        const QString lintian = findTool(QStringLiteral("lintian"));
        QVERIFY2(!lintian.isEmpty(), "lintian is missing; ./dev.sh test installs it");
        const ProcessRun run = runProgram(lintian, {QStringLiteral("--fail-on"), QStringLiteral("error"),
                                                    QStringLiteral("--display-level"), QStringLiteral(">=info"), m_deb},
                                          QProcessEnvironment::systemEnvironment(), 300000);
        qInfo("%s", run.output.constData());
        QVERIFY2(run.ok(), run.output.constData());
        QVERIFY(!run.output.contains("\nE: ") && !run.output.startsWith("E: "));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
