// What the transmission tells and lets the user do while it runs, through the main window against a
// controller played from its own thread: the check before the first line, the progress in the status
// bar, the stop command, the window painted while a line waits, and the line that failed.

#include "LinePeer.h"
#include "TerminalSession.h"

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>

using namespace GlobVar;
using namespace std::chrono_literals;

namespace {

// Reads the status panel of the transmission each time the window gets to its events.
class PanelRecorder final : public QObject {
public:
    explicit PanelRecorder(StatusBar* bar) : m_bar(bar)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const QString text = m_bar->panelText(4);
            if (texts.isEmpty() || texts.last() != text)
                texts.append(text);
        });
        m_timer.start(0);
    }
    QStringList texts;

private:
    StatusBar* m_bar;
    QTimer m_timer;
};

// Paint events of a widget, with the time each came.
class PaintLog final : public QObject {
public:
    std::vector<LinePeer::Clock::time_point> paints;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            paints.push_back(LinePeer::Clock::now());
        return false;
    }
};

QStringList numberedProgram(int lines)
{
    QStringList program;
    for (int k = 1; k <= lines; ++k)
        program.append(QStringLiteral("%1 PRINT %2").arg(k * 10).arg(k));
    return program;
}

QByteArray sentBytes(const QStringList& program)
{
    return (program.join(QLatin1Char('\r')) + QLatin1Char('\r')).toLatin1();
}

// Answers the check question once it shows, as `answer` says; records its entries.
struct CheckQuestion {
    QStringList entries;
    bool shown = false;

    void answerWith(const std::function<void(QDialog*)>& answer)
    {
        QTimer::singleShot(0, qApp, [this, answer] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shown = true;
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("lstProblems"));
            for (int row = 0; list && row < list->count(); ++row)
                entries.append(list->item(row)->text());
            answer(dialog);
        });
    }
};

void clickButton(QDialog* dialog, const char* name)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class TransmissionControlTest : public QObject {
    Q_OBJECT

private slots:
    void check_listsEveryKindAndChoosingOneShowsItsLine();
    void check_answers_data();
    void check_answers();
    void check_cleanProgramGoesOutAsBefore();
    void progress_showsTheLineAndClearsAtTheEnd_data();
    void progress_showsTheLineAndClearsAtTheEnd();
    void stop_waitsForTheLineThenEnds_data();
    void stop_waitsForTheLineThenEnds();
    void keysTypedMeanwhile_areNotSent();
    void waitingLine_paintsTheWindowButRunsNoTimer();
    void failingLine_getsTheCaretAndItsReason_data();
    void failingLine_getsTheCaretAndItsReason();
};

void TransmissionControlTest::check_listsEveryKindAndChoosingOneShowsItsLine()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), LinePeer::echo);
    s.window->RTF->setPlainText(QStringLiteral("10 A=1\n\nNEW\n20 REM %1\n70000 B=2\n10 C=3\n").arg(QString(80, 'X')));

    CheckQuestion question;
    question.answerWith([](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("lstProblems"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    });
    s.action("tbnTransmit")->trigger();

    QVERIFY(question.shown);
    QCOMPARE(
        question.entries,
        (QStringList{"Zeile 3: keine Zeilennummer, das Board führt sie sofort als Befehl aus",
                     "Zeile 4: 87 Zeichen, das Board behält nur 78", "Zeile 5: Zeilennummer 70000 ist größer als 65535",
                     "Zeile 6: Zeilennummer 10 stand schon in Zeile 1, das Board ersetzt jene"}));
    // The chosen line in front, nothing sent.
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetEd);
    QCOMPARE(s.window->RTF->textCursor().blockNumber(), 4);
    QCOMPARE(s.window->RTF->textCursor().positionInBlock(), 0);
    QCOMPARE(s.sentUntilQuiet(200), QByteArray());
    QCOMPARE(s.window->StatusBar1->panelText(4), QString());
    QVERIFY(s.prompts.shown.isEmpty());
}

void TransmissionControlTest::check_answers_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("sent");
    QTest::newRow("Trotzdem senden") << 1 << "btnSend" << true;
    QTest::newRow("Abbrechen") << 1 << "btnCancel" << false;
    QTest::newRow("Send anyway") << 2 << "btnSend" << true;
    QTest::newRow("Escape") << 2 << "" << false;
}

void TransmissionControlTest::check_answers()
{
    QFETCH(int, language);
    QFETCH(QString, button);
    QFETCH(bool, sent);
    TerminalSession s;
    Language = language;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), LinePeer::echo);
    const QStringList program{"10 A=1", "print a", "20 B=2"};
    s.window->RTF->setPlainText(program.join('\n'));

    CheckQuestion question;
    QString send;
    QString cancel;
    question.answerWith([&](QDialog* dialog) {
        send = dialog->findChild<QPushButton*>(QStringLiteral("btnSend"))->text();
        cancel = dialog->findChild<QPushButton*>(QStringLiteral("btnCancel"))->text();
        if (button.isEmpty())
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            clickButton(dialog, qPrintable(button));
    });
    s.action("tbnTransmit")->trigger();

    QVERIFY(question.shown);
    QCOMPARE(send, language == 1 ? QString("Trotzdem senden") : QString("Send anyway"));
    QCOMPARE(cancel, language == 1 ? QString("Abbrechen") : QString("Cancel"));
    QCOMPARE(question.entries.size(), 1);
    QCOMPARE(peer.received(), sent ? sentBytes(program) : QByteArray());
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetTerm);
    QVERIFY(s.prompts.shown.isEmpty());
}

void TransmissionControlTest::check_cleanProgramGoesOutAsBefore()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), LinePeer::echo);
    // Blank lines, blanks in front of a number and the longest line the board keeps are all fine.
    const QStringList program{"10 A=1", "", " 20 B=2", "30 REM " + QString(71, 'X'), "   "};
    s.window->RTF->setPlainText(program.join('\n'));
    CheckQuestion question;
    question.answerWith([](QDialog* dialog) { dialog->reject(); });
    s.action("tbnTransmit")->trigger();
    QVERIFY(!question.shown);
    QCOMPARE(peer.received(), sentBytes(program));
}

void TransmissionControlTest::progress_showsTheLineAndClearsAtTheEnd_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("German") << 1 << QStringList{"Zeile 1 / 5", "Zeile 2 / 5", "Zeile 3 / 5",
                                                "Zeile 4 / 5", "Zeile 5 / 5", ""};
    QTest::newRow("English") << 2
                             << QStringList{"Line 1 / 5", "Line 2 / 5", "Line 3 / 5", "Line 4 / 5", "Line 5 / 5", ""};
}

void TransmissionControlTest::progress_showsTheLineAndClearsAtTheEnd()
{
    QFETCH(int, language);
    QFETCH(QStringList, texts);
    TerminalSession s;
    Language = language;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), LinePeer::echo);
    s.window->RTF->setPlainText(numberedProgram(5).join('\n'));
    // What a failed transmission left there goes when the next one starts.
    s.window->StatusBar1->setPanelText(4, QStringLiteral("Zeile 9: keine Antwort"));
    PanelRecorder panel(s.window->StatusBar1);
    s.action("tbnTransmit")->trigger();
    QTRY_COMPARE(panel.texts, texts);
    // The panel grows with its longest texts.
    StatusBar* bar = s.window->StatusBar1;
    bar->setPanelText(4, language == 1 ? QStringLiteral("Abgebrochen nach Zeile 30000")
                                       : QStringLiteral("Line 30000: unexpected answer"));
    QVERIFY(bar->shownWidth(4) > bar->fontMetrics().horizontalAdvance(bar->panelText(4)));
}

void TransmissionControlTest::stop_waitsForTheLineThenEnds_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("toolbar button") << "tbnTransmit";
    QTest::newRow("menu item") << "mnuTransmit";
    QTest::newRow("Escape in the terminal") << "Escape";
}

void TransmissionControlTest::stop_waitsForTheLineThenEnds()
{
    QFETCH(QString, command);
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    QAction* button = s.action("tbnTransmit");
    QAction* item = s.action("mnuTransmit");
    QAction* fetch = s.action("mnuFetch");
    QAction* stop = command == QLatin1String("Escape") ? nullptr : s.action(qPrintable(command));
    const QString startHint = button->toolTip();
    const qint64 startIcon = button->icon().cacheKey();
    QString runningHint;
    QString runningItem;
    bool fetchEnabled = true;
    // The stop is given while the second line waits for its answer; the window sees it only once the
    // answer is in.
    QPlainTextEdit* pane = s.window->MemoT;
    LinePeer peer(s.pty.master(), [&](const QByteArray& line) {
        if (line.startsWith("20")) {
            if (stop)
                QMetaObject::invokeMethod(stop, &QAction::trigger, Qt::QueuedConnection);
            else
                QCoreApplication::postEvent(
                    pane, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")));
            QMetaObject::invokeMethod(
                pane,
                [&] {
                    runningHint = button->toolTip();
                    runningItem = item->text();
                    fetchEnabled = fetch->isEnabled();
                    // A second start while it runs is only the stop again.
                    button->trigger();
                    item->trigger();
                },
                Qt::QueuedConnection);
        }
        LinePeer::Reply reply = LinePeer::echo(line);
        reply.delay = 100ms;
        return reply;
    });
    const QStringList program = numberedProgram(6);
    s.window->RTF->setPlainText(program.join('\n'));
    s.window->MemoT->setFocus();
    button->trigger();

    QCOMPARE(peer.received(), sentBytes(program.mid(0, 2)));
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("10 PRINT 1\n>20 PRINT 2\n>"));
    StatusBar* bar = s.window->StatusBar1;
    QCOMPARE(bar->panelText(4), QStringLiteral("Abgebrochen nach Zeile 2"));
    // Wider than the panel was, and clear of the overwrite indicator and the clock.
    QVERIFY(bar->shownWidth(4) > bar->fontMetrics().horizontalAdvance(bar->panelText(4)));
    QVERIFY2(bar->panelLeft(5) <= s.window->pnlOverWrite->x(),
             qPrintable(QStringLiteral("%1 %2").arg(bar->panelLeft(5)).arg(s.window->pnlOverWrite->x())));
    QVERIFY(s.prompts.shown.isEmpty());
    QCOMPARE(runningHint, QStringLiteral("Übertragung abbrechen"));
    QCOMPARE(runningItem, QStringLiteral("Übertragung abbrechen"));
    QVERIFY(!fetchEnabled);
    // Back to the start command; nothing more goes out.
    QCOMPARE(button->toolTip(), startHint);
    QCOMPARE(button->icon().cacheKey(), startIcon);
    QCOMPARE(item->text(), QStringLiteral("Programm übertragen"));
    QVERIFY(fetch->isEnabled());
    QTest::qWait(300);
    QCOMPARE(peer.received(), sentBytes(program.mid(0, 2)));
    // Escape reaches the board again once nothing runs.
    QTest::keyClick(pane, Qt::Key_Escape);
    QTRY_COMPARE(peer.received(), sentBytes(program.mid(0, 2)) + "\x1b");
}

void TransmissionControlTest::keysTypedMeanwhile_areNotSent()
{
    TerminalSession s;
    ComEcho = true;
    s.start();
    QVERIFY(s.openPort());
    QPlainTextEdit* pane = s.window->MemoT;
    LinePeer peer(s.pty.master(), [&](const QByteArray& line) {
        if (line.startsWith("10")) {
            for (const char* key : {"X", "\r"})
                QCoreApplication::postEvent(pane,
                                            new QKeyEvent(QEvent::KeyPress, key[0] == '\r' ? Qt::Key_Return : Qt::Key_X,
                                                          Qt::NoModifier, QString::fromLatin1(key)));
        }
        return LinePeer::echo(line);
    });
    const QStringList program = numberedProgram(3);
    s.window->RTF->setPlainText(program.join('\n'));
    pane->setFocus();
    s.action("tbnTransmit")->trigger();
    QTest::qWait(200);
    QCOMPARE(peer.received(), sentBytes(program));
    // Not shown by the local echo either.
    QCOMPARE(pane->toPlainText(), QStringLiteral("10 PRINT 1\n>20 PRINT 2\n>30 PRINT 3\n>"));
}

void TransmissionControlTest::waitingLine_paintsTheWindowButRunsNoTimer()
{
    TerminalSession s;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), [](const QByteArray& line) {
        LinePeer::Reply reply = LinePeer::echo(line);
        reply.delay = 700ms;
        return reply;
    });
    s.window->RTF->setPlainText(QStringLiteral("10 A=1"));
    s.window->PageControl1->setCurrentWidget(s.window->TSheetEd);
    QTest::qWait(50);
    PaintLog terminal;
    s.window->MemoT->viewport()->installEventFilter(&terminal);
    PaintLog status;
    s.window->StatusBar1->installEventFilter(&status);
    // Nothing on this toolbar changes; what a menu closed just before left there is redrawn all the same.
    PaintLog toolbar;
    s.window->tbStandard->installEventFilter(&toolbar);
    LinePeer::Clock::time_point timerRan{};
    QTimer::singleShot(1, s.window.get(), [&] { timerRan = LinePeer::Clock::now(); });

    s.action("tbnTransmit")->trigger();

    const std::vector<LinePeer::Event> events = peer.events();
    QCOMPARE(events.size(), size_t(2));
    const auto waitedFrom = events[0].at;
    const auto answeredAt = events[1].at;
    auto paintedDuringWait = [&](const PaintLog& log) {
        return std::count_if(log.paints.begin(), log.paints.end(),
                             [&](auto at) { return at > waitedFrom && at < answeredAt; });
    };
    // The terminal page, brought forward, and the progress are painted while the line waits.
    QVERIFY(paintedDuringWait(terminal) > 0);
    QVERIFY(paintedDuringWait(status) > 0);
    QVERIFY(paintedDuringWait(toolbar) > 0);
    // The timer was due long before the answer, but runs only after it.
    QTRY_VERIFY(timerRan != LinePeer::Clock::time_point{});
    QVERIFY(timerRan > answeredAt);
}

void TransmissionControlTest::failingLine_getsTheCaretAndItsReason_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("reason");
    QTest::newRow("bell") << QByteArray("20 B=2\a\a\r\n>") << 1 << "Zeile 2: zu lang (BEL)";
    QTest::newRow("error") << QByteArray("20 B=2\r\n\r\nERROR: BAD SYNTAX\r\nREADY\r\n>") << 1
                           << "Zeile 2: Fehler des Boards";
    QTest::newRow("silence") << QByteArray() << 1 << "Zeile 2: keine Antwort";
    QTest::newRow("silence, English") << QByteArray() << 2 << "Line 2: no answer";
}

void TransmissionControlTest::failingLine_getsTheCaretAndItsReason()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, language);
    QFETCH(QString, reason);
    TerminalSession s;
    Language = language;
    s.start();
    QVERIFY(s.openPort());
    LinePeer peer(s.pty.master(), [&](const QByteArray& line) {
        return line.startsWith("20") ? LinePeer::Reply{answer} : LinePeer::echo(line);
    });
    s.window->RTF->setPlainText(QStringLiteral("10 A=1\n20 B=2\n30 C=3"));
    s.window->RTF->moveCursor(QTextCursor::End);
    s.action("tbnTransmit")->trigger();

    // The warning keeps its text; the terminal stays in front; the editor's caret waits on the line.
    QCOMPARE(s.prompts.texts("warning"), QStringList{language == 1 ? "Zeitüberschreitung !" : "Timeout !"});
    QCOMPARE(s.window->PageControl1->currentWidget(), s.window->TSheetTerm);
    QCOMPARE(s.window->RTF->textCursor().blockNumber(), 1);
    QCOMPARE(s.window->RTF->textCursor().positionInBlock(), 0);
    QCOMPARE(s.window->StatusBar1->panelText(4), reason);
    QCOMPARE(peer.received(), QByteArray("10 A=1\r20 B=2\r"));
    QCOMPARE(s.action("tbnTransmit")->toolTip(),
             language == 1 ? QString("Übertragung starten") : QString("Start Trasmission"));
}

QTEST_MAIN(TransmissionControlTest)
#include "tst_transmission_control.moc"
