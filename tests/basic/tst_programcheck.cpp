// The look at the program before it is sent: which lines the board would not take as they stand, and
// how the question lists them.

#include "basic/EditorLines.h"
#include "basic/ProgramCheck.h"

#include <QTest>

using ProgramCheck::Problem;
using Kind = ProgramCheck::Problem::Kind;

Q_DECLARE_METATYPE(Problem)

class ProgramCheckTest : public QObject {
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void entries_namesTheLineAndWhy_data();
    void entries_namesTheLineAndWhy();
    void list_showsTwentyAndCountsTheRest_data();
    void list_showsTwentyAndCountsTheRest();
};

void ProgramCheckTest::check_data()
{
    QTest::addColumn<QStringList>("program");
    QTest::addColumn<QList<Problem>>("problems");

    const QString longest = QStringLiteral("40 REM ") + QString(71, QLatin1Char('X'));
    QTest::newRow("clean, with blank lines and the board's own spellings")
        << QStringList{"10 A=1", "", "   ", " 20 B=2", "30PRINT A", "65535 END", "0 REM", longest} << QList<Problem>{};
    QTest::newRow("one character too many")
        << QStringList{"10 A=1", longest + "Y"} << QList<Problem>{{1, Kind::TooLong, "79"}};
    QTest::newRow("blanks count towards the length")
        << QStringList{QString(80, QLatin1Char(' '))} << QList<Problem>{{0, Kind::TooLong, "80"}};

    QTest::newRow("commands without a number")
        << QStringList{"10 A=1", "NEW", "print a", "20 B=2"}
        << QList<Problem>{{1, Kind::NoLineNumber, {}}, {2, Kind::NoLineNumber, {}}};
    // Only blanks are skipped in front of the number.
    QTest::newRow("tab in front") << QStringList{"\t10 A=1"} << QList<Problem>{{0, Kind::NoLineNumber, {}}};
    QTest::newRow("sign in front") << QStringList{"-10 A=1"} << QList<Problem>{{0, Kind::NoLineNumber, {}}};
    QTest::newRow("long command: both") << QStringList{"PRINT " + QString(80, QLatin1Char('A'))}
                                        << QList<Problem>{{0, Kind::TooLong, "86"}, {0, Kind::NoLineNumber, {}}};

    QTest::newRow("number too large") << QStringList{"65536 END"} << QList<Problem>{{0, Kind::NumberTooLarge, "65536"}};
    QTest::newRow("number far beyond any integer")
        << QStringList{"123456789012345678901234567890 END"}
        << QList<Problem>{{0, Kind::NumberTooLarge, "123456789012345678901234567890"}};
    // A number the board refuses stores nothing, so it replaces nothing either.
    QTest::newRow("too large twice") << QStringList{"70000 A", "70000 B"}
                                     << QList<Problem>{{0, Kind::NumberTooLarge, "70000"},
                                                       {1, Kind::NumberTooLarge, "70000"}};

    QTest::newRow("same number again") << QStringList{"10 A=1", "20 B=2", "10 C=3"}
                                       << QList<Problem>{{2, Kind::DuplicateNumber, "10", 0}};
    QTest::newRow("leading zeros name the same line")
        << QStringList{"10 A=1", "  010 C=3"} << QList<Problem>{{1, Kind::DuplicateNumber, "10", 0}};
    QTest::newRow("three times: both later ones name the first")
        << QStringList{"5 A", "7 B", "5 C", "5 D"}
        << QList<Problem>{{2, Kind::DuplicateNumber, "5", 0}, {3, Kind::DuplicateNumber, "5", 0}};
    QTest::newRow("number alone counts as that line")
        << QStringList{"10 A=1", "10"} << QList<Problem>{{1, Kind::DuplicateNumber, "10", 0}};
}

void ProgramCheckTest::check()
{
    QFETCH(QStringList, program);
    QFETCH(QList<Problem>, problems);
    const QList<Problem> found = ProgramCheck::check(MemoryLines(program, true));
    if (found != problems) {
        for (const Problem& p : found)
            qWarning("line %d kind %d value %s earlier %d", p.line, int(p.kind), qPrintable(p.value), p.earlierLine);
    }
    QCOMPARE(found, problems);
}

void ProgramCheckTest::entries_namesTheLineAndWhy_data()
{
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<QString>("german");
    QTest::addColumn<QString>("english");
    QTest::newRow("too long") << Problem{4, Kind::TooLong, "85"} << "Zeile 5: 85 Zeichen, das Board behält nur 78"
                              << "Line 5: 85 characters, the board keeps only 78";
    QTest::newRow("no number") << Problem{0, Kind::NoLineNumber, {}}
                               << "Zeile 1: keine Zeilennummer, das Board führt sie sofort als Befehl aus"
                               << "Line 1: no line number, the board executes it at once as a command";
    QTest::newRow("too large") << Problem{11, Kind::NumberTooLarge, "70000"}
                               << "Zeile 12: Zeilennummer 70000 ist größer als 65535"
                               << "Line 12: line number 70000 is above 65535";
    QTest::newRow("twice") << Problem{29, Kind::DuplicateNumber, "100", 6}
                           << "Zeile 30: Zeilennummer 100 stand schon in Zeile 7, das Board ersetzt jene"
                           << "Line 30: line number 100 already stood in line 7; the board replaces that one";
}

void ProgramCheckTest::entries_namesTheLineAndWhy()
{
    QFETCH(Problem, problem);
    QFETCH(QString, german);
    QFETCH(QString, english);
    QCOMPARE(ProgramCheck::describe(problem, 1), german);
    QCOMPARE(ProgramCheck::describe(problem, 2), english);
    // Any language other than German is English.
    QCOMPARE(ProgramCheck::describe(problem, 0), english);
}

void ProgramCheckTest::list_showsTwentyAndCountsTheRest_data()
{
    QTest::addColumn<int>("problems");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("last");
    QTest::newRow("one") << 1 << 1 << 1 << "Zeile 1: keine Zeilennummer, das Board führt sie sofort als Befehl aus";
    QTest::newRow("twenty") << 20 << 1 << 20
                            << "Zeile 20: keine Zeilennummer, das Board führt sie sofort als Befehl aus";
    QTest::newRow("twenty-one") << 21 << 1 << 21 << "… und 1 weitere";
    QTest::newRow("many, German") << 300 << 1 << 21 << "… und 280 weitere";
    QTest::newRow("many, English") << 25 << 2 << 21 << "… and 5 more";
}

void ProgramCheckTest::list_showsTwentyAndCountsTheRest()
{
    QFETCH(int, problems);
    QFETCH(int, language);
    QFETCH(int, entries);
    QFETCH(QString, last);
    QStringList program;
    for (int k = 0; k < problems; ++k)
        program.append(QStringLiteral("PRINT %1").arg(k));
    const QStringList listed = ProgramCheck::listed(ProgramCheck::check(MemoryLines(program)), language);
    QCOMPARE(listed.size(), entries);
    QCOMPARE(listed.last(), last);
    QCOMPARE(listed.first(), ProgramCheck::describe({0, Kind::NoLineNumber, {}}, language));
}

QTEST_GUILESS_MAIN(ProgramCheckTest)
#include "tst_programcheck.moc"
