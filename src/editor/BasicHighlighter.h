#pragma once

#include <QList>
#include <QString>
#include <QSyntaxHighlighter>

class QTextDocument;

// The parts of a program line that the editor shows in colour. The colours live in the view only:
// the document's text, its undo steps and everything saved stay exactly as typed.
enum class BasicToken { LineNumber, Keyword, String, Comment, Number };

struct BasicSpan {
    int start = 0;
    int length = 0;
    BasicToken token = BasicToken::Keyword;
    bool operator==(const BasicSpan&) const = default;
};

// The coloured parts of one line, in order and without overlaps. The board reads its keywords in
// any case and without spaces around them only where a name cannot go on, so a keyword is a whole
// word here ("PRINT", but not the variable "PRINTER"); "P.", "PH0.", "PH1.", "LD@", "ST@" and the
// dotted operators ".AND." ".OR." ".XOR." count as keywords with their marks. After REM the rest of the line is a
// comment; a string runs to its closing quote or to the end of the line.
QList<BasicSpan> basicSyntaxSpans(const QString& line);

// The board keeps lines of this many characters; the character after them is marked.
inline constexpr int BoardLineLength = 78;

// Colours the editor's program: line numbers, keywords, strings, REM comments, numbers, and the first
// character beyond what the board keeps of a line.
class BasicHighlighter final : public QSyntaxHighlighter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BasicHighlighter)

public:
    explicit BasicHighlighter(QObject* parent = nullptr);

    // Colours `document`, or nothing while off; switching off takes every colour away again.
    void attach(QTextDocument* document, bool on);
    bool isOn() const { return document() != nullptr; }

protected:
    void highlightBlock(const QString& text) override;
};
