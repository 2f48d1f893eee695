// Program files through a real editor pane: what a file holds must come back from the pane byte for
// byte, and the pane's lines must be the lines that taloma-basic reads from the same file.

#include "basic/ProgramText.h"
#include "basic/ProgramTransmission.h"
#include "basic/Renumber.h"
#include "editor/DocumentText.h"
#include "editor/PlainTextEditLines.h"
#include "editor/ProgramFile.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class EditorPaneTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void fileThroughPane_comesBackByteForByte_data();
    void fileThroughPane_comesBackByteForByte();
    void renumber_paneAndTalomaBasicAgree_data();
    void renumber_paneAndTalomaBasicAgree();
    void transmission_sendsTheLoneCrAsByte13();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString put(const QString& name, const QByteArray& data) const;
    static QByteArray bytesOf(const QString& path);
};

void EditorPaneTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString EditorPaneTest::put(const QString& name, const QByteArray& data) const
{
    const QString path = m_dir->filePath(name);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() ? path : QString();
}

QByteArray EditorPaneTest::bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void EditorPaneTest::fileThroughPane_comesBackByteForByte_data()
{
    QByteArray high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += char(b);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b); // 0x0A behind 0x09 is a bare LF, 0x0D before 0x0E a lone CR
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("lines");
    QTest::newRow("CR LF") << QByteArray("10 A\r\n20 B\r\n") << QByteArray("10 A\r\n20 B\r\n") << 2;
    QTest::newRow("bare LF") << QByteArray("10 A\n20 B") << QByteArray("10 A\r\n20 B") << 2;
    QTest::newRow("lone CR in a string") << QByteArray("10 PRINT \"a\rb\"\r\n") << QByteArray("10 PRINT \"a\rb\"\r\n")
                                         << 1;
    QTest::newRow("final CR") << QByteArray("10 A\r\n20 B\r") << QByteArray("10 A\r\n20 B\r") << 2;
    QTest::newRow("CR before CR LF") << QByteArray("10 A\r\r\n20 B") << QByteArray("10 A\r\r\n20 B") << 2;
    QTest::newRow("CR only: one line") << QByteArray("20 B\r10 A\r") << QByteArray("20 B\r10 A\r") << 1;
    QTest::newRow("LF CR") << QByteArray("10 A\n\r20 B") << QByteArray("10 A\r\n\r20 B") << 2;
    QTest::newRow("bytes 0x80 to 0xFF") << QByteArray("10 REM " + high + "\r\n")
                                        << QByteArray("10 REM " + high + "\r\n") << 1;
    QTest::newRow("every byte") << all << QByteArray(all).replace(0x0A, 1, "\r\n") << 2;
}

void EditorPaneTest::fileThroughPane_comesBackByteForByte()
{
    QFETCH(QByteArray, onDisk);
    QFETCH(QByteArray, saved);
    QFETCH(int, lines);
    const QString path = put("p.bas", onDisk);
    QVERIFY(!path.isEmpty());

    QPlainTextEdit pane;
    pane.setPlainText(toPaneText(loadProgramText(path)));
    saveProgramText(path, documentText(pane.document()));
    QCOMPARE(bytesOf(path), saved);

    // The pane's lines are the ones taloma-basic splits the file into.
    bool finalBreak = false;
    const QStringList paneLines = PlainTextEditLines::paneLines(&pane, &finalBreak);
    const ProgramText program = SplitProgramText(DecodeProgramBytes(onDisk));
    QCOMPARE(paneLines.size(), lines);
    QCOMPARE(paneLines, program.lines);
    QCOMPARE(finalBreak, program.finalBreak);
}

void EditorPaneTest::renumber_paneAndTalomaBasicAgree_data()
{
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<QByteArray>("renumbered"); // as saved from the pane
    QTest::newRow("lone CR in a string, final CR")
        << QByteArray("30 GOTO 10\r\n20 PRINT \"a\rb\":GOTO 30\r\n10 REM \xe4\r")
        << QByteArray("100 rem \xe4\r\r\n110 print \"a\rb\" :goto 30\r\n120 goto 100");
    QTest::newRow("CR only: one line, nothing to do")
        << QByteArray("20 B\r10 GOTO 20\r") << QByteArray("20 B\r10 GOTO 20\r");
}

void EditorPaneTest::renumber_paneAndTalomaBasicAgree()
{
    QFETCH(QByteArray, onDisk);
    QFETCH(QByteArray, renumbered);
    const QString path = put("r.bas", onDisk);
    QVERIFY(!path.isEmpty());

    QPlainTextEdit pane;
    pane.setPlainText(toPaneText(loadProgramText(path)));
    {
        PlainTextEditLines lines(&pane, [](const LineChanges&) {});
        bool cleanupPending = true; // as taloma-basic runs it
        RenumberProgram(lines, 100, 10, cleanupPending);
    }
    saveProgramText(path, documentText(pane.document()));
    QCOMPARE(bytesOf(path), renumbered);

    // taloma-basic writes the same lines, each ended by LF.
    QProcess tool;
    tool.start(QStringLiteral(TALOMA_BASIC_PROGRAM), {"renumber", "--start", "100", put("t.bas", onDisk)});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QByteArray expected;
    for (const QString& line : PlainTextEditLines::paneLines(&pane))
        expected += line.toLatin1() + '\n';
    QCOMPARE(tool.readAllStandardOutput(), expected);
}

void EditorPaneTest::transmission_sendsTheLoneCrAsByte13()
{
    QPlainTextEdit pane;
    pane.setPlainText(toPaneText(programTextFromBytes("10 PRINT \"a\rb\"\r\n20 END\r\n")));
    QVERIFY(pane.toPlainText().contains(CarriageReturnStandIn)); // visible in the pane
    const PlainTextEditLines lines(&pane);
    QCOMPARE(lines.count(), 2);
    QCOMPARE(ProgramTransmission::lineToSend(lines.line(0)), QByteArray("10 PRINT \"a\rb\"\r"));
    QCOMPARE(ProgramTransmission::expectedAnswer(lines.line(0)), QByteArray("10 PRINT \"a\rb\"\r\n>"));
}

QTEST_MAIN(EditorPaneTest)
#include "tst_editorpane.moc"
