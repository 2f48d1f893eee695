#include "editor/Rtf.h"

#include <QRandomGenerator>
#include <QTest>

class RtfTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_isExact_data();
    void roundTrip_isExact();
    void writer_declaresFontColourAndSize();
    void reader_data();
    void reader();
    void randomInput_neverFailsNorGrows();
};

void RtfTest::roundTrip_isExact_data()
{
    QTest::addColumn<QString>("text");
    QString latin1;
    for (int c = 0; c < 256; ++c)
        latin1 += QChar(c);
    QTest::newRow("empty") << QString();
    QTest::newRow("trailing newline") << QString("10 A=1\n20 B=2\n");
    QTest::newRow("only newlines") << QString("\n\n");
    QTest::newRow("braces and backslashes") << QString("{\\}\\par {x}\\'41\\u65?");
    QTest::newRow("tabs, spaces, digits") << QString("\tA\t\t10\n  20 \t B \n\t30");
    QTest::newRow("every Latin-1 character") << latin1;
    QTest::newRow("beyond Latin-1") << QString("5 € · \u2014 \U0001F60A 漢字");
    QTest::newRow("long lines") << QString(5000, QLatin1Char('x')) + "\n" + QString(700, QChar(0xE4));
}

void RtfTest::roundTrip_isExact()
{
    QFETCH(QString, text);
    QFont font("Courier New", 11);
    font.setBold(true);
    const QByteArray rtf = plainTextToRtf(text, font, QColor(10, 20, 30));
    QVERIFY(rtf.startsWith("{\\rtf1") && rtf.endsWith("}\r\n"));
    for (char b : rtf)
        QVERIFY2(uchar(b) < 0x80, "an RTF file is 7-bit text");
    QCOMPARE(rtfToPlainText(rtf), text);
}

void RtfTest::writer_declaresFontColourAndSize()
{
    QFont font("Lucida {Sans}; Typewriter");
    font.setPointSizeF(9.5);
    const QByteArray rtf = plainTextToRtf("x", font, QColor(255, 128, 0));
    QVERIFY2(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Lucida \\{Sans\\}\\'3b Typewriter;}}"), rtf.constData());
    QVERIFY(rtf.contains("{\\colortbl ;\\red255\\green128\\blue0;}"));
    QVERIFY(rtf.contains("\\pard\\plain\\f0\\fs19\\cf1"));
}

void RtfTest::reader_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    // As a word processor writes it: tables, generator, formatting, hex and Unicode escapes.
    QTest::newRow("word processor document")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031"
                      "{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}}\r\n"
                      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
                      "{\\stylesheet{ Normal;}{\\s1 heading 1;}}\r\n"
                      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
                      "\\pard\\sl240\\slmult1\\f0\\fs20\\lang7 10 PRINT \"Gr\\'fc\\'dfe\"\\par\r\n"
                      "20 REM \\cf1\\b Preis\\b0  5 \\u8364?\\cf0\\par\r\n"
                      "{\\info{\\author Jemand}{\\creatim\\yr2024\\mo1\\dy2}}"
                      "30 GOTO 10\\tab ende\\par\r\n"
                      "\\pard\\f1\\fs24 40 END\\par\r\n}\r\n")
        << QString("10 PRINT \"Grüße\"\n20 REM Preis 5 €\n30 GOTO 10\tende\n40 END\n");

    // Unicode characters and the fallback text that follows them.
    QTest::newRow("no fallback") << QByteArray("{\\rtf1\\uc0 \\u8364 b}") << QString("€b");
    QTest::newRow("hex fallbacks") << QByteArray("{\\rtf1\\uc2\\u8364\\'80\\'81b}") << QString("€b");
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8694?!}") << QString("\U0001F60A!");
    QTest::newRow("uc is scoped by group") << QByteArray("{\\rtf1{\\uc2 \\u8364 xyb}\\u8364?c}") << QString("€b€c");
    QTest::newRow("group end stops skipping") << QByteArray("{\\rtf1\\uc3 {\\u8364 a}b}") << QString("€b");
    QTest::newRow("huge uc") << QByteArray("{\\rtf1{\\uc999999999 \\u65 abc}def}") << QString("Adef");
    QTest::newRow("out of range value") << QByteArray("{\\rtf1 \\u99999999999999999999 xy}") << QString("y");

    // Symbols, breaks and the groups that hold no text.
    QTest::newRow("escaped symbols") << QByteArray("{\\rtf1 \\\\ \\{ \\} a\\~b\\-c\\_d}")
                                     << QString("\\ { } a\u00A0bc-d");
    QTest::newRow("breaks") << QByteArray("{\\rtf1 a\\line b\\tab c\\par d\\\r\ne\r\nf\\cell g\\row}")
                            << QString("a\nb\tc\nd\nef\tg\n");
    QTest::newRow("hex bytes are Latin-1") << QByteArray("{\\rtf1 \\'e4\\'C4\\'80\\'ff}") << QString("äÄ\u0080ÿ");
    QTest::newRow("starred groups") << QByteArray("{\\rtf1{\\*\\unknown hidden{nested}}a{\\*\\bkmkstart b}c}")
                                    << QString("ac");
    QTest::newRow("field result") << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}")
                                  << QString("link");
    QTest::newRow("picture and binary") << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e47}{\\bin4 {}\\x}b}")
                                        << QString("ab");

    // Malformed input gives what can be recognised.
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("not RTF at all") << QByteArray("10 PRINT 1\n") << QString("10 PRINT 1");
    QTest::newRow("unclosed groups") << QByteArray("{\\rtf1{{abc") << QString("abc");
    QTest::newRow("too many closing braces") << QByteArray("}}}{\\rtf1 a}}}b{{{") << QString("ab");
    QTest::newRow("cut escapes") << QByteArray("{\\rtf1 \\'4x\\'zz\\'") << QString("xzz");
    QTest::newRow("backslash at end") << QByteArray("{\\rtf1 abc\\") << QString("abc");
    QTest::newRow("u without number") << QByteArray("{\\rtf1 \\u abc\\fs-x}") << QString("abc-x");
    QTest::newRow("binary beyond end") << QByteArray("{\\rtf1 a\\bin999999 bc") << QString("a");
    QTest::newRow("deep nesting") << QByteArray(300000, '{') + "x" + QByteArray(10, '}') << QString("x");
    QTest::newRow("NUL and control bytes") << QByteArray("{\\rtf1 a\0b\x01" "c}", 13) << QString("abc");
}

void RtfTest::reader()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(rtfToPlainText(rtf), text);
}

void RtfTest::randomInput_neverFailsNorGrows()
{
    // Every character of text comes from at least one byte of input; the point is that no input
    // crashes or hangs the reader.
    static const char alphabet[] = "{}\\\\\\'*uc0123456789-abinparfonttbl ?\r\n\xe4";
    QRandomGenerator random(4711);
    for (int round = 0; round < 3000; ++round) {
        QByteArray input(random.bounded(1, 400), Qt::Uninitialized);
        for (char& b : input)
            b = round % 3 == 0 ? char(random.bounded(256)) : alphabet[random.bounded(int(sizeof alphabet - 1))];
        QVERIFY(rtfToPlainText(input).size() <= input.size());
    }
}

QTEST_MAIN(RtfTest)
#include "tst_rtf.moc"
