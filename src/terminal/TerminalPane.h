#pragma once

#include <QObject>
#include <QTextCursor>

class QPlainTextEdit;
class QString;

// The terminal pane as the board's transcript. What the board sends, the local echo and the local
// erase of Backspace all act at the end of the text, never at the user's caret: a click into old
// output or a selection being copied must not make the next answer land in the middle of earlier
// lines. The user's caret and selection stay where they are.
//
// The view follows the end while it shows the end; a user who has scrolled up keeps the view until
// scrolling back down. The pane keeps no undo history (a transcript is not edited) and at most a
// settable number of lines, the oldest going first.
//
// A line longer than BlockChars (a board sending without line ends, say at the wrong baud rate) is
// shown in pieces of BlockChars characters, each a line of the pane: adding to such a line then
// lays out one piece, not the whole line, so a flood costs the same whatever has come before. The
// pieces are the pane's own lines in every respect: the line limit counts them, the caret panel
// numbers them, and a copy has a line break between them.
class TerminalPane final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminalPane)

public:
    // Owned by the pane it serves.
    explicit TerminalPane(QPlainTextEdit* pane);

    // The longest line the pane shows as one.
    static constexpr int BlockChars = 4096;

    // Lines kept; 0 (or less) keeps all.
    void setMaxLines(int lines);

    // Received text. The pane makes a line break of CR, of LF and of the pair; a pair split over two
    // chunks is still one break when nothing else was added at the end in between.
    void appendReceived(const QString& text);
    // Text echoed locally as it is typed.
    void appendTyped(const QString& text);
    // Backspace's local erase: the last character goes, except where the last line holds exactly one
    // character (the board's prompt). On an empty last line the line break goes, joining the lines.
    void eraseLast();

private:
    // Runs an edit at the end and keeps the end in view when it was in view before.
    template <typename Edit>
    void atEnd(Edit edit);
    QTextCursor endCursor() const;
    // Inserts text at the end, beginning a new line wherever a line would pass BlockChars.
    void insertAtEnd(QTextCursor& end, const QString& text);
    // Whether the last line is in view (the view then follows what is added).
    bool showsEnd() const;
    bool endFollowsReceivedCr() const;

    QPlainTextEdit* m_pane;
    // Right behind a received chunk that ended with CR; it stays behind text added after it.
    QTextCursor m_afterCr;
};
