#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result run(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(QStringLiteral(TALOMA_BASIC_PROGRAM), arguments);
    if (!process.waitForStarted(30000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray dataFile(const QString& name)
{
    QFile file(QStringLiteral(TALOMA_BASIC_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TalomaBasicTest : public QObject {
    Q_OBJECT

private slots:
    void goldenFiles_data();
    void goldenFiles();
    void conversionError_writesNothingToStandardOutput_data();
    void conversionError_writesNothingToStandardOutput();
    void usageErrors_data();
    void usageErrors();
    void missingFile_fails();
    void endlessInput_stopsAtTheLimit();
    void sortedFile_keepsEveryByteOfItsLines();
};

void TalomaBasicTest::goldenFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("renumber, CR LF input")
        << "renumber_example" << QStringList{"renumber", "--start", "100", "--step", "10"};
    QTest::newRow("renumber, Latin-1 and clean-up") << "renumber_latin1" << QStringList{"renumber"};
    QTest::newRow("sort with clean-up and equal numbers") << "sort_cleanup" << QStringList{"sort"};
}

void TalomaBasicTest::goldenFiles()
{
    QFETCH(QString, name);
    QFETCH(QStringList, arguments);
    const QByteArray input = dataFile(name + ".in");
    const QByteArray expected = dataFile(name + ".expected");
    QVERIFY(!input.isEmpty() && !expected.isEmpty());

    const Result fromFile = run(arguments + QStringList{QStringLiteral(TALOMA_BASIC_DATA "/") + name + ".in"});
    QCOMPARE(fromFile.exitCode, 0);
    QCOMPARE(fromFile.out, expected);
    QCOMPARE(fromFile.err, QByteArray());

    const Result fromDash = run(arguments + QStringList{"-"}, input);
    QCOMPARE(fromDash.exitCode, 0);
    QCOMPARE(fromDash.out, expected);

    const Result fromStdin = run(arguments, input);
    QCOMPARE(fromStdin.exitCode, 0);
    QCOMPARE(fromStdin.out, expected);
}

void TalomaBasicTest::conversionError_writesNothingToStandardOutput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("sort: line without number") << QStringList{"sort"} << QByteArray("20 A\nPRINT\n10 B\n") << "'PRINT'";
    QTest::newRow("renumber: blank before ONTIME comma")
        << QStringList{"renumber", "--start=100"} << QByteArray("10 ONTIME 5 ,30\r\n20 END\r\n30 RETI\r\n") << "','";
    QTest::newRow("renumber: start value")
        << QStringList{"renumber", "--start", "1O"} << QByteArray("10 A\n20 B\n") << "'1O'";
}

void TalomaBasicTest::conversionError_writesNothingToStandardOutput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    const Result result = run(arguments, input);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err), message + QStringLiteral(" ist kein gültiger Integerwert\n"));
}

void TalomaBasicTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no command") << QStringList();
    QTest::newRow("unknown command") << QStringList{"list"};
    QTest::newRow("unknown option") << QStringList{"renumber", "--begin", "5"};
    QTest::newRow("option without value") << QStringList{"renumber", "--step"};
    QTest::newRow("option of the other command") << QStringList{"sort", "--start", "5"};
    QTest::newRow("two files") << QStringList{"sort", "a.bas", "b.bas"};
}

void TalomaBasicTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    const Result result = run(arguments, "10 A\n");
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(result.err.contains("Usage: taloma-basic sort [FILE]"));
}

void TalomaBasicTest::missingFile_fails()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/missing.bas";
    const Result result = run({"sort", path});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QVERIFY(QString::fromUtf8(result.err).startsWith("Datei " + path + " kann nicht geöffnet werden."));
}

void TalomaBasicTest::endlessInput_stopsAtTheLimit()
{
    const Result result = run({"sort", "/dev/zero"});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err).trimmed(),
             QString("Datei /dev/zero kann nicht geöffnet werden. It is larger than 64 MB."));
}

void TalomaBasicTest::sortedFile_keepsEveryByteOfItsLines()
{
    // A lone CR, also one that ends the file, is part of its line, as the editor keeps it; only the
    // line ends (CR LF or LF) become LF.
    QByteArray high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += char(b);
    const QByteArray input = "10 PRINT \"a\rb\"\r\n20 REM " + high + "\n30 A\r\r\n40 B\r";
    const Result sorted = run({"sort"}, input);
    QCOMPARE(sorted.exitCode, 0);
    QCOMPARE(sorted.out, "10 PRINT \"a\rb\"\n20 REM " + high + "\n30 A\r\n40 B\r\n");

    // Lines that end in CR only are one line: nothing to sort.
    QCOMPARE(run({"sort"}, "20 B\r10 A\r").out, QByteArray("20 B\r10 A\r\n"));
}

QTEST_GUILESS_MAIN(TalomaBasicTest)
#include "tst_taloma_basic.moc"
