// The board's program fetched into the editor through the main window, with the board played from its
// own thread (or not at all): the listing as a new unnamed document, the close question first, and a
// board that does not answer.

#include "LinePeer.h"
#include "TerminalSession.h"

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QThread>

using namespace GlobVar;

namespace {

const QByteArray Listing = "LIST\r\n"
                           "10     A=1\r\n"
                           "20     PRINT  A\r\n"
                           "\r\nREADY\r\n>";

LinePeer::Reply listingBoard(const QByteArray& line) { return {line == "LIST" ? Listing : LinePeer::echo(line).bytes}; }

} // namespace

Q_DECLARE_METATYPE(Prompts::Answer)

class FetchUiTest : public QObject {
    Q_OBJECT

private slots:
    void listing_becomesANewUnnamedDocument();
    void commands_followThePort();
    void fetchRightAfterAnother_isAnsweredToo();
    void textWaitingBefore_staysOutOfTheProgram();
    void modifiedDocument_isAskedAboutFirst_data();
    void modifiedDocument_isAskedAboutFirst();
    void boardWithoutProgram_saysSo();
    void silentBoard_endsWithTheTimeout_data();
    void silentBoard_endsWithTheTimeout();
};

void FetchUiTest::listing_becomesANewUnnamedDocument()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), listingBoard);
    s.window->MemoT->setPlainText(QStringLiteral(">"));
    s.window->MemoT->moveCursor(QTextCursor::End);

    s.action("mnuFetch")->trigger();

    QCOMPARE(s.window->RTF->toPlainText(), QStringLiteral("10 A=1\n20 PRINT  A\n"));
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetEd);
    // No file holds it yet.
    QCOMPARE(CurrentFileName, DefaultFileName);
    QVERIFY(EditorModified);
    QCOMPARE(s.window->PageControl1->tabText(1), QStringLiteral("Editor - ohne Namen *"));
    QVERIFY(s.action("mnuSave")->isEnabled());
    // The terminal shows the dialogue as if LIST had been typed.
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral(">LIST\n10     A=1\n20     PRINT  A\n\nREADY\n>"));
    QCOMPARE(peer.received(), QByteArray("LIST\r"));
    QCOMPARE(s.window->StatusBar1->panelText(4), QString());
    QVERIFY(s.prompts.shown.isEmpty());
}

void FetchUiTest::commands_followThePort()
{
    TerminalSession s;
    s.start();
    QAction* item = s.action("mnuFetch");
    QAction* popup = s.action("popFetch");
    QVERIFY(s.window->popmnuTerm->actions().contains(popup));
    QVERIFY(!item->isEnabled() && !popup->isEnabled());
    QVERIFY(!s.action("mnuTransmit")->isEnabled());
    // Run from code while the port is closed, it does nothing.
    s.window->RTF->setPlainText(QStringLiteral("10 A=1"));
    s.window->mnuFetchClick();
    QVERIFY(s.prompts.shown.isEmpty());
    QCOMPARE(s.window->RTF->toPlainText(), QStringLiteral("10 A=1"));

    QVERIFY(s.openPort());
    QVERIFY(item->isEnabled() && popup->isEnabled() && s.action("mnuTransmit")->isEnabled());
    LinePeer peer(s.pty.master(), listingBoard);
    s.prompts.answers.enqueue(Prompts::Answer::No);
    popup->trigger();
    QTRY_COMPARE(s.window->RTF->toPlainText(), QStringLiteral("10 A=1\n20 PRINT  A\n"));

    s.action("tbnCommClose")->trigger();
    QVERIFY(!item->isEnabled() && !popup->isEnabled() && !s.action("mnuTransmit")->isEnabled());
}

void FetchUiTest::fetchRightAfterAnother_isAnsweredToo()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), listingBoard);
    // No pass of the window's events in between: the first LIST's hand-over is still waiting.
    s.window->mnuFetchClick();
    EditorModified = false;
    s.window->mnuFetchClick();
    QVERIFY2(s.prompts.shown.isEmpty(), qPrintable(s.prompts.texts("warning").join(',')));
    QCOMPARE(peer.received(), QByteArray("LIST\rLIST\r"));
    QCOMPARE(s.window->RTF->toPlainText(), QStringLiteral("10 A=1\n20 PRINT  A\n"));
}

void FetchUiTest::textWaitingBefore_staysOutOfTheProgram()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    // The board said something the window has not shown yet.
    s.pty.write("99     STALE\r\n>");
    QElapsedTimer clock;
    clock.start();
    while (s.window->SerComm1->InputCount() < 15 && clock.elapsed() < 2000)
        QThread::msleep(2);
    LinePeer peer(s.pty.master(), listingBoard);
    s.window->mnuFetchClick();
    QCOMPARE(s.window->RTF->toPlainText(), QStringLiteral("10 A=1\n20 PRINT  A\n"));
    QVERIFY2(s.window->MemoT->toPlainText().startsWith(QStringLiteral("99     STALE\n>LIST\n")),
             qPrintable(s.window->MemoT->toPlainText()));
}

void FetchUiTest::modifiedDocument_isAskedAboutFirst_data()
{
    QTest::addColumn<Prompts::Answer>("answer");
    QTest::addColumn<bool>("fetched");
    QTest::newRow("Cancel keeps it and asks the board nothing") << Prompts::Answer::Cancel << false;
    QTest::newRow("No discards it") << Prompts::Answer::No << true;
    // Yes with the file dialog cancelled: not saved, so not discarded either.
    QTest::newRow("Yes, but not saved") << Prompts::Answer::Yes << false;
}

void FetchUiTest::modifiedDocument_isAskedAboutFirst()
{
    QFETCH(Prompts::Answer, answer);
    QFETCH(bool, fetched);
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), listingBoard);
    s.window->RTF->setPlainText(QStringLiteral("100 REM MINE"));
    QVERIFY(EditorModified);
    s.prompts.answers.enqueue(answer);

    s.action("mnuFetch")->trigger();

    QCOMPARE(s.prompts.texts("confirm"), QStringList{"Änderungen speichern in <ohne Namen> ?"});
    QCOMPARE(s.window->RTF->toPlainText(), fetched ? QStringLiteral("10 A=1\n20 PRINT  A\n") : "100 REM MINE");
    QVERIFY(EditorModified);
    if (!fetched) {
        QCOMPARE(s.sentUntilQuiet(200), QByteArray());
        QVERIFY(peer.received().isEmpty());
        QVERIFY(s.window->MemoT->toPlainText().isEmpty());
    }
}

void FetchUiTest::boardWithoutProgram_saysSo()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), [](const QByteArray&) { return LinePeer::Reply{"LIST\r\n\r\nREADY\r\n>"}; });
    s.window->RTF->setPlainText(QStringLiteral("100 REM MINE"));
    s.prompts.answers.enqueue(Prompts::Answer::No);
    s.action("mnuFetch")->trigger();
    QCOMPARE(s.prompts.texts("message"), QStringList{"Auf dem Board ist kein Programm."});
    QCOMPARE(s.window->RTF->toPlainText(), QStringLiteral("100 REM MINE"));
}

void FetchUiTest::silentBoard_endsWithTheTimeout_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("message");
    QTest::newRow("German") << 1 << "Zeitüberschreitung !";
    QTest::newRow("English") << 2 << "Timeout !";
}

void FetchUiTest::silentBoard_endsWithTheTimeout()
{
    QFETCH(int, language);
    QFETCH(QString, message);
    TerminalSession s;
    Language = language;
    s.start();
    QVERIFY(s.openPort());
    s.window->RTF->setPlainText(QStringLiteral("100 REM MINE"));
    s.prompts.answers.enqueue(Prompts::Answer::No);
    QElapsedTimer clock;
    clock.start();
    s.action("mnuFetch")->trigger();
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 4000 && elapsed < 9000, qPrintable(QString::number(elapsed)));
    QCOMPARE(s.prompts.texts("warning"), QStringList{message});
    QCOMPARE(s.sent(5), QByteArray("LIST\r"));
    // Nothing of the document was given up for it.
    QCOMPARE(s.window->RTF->toPlainText(), QStringLiteral("100 REM MINE"));
    QVERIFY(EditorModified);
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetTerm);
    QCOMPARE(s.window->StatusBar1->panelText(4), QString());
}

QTEST_MAIN(FetchUiTest)
#include "tst_fetch_ui.moc"
