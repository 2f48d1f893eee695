// The parts of a program line the editor colours.

#include "editor/BasicHighlighter.h"

#include <QTest>
#include <QTextDocument>

using Spans = QList<BasicSpan>;

namespace {

// The spans as "kind:text" words, which read better in a failure than offsets.
QStringList described(const QString& line, const Spans& spans)
{
    QStringList words;
    for (const BasicSpan& span : spans) {
        // In the order of BasicToken.
        static const char* const kinds[] = {"L", "K", "S", "C", "N"};
        const char* kind = kinds[int(span.token)];
        words.append(QString::fromLatin1(kind) + ':' + line.mid(span.start, span.length));
    }
    return words;
}

} // namespace

class BasicHighlighterTest : public QObject {
    Q_OBJECT

private slots:
    void spans_data();
    void spans();
    void spans_neverOverlapAndStayInTheLine();
    void highlighter_leavesTextAndUndoAlone();
};

void BasicHighlighterTest::spans_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("line number and statement") << "10 PRINT A" << QStringList{"L:10", "K:PRINT"};
    QTest::newRow("indented line number") << "  20 END" << QStringList{"L:20", "K:END"};
    QTest::newRow("no line number, direct command") << "LIST" << QStringList{"K:LIST"};
    QTest::newRow("lower case keywords") << "30 print a" << QStringList{"L:30", "K:print"};
    QTest::newRow("keyword inside a name is a name") << "40 PRINTER=TOP" << QStringList{"L:40"};
    QTest::newRow("name with digits is not a number") << "50 A1=B22" << QStringList{"L:50"};
    QTest::newRow("string with keyword and remark inside")
        << "60 PRINT \"REM GOTO 10\",1" << QStringList{"L:60", "K:PRINT", "S:\"REM GOTO 10\"", "N:1"};
    QTest::newRow("unterminated string runs to the end")
        << "70 PRINT \"A:B" << QStringList{"L:70", "K:PRINT", "S:\"A:B"};
    QTest::newRow("remark takes the rest, quotes too")
        << "80 REM say \"hi\" : PRINT 1" << QStringList{"L:80", "K:REM", "C: say \"hi\" : PRINT 1"};
    QTest::newRow("remark after a statement") << "90 X=1:REM x" << QStringList{"L:90", "N:1", "K:REM", "C: x"};
    QTest::newRow("bare remark") << "95 REM" << QStringList{"L:95", "K:REM"};
    QTest::newRow("remark word inside a name") << "96 PREM=1" << QStringList{"L:96", "N:1"};
    QTest::newRow("numbers") << "100 X=1.5E-3+.5+2E+7+3." << QStringList{"L:100", "N:1.5E-3", "N:.5", "N:2E+7", "N:3."};
    QTest::newRow("exponent without digits stays out") << "105 X=2E" << QStringList{"L:105", "N:2"};
    QTest::newRow("hexadecimal") << "110 XBY(0FFFFH)=0AH" << QStringList{"L:110", "K:XBY", "N:0FFFFH", "N:0AH"};
    QTest::newRow("dotted operators") << "120 IF A.AND.B .OR. C THEN 10"
                                     << QStringList{"L:120", "K:IF", "K:.AND.", "K:.OR.", "K:THEN", "N:10"};
    QTest::newRow("dotted print forms") << "130 P. 1 : PH0. 2 : PH1.#3"
                                        << QStringList{"L:130", "K:P.", "N:1", "K:PH0.", "N:2", "K:PH1.", "N:3"};
    QTest::newRow("memory statements") << "140 LD@ 5 : ST@ 6" << QStringList{"L:140", "K:LD@", "N:5", "K:ST@", "N:6"};
    QTest::newRow("line references") << "150 ONTIME 10,200 : ONERR 300"
                                     << QStringList{"L:150", "K:ONTIME", "N:10", "N:200", "K:ONERR", "N:300"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("spaces only") << "   " << QStringList{};
}

void BasicHighlighterTest::spans()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(described(line, basicSyntaxSpans(line)), expected);
}

void BasicHighlighterTest::spans_neverOverlapAndStayInTheLine()
{
    // Odd lines: cut strings and numbers at the end, stray dots, bytes above 127.
    for (const QString& line : {QString("10 \""), QString("10 ."), QString("10 .A"), QString("10 .AND"),
                                QString("1E"), QString("10 0"), QString("9H"), QString("\xe4\"\xf6"),
                                QString("10 P"), QString("10 LD"), QString(200, '.')}) {
        int end = 0;
        for (const BasicSpan& span : basicSyntaxSpans(line)) {
            QVERIFY2(span.start >= end && span.length > 0, qPrintable(line));
            end = span.start + span.length;
        }
        QVERIFY2(end <= line.size(), qPrintable(line));
    }
}

void BasicHighlighterTest::highlighter_leavesTextAndUndoAlone()
{
    QTextDocument document;
    document.setPlainText("10 PRINT \"A\"\n20 REM x");
    document.setModified(false);
    BasicHighlighter highlighter;
    highlighter.attach(&document, true);
    QVERIFY(highlighter.isOn());
    QVERIFY(!document.firstBlock().layout()->formats().isEmpty());
    QVERIFY(!document.isUndoAvailable());
    QVERIFY(!document.isModified());
    // The document's own character formats stay plain.
    QTextCursor cursor(&document);
    cursor.setPosition(4);
    QCOMPARE(cursor.charFormat().foreground().style(), Qt::NoBrush);
    highlighter.attach(&document, false);
    QVERIFY(!highlighter.isOn());
    QVERIFY(document.firstBlock().layout()->formats().isEmpty());
    QCOMPARE(document.toPlainText(), QString("10 PRINT \"A\"\n20 REM x"));
}

QTEST_MAIN(BasicHighlighterTest)
#include "tst_basichighlighter.moc"
