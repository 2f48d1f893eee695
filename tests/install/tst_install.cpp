// `cmake --install` into a temporary DESTDIR: the files it puts there, the checks the desktop runs on
// them, and the installed program started from its prefix.

#include "ProcessRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Prefix = QStringLiteral("/usr");
const QStringList ProgramNames = {QStringLiteral("taloma-terminal"), QStringLiteral("taloma-basic"),
                                  QStringLiteral("basic52-sim")};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The tool's path; a missing tool fails the test, since `./dev.sh test` installs it.
QString requireTool(const QString& name)
{
    const QString path = findTool(name);
    if (path.isEmpty())
        qWarning("%s is missing; ./dev.sh test installs it", qPrintable(name));
    return path;
}

// The values of a key of the desktop entry's main group, split at ';'.
QStringList desktopValues(const QByteArray& entry, const QByteArray& key)
{
    bool inMain = false;
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith('['))
            inMain = line.trimmed() == "[Desktop Entry]";
        else if (inMain && line.startsWith(key + '='))
            return QString::fromUtf8(line.mid(key.size() + 1)).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_dest;

    QString installed(const QString& relative) const { return m_dest.path() + Prefix + QLatin1Char('/') + relative; }

    QByteArray manPageSource(const QString& page) const
    {
        const ProcessRun run = runProgram(QStringLiteral("gzip"), {QStringLiteral("-dc"), installed(page)});
        return run.ok() ? run.output : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dest.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), m_dest.path());
        const ProcessRun run = runProgram(QStringLiteral(TALOMA_CMAKE),
                                          {QStringLiteral("--install"), QStringLiteral(TALOMA_BUILD_DIR),
                                           QStringLiteral("--prefix"), Prefix},
                                          env);
        QVERIFY2(run.ok(), run.output.constData());
    }

    // Exactly these files, nothing left out and nothing stray; every help document of the source
    // folder, whatever its language.
    void installsExactlyTheFileList()
    {
        QStringList expected = {
            QStringLiteral("bin/basic52-sim"),
            QStringLiteral("bin/taloma-basic"),
            QStringLiteral("bin/taloma-terminal"),
            QStringLiteral("share/applications/taloma-terminal.desktop"),
            QStringLiteral("share/doc/taloma-terminal/changelog.gz"),
            QStringLiteral("share/doc/taloma-terminal/copyright"),
            QStringLiteral("share/icons/hicolor/256x256/apps/taloma-terminal.png"),
            QStringLiteral("share/icons/hicolor/48x48/apps/taloma-terminal.png"),
            QStringLiteral("share/icons/hicolor/scalable/apps/taloma-terminal.svg"),
            QStringLiteral("share/man/man1/basic52-sim.1.gz"),
            QStringLiteral("share/man/man1/taloma-basic.1.gz"),
            QStringLiteral("share/man/man1/taloma-terminal.1.gz"),
            QStringLiteral("share/metainfo/example.orvik.TalomaTerminal.metainfo.xml"),
            QStringLiteral("share/mime/packages/taloma-terminal.xml"),
        };
        const QStringList helpDocs = QDir(QStringLiteral(TALOMA_SOURCE_DIR "/resources/help"))
                                         .entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(helpDocs.contains(QStringLiteral("Taloma-Terminal.html")));
        QVERIFY(helpDocs.contains(QStringLiteral("Taloma-BASIC.html")));
        for (const QString& doc : helpDocs)
            expected.append(QStringLiteral("share/taloma-terminal/help/") + doc);
        expected.sort();

        QStringList found;
        const QDir root(m_dest.path() + Prefix);
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(root.relativeFilePath(it.next()));
        found.sort();
        QCOMPARE(found, expected);

        for (const QString& program : ProgramNames)
            QVERIFY2(QFileInfo(installed(QStringLiteral("bin/") + program)).isExecutable(), qPrintable(program));
    }

    void desktopEntryIsValidAndPointsAtInstalledFiles()
    {
        const QString tool = requireTool(QStringLiteral("desktop-file-validate"));
        QVERIFY(!tool.isEmpty());
        const QString path = installed(QStringLiteral("share/applications/taloma-terminal.desktop"));
        const ProcessRun run = runProgram(tool, {path});
        // Warnings leave the status at 0; they count as faults here as well.
        QVERIFY2(run.ok() && run.output.trimmed().isEmpty(), run.output.constData());

        const QByteArray entry = readFile(path);
        const QStringList exec = desktopValues(entry, "Exec").value(0).split(QLatin1Char(' '));
        QVERIFY(QFileInfo(installed(QStringLiteral("bin/") + exec.value(0))).isExecutable());
        const QString icon = desktopValues(entry, "Icon").value(0);
        QVERIFY(QFile::exists(installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon))));
        QVERIFY(QFile::exists(installed(QStringLiteral("share/icons/hicolor/48x48/apps/%1.png").arg(icon))));
        QCOMPARE(desktopValues(entry, "Categories"), (QStringList{QStringLiteral("Development"),
                                                                  QStringLiteral("Electronics")}));
        for (const char* key : {"Name[de]", "Comment", "Comment[de]"})
            QVERIFY2(!desktopValues(entry, key).isEmpty(), key);
        // Every type the entry opens is one the package defines.
        const QByteArray mime = readFile(installed(QStringLiteral("share/mime/packages/taloma-terminal.xml")));
        const QStringList types = desktopValues(entry, "MimeType");
        QVERIFY(!types.isEmpty());
        for (const QString& type : types)
            QVERIFY2(mime.contains(QStringLiteral("type=\"%1\"").arg(type).toUtf8()), qPrintable(type));
    }

    void metainfoIsValidForThisRelease()
    {
        const QString tool = requireTool(QStringLiteral("appstreamcli"));
        QVERIFY(!tool.isEmpty());
        const QString path = installed(QStringLiteral("share/metainfo/example.orvik.TalomaTerminal.metainfo.xml"));
        const ProcessRun run = runProgram(tool, {QStringLiteral("validate"), QStringLiteral("--no-net"), path});
        QVERIFY2(run.ok(), run.output.constData());

        const QByteArray info = readFile(path);
        // The newest release named is the program's own version.
        const QRegularExpressionMatch release =
            QRegularExpression(QStringLiteral("<release version=\"([^\"]+)\"")).match(QString::fromUtf8(info));
        QVERIFY(release.hasMatch());
        QCOMPARE(release.captured(1), QStringLiteral(TALOMA_VERSION));
        QVERIFY(info.contains("<screenshot"));
        QVERIFY(info.contains("<launchable type=\"desktop-id\">taloma-terminal.desktop</launchable>"));
    }

    // The desktop's own database, built from the installed type alone, knows BASIC files by their name.
    void mimeTypeNamesBasicFiles()
    {
        const QString tool = requireTool(QStringLiteral("update-mime-database"));
        QVERIFY(!tool.isEmpty());
        QTemporaryDir mime;
        QVERIFY(QDir().mkpath(mime.filePath(QStringLiteral("packages"))));
        QVERIFY(QFile::copy(installed(QStringLiteral("share/mime/packages/taloma-terminal.xml")),
                            mime.filePath(QStringLiteral("packages/taloma-terminal.xml"))));
        const ProcessRun run = runProgram(tool, {mime.path()});
        QVERIFY2(run.ok() && !run.output.contains("Error"), run.output.constData());
        const QByteArray globs = readFile(mime.filePath(QStringLiteral("globs2")));
        QVERIFY2(globs.contains(":text/x-taloma-basic:*.bas"), globs.constData());
    }

    void manPages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("program");
        QTest::newRow("taloma-terminal") << QStringLiteral("taloma-terminal") << QString();
        QTest::newRow("taloma-basic") << QStringLiteral("taloma-basic") << QStringLiteral("taloma-basic");
        QTest::newRow("basic52-sim") << QStringLiteral("basic52-sim") << QStringLiteral("basic52-sim");
    }

    // Each page passes the linter, and names every option the program's own --help lists.
    void manPages()
    {
        QFETCH(QString, page);
        QFETCH(QString, program);
        const QString tool = requireTool(QStringLiteral("mandoc"));
        QVERIFY(!tool.isEmpty());
        const QString path = installed(QStringLiteral("share/man/man1/%1.1.gz").arg(page));
        const ProcessRun lint = runProgram(tool, {QStringLiteral("-T"), QStringLiteral("lint"), QStringLiteral("-W"),
                                                  QStringLiteral("style"), path});
        QVERIFY2(lint.ok() && lint.output.trimmed().isEmpty(), lint.output.constData());

        const QString source = QString::fromUtf8(manPageSource(QStringLiteral("share/man/man1/%1.1.gz").arg(page)))
                                   .replace(QStringLiteral("\\-"), QStringLiteral("-"));
        QVERIFY(source.startsWith(QStringLiteral(".TH %1 1").arg(page.toUpper())));
        if (program.isEmpty())
            return;
        const ProcessRun help = runProgram(installed(QStringLiteral("bin/") + program), {QStringLiteral("--help")});
        QVERIFY2(help.ok(), help.output.constData());
        static const QRegularExpression optionRe(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*"));
        int options = 0;
        for (auto it = optionRe.globalMatch(QString::fromUtf8(help.output)); it.hasNext(); ++options) {
            const QString option = it.next().captured();
            QVERIFY2(source.contains(option), qPrintable(option + QStringLiteral(" is not in the manual page")));
        }
        QVERIFY(options > 0);
    }

    // Started from the prefix, the program comes up without the build tree, and the help documents lie
    // where it looks for installed ones: share/taloma-terminal/help/ beside its bin/.
    void installedProgramStartsAndFindsItsHelpFolder()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TALOMA_NO_SPLASH"), QStringLiteral("1"));
        env.insert(QStringLiteral("TALOMA_STARTUP_PROBE"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), home.filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.insert(QStringLiteral("HOME"), home.path());
        const QString program = installed(QStringLiteral("bin/taloma-terminal"));
        const ProcessRun run = runProgram(program, {}, env);
        QVERIFY2(run.ok() && run.output.contains("first-activation"), run.output.constData());

        const QString helpFolder =
            QFileInfo(program).absolutePath() + QStringLiteral("/../share/taloma-terminal/help/");
        for (const QString& doc : {QStringLiteral("Taloma-Terminal.html"), QStringLiteral("Taloma-BASIC.html")}) {
            const QByteArray bytes = readFile(helpFolder + doc);
            QVERIFY2(!bytes.isEmpty(), qPrintable(helpFolder + doc));
            QCOMPARE(bytes, readFile(QStringLiteral(TALOMA_SOURCE_DIR "/resources/help/") + doc));
        }
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
