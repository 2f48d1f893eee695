// The board's program brought back: LIST sent, the listing collected until READY and the prompt with
// the time-out counted from the last bytes, on a simulated clock; and the listing turned back into
// program lines.

#include "basic/ProgramFetch.h"

#include <QTest>

using namespace std::chrono_literals;
using ProgramFetch::Clock;
using ProgramFetch::Outcome;

namespace {

// The board's bytes after LIST, each piece readable `at` after the send.
struct Piece {
    Clock::duration at;
    QByteArray bytes;
};

class ScriptedLine final : public BoardLine {
public:
    bool open = true;
    bool lost = false;
    QList<Piece> pieces;
    QByteArray sent;

    bool portOpen() const override { return open; }
    void writeString(const QByteArray& bytes) override
    {
        sent += bytes;
        m_sentAt = m_now;
    }
    QByteArray readString() override
    {
        m_now += 1ms;
        QByteArray ready;
        while (!pieces.isEmpty() && m_sentAt + pieces.first().at <= m_now)
            ready += pieces.takeFirst().bytes;
        return ready;
    }
    void waitForInput(Clock::time_point deadline) override
    {
        Clock::time_point until = deadline + 1ms;
        if (!pieces.isEmpty())
            until = std::min(until, m_sentAt + pieces.first().at);
        m_now = std::max(m_now, until - 1ms);
    }
    Clock::time_point now() const override { return m_now; }
    bool portLost() const override { return lost; }
    // Time since the send.
    Clock::duration elapsed() const { return m_now - m_sentAt; }

private:
    Clock::time_point m_now{};
    Clock::time_point m_sentAt{};
};

const QByteArray Listing = "LIST\r\n"
                           "10     REM COUNT\r\n"
                           "20     FOR I=1 TO 3 : PRINT I : NEXT I\r\n"
                           "65535  END\r\n"
                           "\r\nREADY\r\n>";

} // namespace

Q_DECLARE_METATYPE(Piece)

class ProgramFetchTest : public QObject {
    Q_OBJECT

private slots:
    void listing_isCollectedUntilReadyAndPrompt();
    void silence_isCountedFromTheLastBytes_data();
    void silence_isCountedFromTheLastBytes();
    void noBoard_sendsNothingOrStops();
    void completion_needsReadyAndThePromptAtTheEnd_data();
    void completion_needsReadyAndThePromptAtTheEnd();
    void programLines_data();
    void programLines();
};

void ProgramFetchTest::listing_isCollectedUntilReadyAndPrompt()
{
    ScriptedLine line;
    // The board lists in pieces that cut lines anywhere; what comes after the prompt is not waited for.
    line.pieces = {{5ms, Listing.left(9)},
                   {40ms, Listing.mid(9, 30)},
                   {900ms, Listing.mid(39, 40)},
                   {1500ms, Listing.mid(79)},
                   {1600ms, "10 PRINT"}};
    QList<int> progress;
    const ProgramFetch::Result result = ProgramFetch::fetch(line, [&](int lines) { progress.append(lines); });
    QCOMPARE(result.outcome, Outcome::Completed);
    QCOMPARE(line.sent, QByteArray("LIST\r"));
    QCOMPARE(result.received, Listing);
    QVERIFY(line.elapsed() < 1600ms);
    // Only program lines count, each once it is complete.
    QVERIFY2(!progress.isEmpty() && progress.last() == 3, qPrintable(QString::number(progress.value(0))));
    for (qsizetype k = 1; k < progress.size(); ++k)
        QVERIFY(progress[k] > progress[k - 1]);
}

void ProgramFetchTest::silence_isCountedFromTheLastBytes_data()
{
    QTest::addColumn<QList<Piece>>("pieces");
    QTest::addColumn<bool>("complete");
    QTest::newRow("each gap under four seconds, twelve in all")
        << QList<Piece>{{3s, Listing.left(20)}, {6900ms, Listing.mid(20, 30)}, {10800ms, Listing.mid(50)}} << true;
    QTest::newRow("first answer after four seconds") << QList<Piece>{{4001ms, Listing}} << false;
    QTest::newRow("a gap of over four seconds")
        << QList<Piece>{{1s, Listing.left(20)}, {5100ms, Listing.mid(20)}} << false;
    QTest::newRow("never READY") << QList<Piece>{{1s, Listing.left(60)}} << false;
}

void ProgramFetchTest::silence_isCountedFromTheLastBytes()
{
    QFETCH(QList<Piece>, pieces);
    QFETCH(bool, complete);
    ScriptedLine line;
    line.pieces = pieces;
    const ProgramFetch::Result result = ProgramFetch::fetch(line);
    QCOMPARE(result.outcome, complete ? Outcome::Completed : Outcome::TimedOut);
    // What came is kept either way, for the terminal.
    QVERIFY(Listing.startsWith(result.received));
    if (!complete)
        QVERIFY(line.elapsed() < 12s);
}

void ProgramFetchTest::noBoard_sendsNothingOrStops()
{
    ScriptedLine closed;
    closed.open = false;
    QCOMPARE(ProgramFetch::fetch(closed).outcome, Outcome::PortClosed);
    QVERIFY(closed.sent.isEmpty());

    ScriptedLine lost;
    lost.lost = true;
    lost.pieces = {{2s, Listing}};
    QCOMPARE(ProgramFetch::fetch(lost).outcome, Outcome::PortLost);
    QVERIFY(lost.elapsed() < 1s);
}

void ProgramFetchTest::completion_needsReadyAndThePromptAtTheEnd_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<bool>("complete");
    QTest::newRow("listing") << Listing << true;
    QTest::newRow("no program") << QByteArray("LIST\r\n\r\nREADY\r\n>") << true;
    QTest::newRow("prompt still to come") << Listing.chopped(1) << false;
    QTest::newRow("a line ending in READY") << QByteArray("LIST\r\n10     PRINT \"NOT READY\r\n") << false;
    QTest::newRow("nothing") << QByteArray() << false;
}

void ProgramFetchTest::completion_needsReadyAndThePromptAtTheEnd()
{
    QFETCH(QByteArray, received);
    QFETCH(bool, complete);
    QCOMPARE(ProgramFetch::isComplete(received), complete);
}

void ProgramFetchTest::programLines_data()
{
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<QStringList>("program");
    QTest::newRow("a listing") << Listing
                               << QStringList{"10 REM COUNT", "20 FOR I=1 TO 3 : PRINT I : NEXT I", "65535 END"};
    QTest::newRow("no program") << QByteArray("LIST\r\n\r\nREADY\r\n>") << QStringList{};
    QTest::newRow("padding of every width")
        << QByteArray("1      A\r\n22     B\r\n333    C\r\n4444   D\r\n55555  E\r\n")
        << QStringList{"1 A", "22 B", "333 C", "4444 D", "55555 E"};
    QTest::newRow("spacing inside the statement kept")
        << QByteArray("10     PRINT  A ,  B   \r\n") << QStringList{"10 PRINT  A ,  B   "};
    QTest::newRow("a statement that starts with digits") << QByteArray("10     20\r\n") << QStringList{"10 20"};
    QTest::newRow("number alone") << QByteArray("10\r\n") << QStringList{"10"};
    QTest::newRow("messages and prompts left out")
        << QByteArray(">LIST\r\n10     X=1\r\nERROR: BAD SYNTAX\r\nSTOP\r\n>\r\n  \r\n") << QStringList{"10 X=1"};
    QTest::newRow("lone CR and LF end lines")
        << QByteArray("10     A\r20     B\n30     C") << QStringList{"10 A", "20 B", "30 C"};
    QTest::newRow("bytes are characters") << QByteArray("10     PRINT \"\xe4\xdf\xff\"\r\n")
                                          << QStringList{QStringLiteral("10 PRINT \"\u00e4\u00df\u00ff\"")};
}

void ProgramFetchTest::programLines()
{
    QFETCH(QByteArray, listing);
    QFETCH(QStringList, program);
    QCOMPARE(ProgramFetch::programLines(listing), program);
}

QTEST_GUILESS_MAIN(ProgramFetchTest)
#include "tst_programfetch.moc"
