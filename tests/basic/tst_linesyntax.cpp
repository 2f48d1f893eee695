#include "basic/LineSyntax.h"
#include "platform/Errors.h"

#include <QTest>

class LineSyntaxTest : public QObject {
    Q_OBJECT

private slots:
    void conversion_acceptedForms_data();
    void conversion_acceptedForms();
    void conversion_rejectedForms_data();
    void conversion_rejectedForms();
    void lineNumber_takesTheTextUpToTheFirstSpaceOnly_data();
    void lineNumber_takesTheTextUpToTheFirstSpaceOnly();
    void trimming_touchesSpacesOnly_data();
    void trimming_touchesSpacesOnly();
};

void LineSyntaxTest::conversion_acceptedForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "20" << 20;
    QTest::newRow("leading zeros") << "0020" << 20;
    QTest::newRow("plus sign") << "+20" << 20;
    QTest::newRow("dollar hex") << "$14" << 20;
    QTest::newRow("0x hex") << "0x14" << 20;
    QTest::newRow("0X hex") << "0X14" << 20;
    QTest::newRow("x hex") << "x14" << 20;
    QTest::newRow("X hex, letters either case") << "XfF" << 255;
    QTest::newRow("leading spaces") << "   20" << 20;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("negative hex") << "-$14" << -20;
    QTest::newRow("spaces before the sign") << "  -7" << -7;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("largest hex") << "$7FFFFFFF" << 2147483647;
    QTest::newRow("smallest hex") << "-$80000000" << int(-2147483647 - 1);
    QTest::newRow("many leading zeros") << "000000000000000000000042" << 42;
}

void LineSyntaxTest::conversion_acceptedForms()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(StrToInt(text), value);
    QVERIFY(IsInteger(text));
}

void LineSyntaxTest::conversion_rejectedForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces only") << "   ";
    QTest::newRow("trailing space") << "20 ";
    QTest::newRow("letter O for zero") << "2O";
    QTest::newRow("glued statement") << "10PRINT";
    QTest::newRow("tab before") << "\t20";
    QTest::newRow("sign alone") << "-";
    QTest::newRow("space after sign") << "- 5";
    QTest::newRow("two signs") << "+-5";
    QTest::newRow("prefix alone") << "$";
    QTest::newRow("0x alone") << "0x";
    QTest::newRow("hex digit without prefix") << "1A";
    QTest::newRow("non-hex after prefix") << "$1G";
    QTest::newRow("one beyond the largest") << "2147483648";
    QTest::newRow("one below the smallest") << "-2147483649";
    QTest::newRow("hex beyond the largest") << "$80000000";
    QTest::newRow("32 bits of ones") << "$FFFFFFFF";
    QTest::newRow("huge") << "99999999999999999999";
    QTest::newRow("decimal point") << "1.5";
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0663));
    QTest::newRow("percent marker kept in message") << "%1";
}

void LineSyntaxTest::conversion_rejectedForms()
{
    QFETCH(QString, text);
    QVERIFY(!IsInteger(text));
    try {
        StrToInt(text);
        QFAIL("no conversion error");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'") + text + QStringLiteral("' ist kein gültiger Integerwert"));
    }
}

void LineSyntaxTest::lineNumber_takesTheTextUpToTheFirstSpaceOnly_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("firstWord");
    QTest::addColumn<bool>("converts");
    QTest::newRow("number and statement") << "10 PRINT A" << "10" << true;
    QTest::newRow("glued") << "10PRINT A" << "10PRINT" << false;
    QTest::newRow("leading space") << " 10 PRINT" << "" << false;
    QTest::newRow("tab is no separator") << "10\tPRINT" << "10\tPRINT" << false;
    QTest::newRow("number only") << "10" << "10" << true;
    QTest::newRow("empty line") << "" << "" << false;
    QTest::newRow("hex line number") << "$A END" << "$A" << true;
}

void LineSyntaxTest::lineNumber_takesTheTextUpToTheFirstSpaceOnly()
{
    QFETCH(QString, line);
    QFETCH(QString, firstWord);
    QFETCH(bool, converts);
    QCOMPARE(FirstWord(line), firstWord);
    try {
        LineNumber(line);
        QVERIFY(converts);
    } catch (const EConvertError& e) {
        QVERIFY(!converts);
        QCOMPARE(e.message(), ConvertErrorText(firstWord));
    }
}

void LineSyntaxTest::trimming_touchesSpacesOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::addColumn<QString>("leadingTrimmed");
    QTest::newRow("both ends") << "  20 B  " << "20 B" << "20 B  ";
    QTest::newRow("tabs only stay") << "\t\t" << "\t\t" << "\t\t";
    QTest::newRow("tab inside spaces") << " \t " << "\t" << "\t ";
    QTest::newRow("spaces only") << "    " << "" << "";
    QTest::newRow("nothing to trim") << "A B" << "A B" << "A B";
    QTest::newRow("no-break space stays")
        << QString(QChar(0xA0)) + " x" << QString(QChar(0xA0)) + " x" << QString(QChar(0xA0)) + " x";
}

void LineSyntaxTest::trimming_touchesSpacesOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QFETCH(QString, leadingTrimmed);
    QCOMPARE(TrimSpaces(text), trimmed);
    QCOMPARE(TrimLeadingSpaces(text), leadingTrimmed);
}

QTEST_GUILESS_MAIN(LineSyntaxTest)
#include "tst_linesyntax.moc"
