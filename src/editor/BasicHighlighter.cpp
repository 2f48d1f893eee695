#include "editor/BasicHighlighter.h"

#include <QColor>
#include <QSet>
#include <QSignalBlocker>
#include <QTextCharFormat>
#include <QTextDocument>

namespace {

// The board's commands, statements, functions and operator words, as its manual lists them.
const QSet<QString>& keywords()
{
    static const QSet<QString> words{
        // commands
        "RUN", "CONT", "LIST", "NEW", "NULL", "RAM", "ROM", "XFER", "PROG", "PROG1", "PROG2", "PROG3", "PROG4",
        "PROG5", "PROG6", "FPROG", "FPROG1", "FPROG2", "FPROG3", "FPROG4", "FPROG5", "FPROG6", "PGM",
        // statements
        "BAUD", "CALL", "CLEAR", "CLEARI", "CLEARS", "CLOCK0", "CLOCK1", "DATA", "READ", "RESTORE", "DIM", "DO",
        "UNTIL", "WHILE", "END", "FOR", "TO", "STEP", "NEXT", "GOSUB", "RETURN", "GOTO", "ON", "IF", "THEN",
        "ELSE", "INPUT", "LET", "ONERR", "ONEX1", "ONTIME", "PRINT", "PUSH", "POP", "PWM", "REM",
        "RETI", "STOP", "STRING", "UI0", "UI1", "UO0", "UO1", "IDLE",
        // operators and functions
        "ABS", "NOT", "INT", "SGN", "SQR", "RND", "LOG", "EXP", "SIN", "COS", "TAN", "ATN", "PI", "CBY", "DBY",
        "XBY", "GET", "IE", "IP", "PORT1", "PCON", "RCAP2", "T2CON", "TCON", "TMOD", "TIME", "TIMER0", "TIMER1",
        "TIMER2", "XTAL", "MTOP", "LEN", "FREE", "ASC", "CHR", "AND", "OR", "XOR"};
    return words;
}

bool isLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isHexDigit(QChar c) { return isDigit(c) || (c.toUpper() >= u'A' && c.toUpper() <= u'F'); }
bool isNameChar(QChar c) { return isLetter(c) || isDigit(c) || c == u'_'; }

// The length of a number at `at` (0: none): a hexadecimal one like 0FFH, or a decimal one with an
// optional fraction and exponent (12, 1.5, .5, 3E-2).
int numberLength(const QString& line, int at)
{
    const int n = int(line.size());
    if (isDigit(line[at])) {
        int end = at;
        while (end < n && isHexDigit(line[end]))
            ++end;
        if (end < n && (line[end] == u'H' || line[end] == u'h') && (end + 1 == n || !isNameChar(line[end + 1])))
            return end + 1 - at;
    }
    int end = at;
    while (end < n && isDigit(line[end]))
        ++end;
    bool digits = end > at;
    if (end < n && line[end] == u'.') {
        int fraction = end + 1;
        while (fraction < n && isDigit(line[fraction]))
            ++fraction;
        if (fraction > end + 1 || digits) {
            digits = true;
            end = fraction;
        }
    }
    if (!digits)
        return 0;
    if (end < n && (line[end] == u'E' || line[end] == u'e')) {
        int exponent = end + 1;
        if (exponent < n && (line[exponent] == u'+' || line[exponent] == u'-'))
            ++exponent;
        const int first = exponent;
        while (exponent < n && isDigit(line[exponent]))
            ++exponent;
        if (exponent > first)
            end = exponent;
    }
    return end - at;
}

QTextCharFormat colour(const char* name, bool italic = false)
{
    QTextCharFormat format;
    format.setForeground(QColor(QLatin1String(name)));
    if (italic)
        format.setFontItalic(true);
    return format;
}

} // namespace

QList<BasicSpan> basicSyntaxSpans(const QString& line)
{
    QList<BasicSpan> spans;
    const int n = int(line.size());
    int at = 0;
    while (at < n && (line[at] == u' ' || line[at] == u'\t'))
        ++at;
    if (at < n && isDigit(line[at])) {
        const int start = at;
        while (at < n && isDigit(line[at]))
            ++at;
        spans.append({start, at - start, BasicToken::LineNumber});
    }
    while (at < n) {
        const QChar c = line[at];
        if (c == u'"') {
            int end = at + 1;
            while (end < n && line[end] != u'"')
                ++end;
            end = qMin(end + 1, n);
            spans.append({at, end - at, BasicToken::String});
            at = end;
        } else if (isLetter(c)) {
            int end = at;
            while (end < n && isNameChar(line[end]))
                ++end;
            const QString word = line.mid(at, end - at).toUpper();
            if (word == u"REM") {
                spans.append({at, 3, BasicToken::Keyword});
                if (end < n)
                    spans.append({end, n - end, BasicToken::Comment});
                return spans;
            }
            // The print forms that end in a dot (P. PH0. PH1.) and the memory statements LD@ and ST@.
            const bool marked = end < n && ((line[end] == u'.' && (word == u"P" || word == u"PH0" || word == u"PH1")) ||
                                            (line[end] == u'@' && (word == u"LD" || word == u"ST")));
            if (marked || keywords().contains(word))
                spans.append({at, end - at + (marked ? 1 : 0), BasicToken::Keyword});
            at = end + (marked ? 1 : 0);
        } else if (c == u'.' && at + 1 < n && isLetter(line[at + 1])) {
            int end = at + 1;
            while (end < n && isLetter(line[end]))
                ++end;
            const QString word = line.mid(at + 1, end - at - 1).toUpper();
            if (end < n && line[end] == u'.' && (word == u"AND" || word == u"OR" || word == u"XOR")) {
                spans.append({at, end + 1 - at, BasicToken::Keyword});
                at = end + 1;
            } else {
                at = at + 1;
            }
        } else if (const int length = isDigit(c) || c == u'.' ? numberLength(line, at) : 0; length > 0) {
            spans.append({at, length, BasicToken::Number});
            at += length;
        } else {
            ++at;
        }
    }
    return spans;
}

BasicHighlighter::BasicHighlighter(QObject* parent) : QSyntaxHighlighter(parent) {}

void BasicHighlighter::attach(QTextDocument* document, bool on)
{
    // Putting colours on and taking them off again is an edit block to the document, which would
    // announce it as a change of the text: the editor would run its change handling for a text that
    // did not change. The view learns of the new colours from the layout all the same.
    const QSignalBlocker quiet(document);
    if (QTextDocument* previous = this->document(); previous && previous != document) {
        const QSignalBlocker quietPrevious(previous);
        setDocument(nullptr);
    }
    setDocument(on ? document : nullptr);
    // At once, not at the next turn of the event loop (which would announce its change after all):
    // the menu's tick and the view agree right away.
    if (on)
        rehighlight();
}

void BasicHighlighter::highlightBlock(const QString& text)
{
    static const QTextCharFormat formats[] = {
        colour("#7f7f7f"),       // line number
        colour("#00007f"),       // keyword
        colour("#a31515"),       // string
        colour("#008000", true), // comment
        colour("#8b008b"),       // number
    };
    for (const BasicSpan& span : basicSyntaxSpans(text))
        setFormat(span.start, span.length, formats[int(span.token)]);
    if (text.size() > BoardLineLength) {
        QTextCharFormat beyond = format(BoardLineLength);
        beyond.setBackground(QColor(0xff, 0xa0, 0xa0));
        beyond.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        beyond.setUnderlineColor(Qt::red);
        setFormat(BoardLineLength, 1, beyond);
    }
}
