// Sending a program line by line against a scripted controller on a simulated clock: what is sent,
// when the next line goes, what counts as the answer and when the time-out ends it.

#include "basic/EditorLines.h"
#include "basic/ProgramTransmission.h"

#include <QTest>

#include <map>

using namespace std::chrono_literals;
using ProgramTransmission::Clock;
using ProgramTransmission::Outcome;

namespace {

// The controller's bytes for one line: each piece becomes readable `at` after the line was sent.
struct Piece {
    Clock::duration at;
    QByteArray bytes;
};

class ScriptedLink final : public ProgramTransmission::Link {
public:
    bool open = true;
    // Answers by line number (0-based); a line without a script gets no answer at all.
    std::map<int, QList<Piece>> script;
    // The usual controller: every line answered at once with its echo and the prompt.
    bool echoEveryLine = false;

    // What approve() answers, and after which pass of the window's events (counted from 1) the user has
    // asked to stop (0: never).
    bool approval = true;
    int stopAtPass = 0;

    QList<QByteArray> sent;
    QList<int> answersShownBeforeSend; // for each send, how many answers the pane had by then
    int approvals = 0;
    QStringList calls; // "start 0/3", "send 0", "timeout", "timed out 1" ... in order
    QList<QByteArray> timedOutWith;
    QList<QByteArray> shown;
    QStringList timeouts;
    int eventPasses = 0;
    int reads = 0;

    bool portOpen() const override { return open; }
    bool approve(const EditorLines&) override
    {
        ++approvals;
        return approval;
    }
    void lineStarted(int line, int count) override { calls.append(QStringLiteral("start %1/%2").arg(line).arg(count)); }
    bool stopRequested() const override { return stopAtPass > 0 && eventPasses >= stopAtPass; }
    void lineTimedOut(int line, const QByteArray& received) override
    {
        calls.append(QStringLiteral("timed out %1").arg(line));
        timedOutWith.append(received);
    }
    void writeString(const QByteArray& bytes) override
    {
        calls.append(QStringLiteral("send %1").arg(sent.size()));
        answersShownBeforeSend.append(int(shown.size()));
        sent.append(bytes);
        m_sentAt = m_now;
        m_pending = script.count(int(sent.size()) - 1) ? script.at(int(sent.size()) - 1) : QList<Piece>();
        if (echoEveryLine && !script.count(int(sent.size()) - 1)) {
            const QByteArray line = bytes.chopped(1);
            m_pending = {{0ms, line.isEmpty() ? QByteArray("\r\n\r\n>") : line + "\r\n>"}};
        }
    }
    QByteArray readString() override
    {
        ++reads;
        m_now += 1ms; // each read takes a little time
        QByteArray ready;
        while (!m_pending.isEmpty() && m_sentAt + m_pending.first().at <= m_now)
            ready += m_pending.takeFirst().bytes;
        return ready;
    }
    void waitForInput(Clock::time_point deadline) override
    {
        // Nothing comes before the next piece is due; never past the deadline by more than a step.
        Clock::time_point until = deadline + 1ms;
        if (!m_pending.isEmpty())
            until = std::min(until, m_sentAt + m_pending.first().at);
        m_now = std::max(m_now, until - 1ms);
    }
    Clock::time_point now() const override { return m_now; }
    void showAnswer(const QByteArray& answer) override { shown.append(answer); }
    void processEvents() override { ++eventPasses; }
    void showTimeout(const QString& message) override
    {
        calls.append(QStringLiteral("timeout"));
        timeouts.append(message);
    }

private:
    Clock::time_point m_now{};
    Clock::time_point m_sentAt{};
    QList<Piece> m_pending;
};

} // namespace

Q_DECLARE_METATYPE(Piece)
Q_DECLARE_METATYPE(ProgramTransmission::Failure)

class TransmissionTest : public QObject {
    Q_OBJECT

private slots:
    void linesGoOneAfterTheOther_eachAfterItsExactAnswer();
    void emptyLine_sendsCarriageReturnAndWaitsForTwoLineBreaks();
    void answerInPieces_isAcceptedWhenComplete();
    void deadline_isCheckedAfterTheReadAndBeforeTheComparison_data();
    void deadline_isCheckedAfterTheReadAndBeforeTheComparison();
    void wrongAnswer_timesOutAndStops_data();
    void wrongAnswer_timesOutAndStops();
    void nothingToSend_sendsNothingAndSaysNothing();
    void timeoutMessage_dependsOnLanguage_data();
    void timeoutMessage_dependsOnLanguage();
    void longLine_isCutAt4096Characters();
    void bytes_areTheCharacterCodes();

    void progress_isAnnouncedBeforeEachLineGoes();
    void approval_isAskedOnceBeforeTheFirstLineAndOnlyWhenThereIsSomethingToSend();
    void stop_endsAfterTheLineAnsweredLast();
    void timeout_tellsTheFailingLineAndItsBytesAfterTheMessage();
    void failure_isReadFromTheAnswer_data();
    void failure_isReadFromTheAnswer();
    void statusTexts_inBothLanguages_data();
    void statusTexts_inBothLanguages();
};

void TransmissionTest::linesGoOneAfterTheOther_eachAfterItsExactAnswer()
{
    MemoryLines program({"10 A=1", "20 PRINT A"});
    ScriptedLink link;
    link.script[0] = {{30ms, "10 A=1\r\n>"}};
    link.script[1] = {{500ms, "20 PRINT A\r\n>"}};
    QCOMPARE(ProgramTransmission::transmit(program, link, 1), Outcome::Completed);
    QCOMPARE(link.sent, (QList<QByteArray>{"10 A=1\r", "20 PRINT A\r"}));
    // The second line went only after the first answer was shown and the window had its turn.
    QCOMPARE(link.answersShownBeforeSend, (QList<int>{0, 1}));
    QCOMPARE(link.shown, (QList<QByteArray>{"10 A=1\r\n>", "20 PRINT A\r\n>"}));
    QCOMPARE(link.eventPasses, 2);
    QVERIFY(link.timeouts.isEmpty());
}

void TransmissionTest::emptyLine_sendsCarriageReturnAndWaitsForTwoLineBreaks()
{
    // A final line break adds no line; the empty line in the middle counts.
    MemoryLines program({"10 A=1", "", "20 B=2"}, true);
    ScriptedLink link;
    link.echoEveryLine = true;
    QCOMPARE(ProgramTransmission::transmit(program, link, 1), Outcome::Completed);
    QCOMPARE(link.sent, (QList<QByteArray>{"10 A=1\r", "\r", "20 B=2\r"}));
    QCOMPARE(link.shown.at(1), QByteArray("\r\n\r\n>"));

    // An empty line answered like a program line is not its answer.
    ScriptedLink wrong;
    wrong.script[0] = {{0ms, "\r\n>"}};
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({""}), wrong, 1), Outcome::TimedOut);
}

void TransmissionTest::answerInPieces_isAcceptedWhenComplete()
{
    MemoryLines program({"10 PRINT 1", "20 END"});
    ScriptedLink link;
    link.script[0] = {{2ms, "10 PR"}, {900ms, "INT 1"}, {2500ms, "\r\n"}, {3900ms, ">"}};
    link.echoEveryLine = true;
    QCOMPARE(ProgramTransmission::transmit(program, link, 1), Outcome::Completed);
    QCOMPARE(link.shown.first(), QByteArray("10 PRINT 1\r\n>"));
    QCOMPARE(link.sent.size(), 2);
}

void TransmissionTest::deadline_isCheckedAfterTheReadAndBeforeTheComparison_data()
{
    QTest::addColumn<int>("lastPieceMs");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("well before") << 3000 << true;
    QTest::newRow("at the deadline") << 4000 << true;
    // The read that completes the answer happens after the deadline: the deadline wins.
    QTest::newRow("just after") << 4001 << false;
    QTest::newRow("long after") << 6000 << false;
}

void TransmissionTest::deadline_isCheckedAfterTheReadAndBeforeTheComparison()
{
    QFETCH(int, lastPieceMs);
    QFETCH(bool, accepted);
    MemoryLines program({"10 A=1", "20 B=2"});
    ScriptedLink link;
    link.script[0] = {{1ms, "10 A=1\r\n"}, {std::chrono::milliseconds(lastPieceMs), ">"}};
    link.echoEveryLine = true;
    const Outcome outcome = ProgramTransmission::transmit(program, link, 1);
    QCOMPARE(outcome, accepted ? Outcome::Completed : Outcome::TimedOut);
    QCOMPARE(link.sent.size(), accepted ? 2 : 1);
    QCOMPARE(link.shown.size(), accepted ? 2 : 0);
    QCOMPARE(link.timeouts, accepted ? QStringList() : QStringList{QStringLiteral("Zeitüberschreitung !")});
}

void TransmissionTest::wrongAnswer_timesOutAndStops_data()
{
    QTest::addColumn<QList<Piece>>("answer");
    QTest::newRow("second prompt") << QList<Piece>{{1ms, "20 B=2\r\n>>"}};
    QTest::newRow("extra prompt later") << QList<Piece>{{1ms, "20 B=2\r\n>"}, {1ms, ">"}};
    QTest::newRow("controller's error") << QList<Piece>{{1ms, "20 B=2\r\nERROR: BAD SYNTAX\r\n>"}};
    QTest::newRow("changed echo") << QList<Piece>{{1ms, "20 b=2\r\n>"}};
    QTest::newRow("leftover before") << QList<Piece>{{0ms, "X20 B=2\r\n>"}};
    QTest::newRow("no answer") << QList<Piece>{};
}

void TransmissionTest::wrongAnswer_timesOutAndStops()
{
    QFETCH(QList<Piece>, answer);
    MemoryLines program({"10 A=1", "20 B=2", "30 C=3"});
    ScriptedLink link;
    link.echoEveryLine = true;
    link.script[1] = answer;
    QCOMPARE(ProgramTransmission::transmit(program, link, 1), Outcome::TimedOut);
    // The first line stays shown, the second line's bytes are dropped, the third is never sent.
    QCOMPARE(link.sent, (QList<QByteArray>{"10 A=1\r", "20 B=2\r"}));
    QCOMPARE(link.shown, QList<QByteArray>{"10 A=1\r\n>"});
    QCOMPARE(link.timeouts.size(), 1);
    QCOMPARE(link.eventPasses, 1);
}

void TransmissionTest::nothingToSend_sendsNothingAndSaysNothing()
{
    ScriptedLink closed;
    closed.open = false;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({"10 A=1"}), closed, 1), Outcome::PortClosed);
    QVERIFY(closed.sent.isEmpty());

    ScriptedLink empty;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines(), empty, 1), Outcome::NoLines);
    QVERIFY(empty.sent.isEmpty());
    QVERIFY(empty.timeouts.isEmpty());
    QCOMPARE(empty.reads, 0);

    // A pane holding a single line break holds one empty line.
    ScriptedLink lineBreak;
    lineBreak.echoEveryLine = true;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({""}, true), lineBreak, 1), Outcome::Completed);
    QCOMPARE(lineBreak.sent, QList<QByteArray>{"\r"});
}

void TransmissionTest::timeoutMessage_dependsOnLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("message");
    QTest::newRow("German") << 1 << QStringLiteral("Zeitüberschreitung !");
    QTest::newRow("English") << 2 << QStringLiteral("Timeout !");
    QTest::newRow("unknown 0") << 0 << QStringLiteral("Timeout !");
    QTest::newRow("unknown 3") << 3 << QStringLiteral("Timeout !");
}

void TransmissionTest::timeoutMessage_dependsOnLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, message);
    ScriptedLink link;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({"10 A=1"}), link, language), Outcome::TimedOut);
    QCOMPARE(link.timeouts, QStringList{message});
}

void TransmissionTest::longLine_isCutAt4096Characters()
{
    const QString line = QStringLiteral("10 REM ") + QString(5000, QLatin1Char('X'));
    ScriptedLink link;
    link.echoEveryLine = true;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({line}), link, 1), Outcome::Completed);
    QCOMPARE(link.sent.first().size(), 4097);
    QCOMPARE(link.sent.first(), line.left(4096).toLatin1() + '\r');
    QCOMPARE(link.shown.first(), line.left(4096).toLatin1() + "\r\n>");
}

void TransmissionTest::bytes_areTheCharacterCodes()
{
    const QString line = QStringLiteral("10 PRINT \"\u00e4\u00df\u00a0\u00ff\"");
    QCOMPARE(ProgramTransmission::lineToSend(line), QByteArray("10 PRINT \"\xe4\xdf\xa0\xff\"\r"));
    QCOMPARE(ProgramTransmission::expectedAnswer(line), QByteArray("10 PRINT \"\xe4\xdf\xa0\xff\"\r\n>"));
}

void TransmissionTest::progress_isAnnouncedBeforeEachLineGoes()
{
    ScriptedLink link;
    link.echoEveryLine = true;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({"10 A=1", "", "20 B=2"}), link, 1), Outcome::Completed);
    QCOMPARE(link.calls, (QStringList{"start 0/3", "send 0", "start 1/3", "send 1", "start 2/3", "send 2"}));
}

void TransmissionTest::approval_isAskedOnceBeforeTheFirstLineAndOnlyWhenThereIsSomethingToSend()
{
    ScriptedLink declined;
    declined.approval = false;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({"10 A=1", "20 B=2"}), declined, 1), Outcome::Declined);
    QCOMPARE(declined.approvals, 1);
    QVERIFY(declined.sent.isEmpty());
    QVERIFY(declined.calls.isEmpty());
    QCOMPARE(declined.reads, 0);

    ScriptedLink approved;
    approved.echoEveryLine = true;
    QCOMPARE(ProgramTransmission::transmit(MemoryLines({"10 A=1", "20 B=2"}), approved, 1), Outcome::Completed);
    QCOMPARE(approved.approvals, 1);
    QCOMPARE(approved.sent.size(), 2);

    // Nothing to send: no question either.
    ScriptedLink closed;
    closed.open = false;
    ProgramTransmission::transmit(MemoryLines({"10 A=1"}), closed, 1);
    ScriptedLink empty;
    ProgramTransmission::transmit(MemoryLines(), empty, 1);
    QCOMPARE(closed.approvals + empty.approvals, 0);
}

void TransmissionTest::stop_endsAfterTheLineAnsweredLast()
{
    MemoryLines program({"10 A=1", "20 B=2", "30 C=3", "40 D=4"});
    ScriptedLink link;
    link.echoEveryLine = true;
    link.stopAtPass = 2; // asked while the second line waited; seen once its answer is in
    QCOMPARE(ProgramTransmission::transmit(program, link, 1), Outcome::Stopped);
    QCOMPARE(link.sent, (QList<QByteArray>{"10 A=1\r", "20 B=2\r"}));
    QCOMPARE(link.shown.size(), 2);
    QVERIFY(link.timeouts.isEmpty());

    // Asked with the last line's answer: everything went out, so it is complete.
    ScriptedLink late;
    late.echoEveryLine = true;
    late.stopAtPass = 4;
    QCOMPARE(ProgramTransmission::transmit(program, late, 1), Outcome::Completed);
    QCOMPARE(late.sent.size(), 4);
}

void TransmissionTest::timeout_tellsTheFailingLineAndItsBytesAfterTheMessage()
{
    MemoryLines program({"10 A=1", "20 B=2", "30 C=3"});
    ScriptedLink link;
    link.echoEveryLine = true;
    link.script[1] = {{1ms, "20 B=2\a\r\n>"}};
    QCOMPARE(ProgramTransmission::transmit(program, link, 1), Outcome::TimedOut);
    QCOMPARE(link.calls.mid(4), (QStringList{"timeout", "timed out 1"}));
    QCOMPARE(link.timedOutWith, QList<QByteArray>{"20 B=2\a\r\n>"});
    // The bytes are for the reason only: they are not shown.
    QCOMPARE(link.shown.size(), 1);
}

void TransmissionTest::failure_isReadFromTheAnswer_data()
{
    using ProgramTransmission::Failure;
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<Failure>("failure");
    QTest::newRow("nothing") << QByteArray() << Failure::NoAnswer;
    QTest::newRow("bell for the rest of a long line") << QByteArray("10 REM XXX\a\a\a\r\n>") << Failure::TooLong;
    QTest::newRow("a single bell") << QByteArray("\a") << Failure::TooLong;
    QTest::newRow("error") << QByteArray("70000 A=1\r\n\r\nERROR: INVALID LINE NUMBER\r\nREADY\r\n>")
                           << Failure::BoardError;
    // The bell says why the board then failed on the cut line.
    QTest::newRow("bell and error") << QByteArray("\a\r\nERROR: BAD SYNTAX\r\n>") << Failure::TooLong;
    QTest::newRow("second prompt") << QByteArray("10 A=1\r\n>>") << Failure::Unexpected;
    QTest::newRow("small letters are no error") << QByteArray("10 PRINT \"error\"\r\n") << Failure::Unexpected;
}

void TransmissionTest::failure_isReadFromTheAnswer()
{
    QFETCH(QByteArray, received);
    QFETCH(ProgramTransmission::Failure, failure);
    QCOMPARE(ProgramTransmission::failureOf(received), failure);
}

void TransmissionTest::statusTexts_inBothLanguages_data()
{
    using ProgramTransmission::Failure;
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("German") << 1
                            << QStringList{"Zeile 37 / 300", "Abgebrochen nach Zeile 37", "Zeile 20: zu lang (BEL)",
                                           "Zeile 20: Fehler des Boards", "Zeile 20: keine Antwort",
                                           "Zeile 20: unerwartete Antwort"};
    QTest::newRow("English") << 2
                             << QStringList{"Line 37 / 300", "Stopped after line 37", "Line 20: too long (BEL)",
                                            "Line 20: board error", "Line 20: no answer", "Line 20: unexpected answer"};
}

void TransmissionTest::statusTexts_inBothLanguages()
{
    using ProgramTransmission::Failure;
    QFETCH(int, language);
    QFETCH(QStringList, texts);
    QCOMPARE((QStringList{ProgramTransmission::progressText(37, 300, language),
                          ProgramTransmission::stoppedText(37, language),
                          ProgramTransmission::failureText(20, Failure::TooLong, language),
                          ProgramTransmission::failureText(20, Failure::BoardError, language),
                          ProgramTransmission::failureText(20, Failure::NoAnswer, language),
                          ProgramTransmission::failureText(20, Failure::Unexpected, language)}),
             texts);
}

QTEST_GUILESS_MAIN(TransmissionTest)
#include "tst_transmission.moc"
