// The session log: what the board sends goes into the file byte for byte, what the user sends only
// when asked for; the log ends with the port, and a write that fails ends it with one warning.

#include "TerminalSession.h"

#include "app/TfrmTerminal.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace GlobVar;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Starts the log through its menu item, the file dialog answering `path`.
void startLog(TerminalSession& s, const QString& path)
{
    s.prompts.files.enqueue(path);
    s.action("mnuMitschnitt")->trigger();
}

// The status bar's indicator: its text while it is shown, else nothing.
QString logPanel(const TerminalSession& s)
{
    return s.window->pnlLog->isVisibleTo(s.window.get()) ? s.window->pnlLog->text() : QString();
}

} // namespace

class SessionLogTest : public QObject {
    Q_OBJECT

private slots:
    void received_isLoggedAsItCameOffTheLine();
    void sent_isLoggedOnlyWhenTicked();
    void log_endsWithThePort();
    void writeError_stopsTheLogWithOneWarning();
    void fileThatCannotBeOpened_isSaidAndNothingRuns();
};

void SessionLogTest::received_isLoggedAsItCameOffTheLine()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    const QString path = s.dir.filePath(QStringLiteral("board.log"));
    // Appended: what the file held stays.
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier\n");
    }
    startLog(s, path);
    QCOMPARE(logPanel(s), QStringLiteral("LOG"));
    QVERIFY(s.action("mnuMitschnitt")->isChecked());

    // A CR LF split between two chunks, every byte above 127, and a lone bell and erase echo, which
    // the pane drops: the file has them all, unchanged.
    QByteArray high;
    for (int b = 128; b < 256; ++b)
        high.append(char(b));
    QByteArray first = "10 PRINT \"A\"\r";
    const QByteArray second = "\n" + high + "\x07>\b \b";
    s.receive(first);
    QCOMPARE(fileBytes(path), "earlier\n" + first); // there before the next chunk comes
    s.receive(second);
    s.receive("\x07");
    s.receive("\b \b");
    first += second + "\x07\b \b";
    QCOMPARE(fileBytes(path), "earlier\n" + first);
    // Typed keys are not in it unless asked for.
    QTest::keyClicks(s.window->MemoT, QStringLiteral("x"));
    QCOMPARE(s.sent(1), QByteArray("x"));
    QCOMPARE(fileBytes(path), "earlier\n" + first);

    // The same command stops it.
    s.action("mnuMitschnitt")->trigger();
    QCOMPARE(logPanel(s), QString());
    QVERIFY(!s.action("mnuMitschnitt")->isChecked());
    s.receive("after");
    QCOMPARE(fileBytes(path), "earlier\n" + first);
    QCOMPARE(s.prompts.shown.size(), 1); // the file dialog only
}

void SessionLogTest::sent_isLoggedOnlyWhenTicked()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    const QString path = s.dir.filePath(QStringLiteral("both.log"));
    s.action("mnuMitschnittGesendet")->trigger();
    QVERIFY(s.action("mnuMitschnittGesendet")->isChecked());
    startLog(s, path);

    s.receive("READY\r\n>");
    QTest::keyClicks(s.window->MemoT, QStringLiteral("AB"));
    QCOMPARE(s.sent(2), QByteArray("AB"));
    s.receive("AB");
    // Control C is a sent byte as well.
    QTest::keyClick(s.window->MemoT, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(s.sent(1), QByteArray("\x03"));
    QCOMPARE(fileBytes(path), QByteArray("READY\r\n>ABAB\x03"));

    // Unticked while running: from now on only what is received.
    s.action("mnuMitschnittGesendet")->trigger();
    QTest::keyClicks(s.window->MemoT, QStringLiteral("C"));
    QCOMPARE(s.sent(1), QByteArray("C"));
    s.receive("C");
    QCOMPARE(fileBytes(path), QByteArray("READY\r\n>ABAB\x03" "C"));
}

void SessionLogTest::log_endsWithThePort()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    const QString path = s.dir.filePath(QStringLiteral("port.log"));
    startLog(s, path);
    s.receive("one");
    s.action("tbnCommClose")->trigger();
    QCOMPARE(logPanel(s), QString());
    QVERIFY(!s.action("mnuMitschnitt")->isChecked());

    // Opened again, the port is not logged until the user starts a log again.
    QVERIFY(s.openPort());
    s.receive("two");
    QCOMPARE(fileBytes(path), QByteArray("one"));

    // A device that goes away closes the port, and the log with it, after what came before the loss.
    startLog(s, path);
    s.receive("three");
    s.pty.closeMaster();
    QTRY_VERIFY(!PortOpen);
    QCOMPARE(logPanel(s), QString());
    QCOMPARE(fileBytes(path), QByteArray("onethree"));
}

void SessionLogTest::writeError_stopsTheLogWithOneWarning()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    // Every write to this file fails: the disk is full.
    startLog(s, QStringLiteral("/dev/full"));
    QCOMPARE(logPanel(s), QStringLiteral("LOG"));

    s.receive("10 A=1\r\n");
    QTRY_COMPARE(s.prompts.texts(QStringLiteral("warning")).size(), 1);
    const QString warning = s.prompts.texts(QStringLiteral("warning")).first();
    QVERIFY2(warning.startsWith(QStringLiteral("Der Mitschnitt in /dev/full wurde beendet.\n\n")), qPrintable(warning));
    QCOMPARE(s.prompts.shown.last().caption, QStringLiteral("Mitschnitt"));
    QCOMPARE(logPanel(s), QString());
    QVERIFY(!s.action("mnuMitschnitt")->isChecked());

    // The terminal goes on, and nothing more is said.
    s.receive("20 B=2\r\n");
    QTest::keyClicks(s.window->MemoT, QStringLiteral("x"));
    QCOMPARE(s.sent(1), QByteArray("x"));
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("10 A=1\n20 B=2\n"));
    QCOMPARE(s.prompts.texts(QStringLiteral("warning")).size(), 1);
    QVERIFY(PortOpen);
}

void SessionLogTest::fileThatCannotBeOpened_isSaidAndNothingRuns()
{
    TerminalSession s;
    Language = 2;
    s.start();
    const QString path = s.dir.filePath(QStringLiteral("no/such/folder.log"));
    startLog(s, path);
    QCOMPARE(s.prompts.texts(QStringLiteral("warning")).size(), 1);
    QVERIFY(s.prompts.texts(QStringLiteral("warning"))
                .first()
                .startsWith(QStringLiteral("%1 cannot be opened as a session log.\n\n").arg(path)));
    QCOMPARE(logPanel(s), QString());
    QVERIFY(!s.action("mnuMitschnitt")->isChecked());

    // A cancelled file dialog starts nothing either.
    s.action("mnuMitschnitt")->trigger();
    QVERIFY(!s.action("mnuMitschnitt")->isChecked());
    QCOMPARE(logPanel(s), QString());
}

QTEST_MAIN(SessionLogTest)
#include "tst_sessionlog.moc"
