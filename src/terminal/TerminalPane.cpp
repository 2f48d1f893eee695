#include "terminal/TerminalPane.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

TerminalPane::TerminalPane(QPlainTextEdit* pane) : QObject(pane), m_pane(pane)
{
    // Every received chunk would otherwise be one more undo step, kept for the life of the window.
    pane->setUndoRedoEnabled(false);
    // The scroll bar changes with every chunk received. Filling its own background lets it be
    // repainted alone, instead of with every widget behind it, each of which fills its part anew.
    pane->verticalScrollBar()->setAutoFillBackground(true);
    pane->horizontalScrollBar()->setAutoFillBackground(true);
}

void TerminalPane::setMaxLines(int lines)
{
    // The pane does not wrap, so a block is a line (or a piece of a longer one).
    m_pane->setMaximumBlockCount(qMax(0, lines));
}

QTextCursor TerminalPane::endCursor() const
{
    QTextCursor end(m_pane->document());
    end.movePosition(QTextCursor::End);
    return end;
}

bool TerminalPane::showsEnd() const
{
    const QScrollBar* bar = m_pane->verticalScrollBar();
    if (bar->value() >= bar->maximum())
        return true;
    // Moving the caret to the end (Ctrl+End) scrolls only as far as the last line needs, which can
    // stop a line short of the bar's end; the user is at the end all the same.
    const QRect end = m_pane->cursorRect(endCursor());
    return end.top() >= 0 && end.bottom() <= m_pane->viewport()->height();
}

namespace {

bool isBreak(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

} // namespace

void TerminalPane::insertAtEnd(QTextCursor& end, const QString& text)
{
    // Characters already on the last line, and those of the text up to its first break.
    qsizetype filled = end.block().length() - 1;
    qsizetype longest = filled;
    for (qsizetype i = 0, run = filled; i < text.size(); ++i) {
        run = isBreak(text[i]) ? 0 : run + 1;
        longest = qMax(longest, run);
    }
    if (longest <= BlockChars) {
        end.insertText(text);
        return;
    }
    QString pieces;
    pieces.reserve(text.size() + text.size() / BlockChars + 1);
    for (const QChar c : text) {
        if (isBreak(c)) {
            filled = 0;
        } else if (filled == BlockChars) {
            pieces += QLatin1Char('\n');
            filled = 1;
        } else {
            ++filled;
        }
        pieces += c;
    }
    end.insertText(pieces);
}

template <typename Edit>
void TerminalPane::atEnd(Edit edit)
{
    const bool following = showsEnd();
    QTextCursor end = endCursor();
    edit(end);
    if (following) {
        QScrollBar* bar = m_pane->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

bool TerminalPane::endFollowsReceivedCr() const
{
    if (m_afterCr.isNull())
        return false;
    const int end = endCursor().position();
    // The break itself may have been erased, or the pane cleared, since.
    return m_afterCr.position() == end && end > 0 &&
           m_pane->document()->characterAt(end - 1) == QChar::ParagraphSeparator;
}

void TerminalPane::appendReceived(const QString& text)
{
    if (text.isEmpty())
        return;
    const qsizetype skip = text.startsWith(QLatin1Char('\n')) && endFollowsReceivedCr() ? 1 : 0;
    atEnd([&](QTextCursor& end) {
        insertAtEnd(end, text.mid(skip));
        if (text.endsWith(QLatin1Char('\r'))) {
            m_afterCr = end;
            // Text added at the end later goes behind the mark, so the mark no longer is the end.
            m_afterCr.setKeepPositionOnInsert(true);
        } else {
            m_afterCr = QTextCursor();
        }
    });
}

void TerminalPane::appendTyped(const QString& text)
{
    if (!text.isEmpty())
        atEnd([&](QTextCursor& end) { insertAtEnd(end, text); });
}

void TerminalPane::eraseLast()
{
    atEnd([](QTextCursor& end) {
        if (end.positionInBlock() != 1)
            end.deletePreviousChar();
    });
}
