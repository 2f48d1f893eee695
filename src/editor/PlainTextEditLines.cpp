#include "editor/PlainTextEditLines.h"

#include "editor/DocumentText.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

QStringList PlainTextEditLines::paneLines(const QPlainTextEdit* pane, bool* finalBreak)
{
    QStringList lines;
    const QTextDocument* document = pane->document();
    lines.reserve(document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines.append(fromPaneText(block.text()));
    // The empty block behind a final line break is no line, and an empty text has none.
    const bool endsWithBreak = lines.size() > 1 && lines.last().isEmpty();
    if (lines.last().isEmpty())
        lines.removeLast();
    if (finalBreak)
        *finalBreak = endsWithBreak;
    return lines;
}

namespace {

MemoryLines copyOf(const QPlainTextEdit* pane)
{
    bool finalBreak = false;
    const QStringList lines = PlainTextEditLines::paneLines(pane, &finalBreak);
    return MemoryLines(lines, finalBreak);
}

} // namespace

PlainTextEditLines::PlainTextEditLines(QPlainTextEdit* pane, ChangeListener listener)
    : m_pane(pane), m_listener(std::move(listener)), m_lines(copyOf(pane))
{
}

PlainTextEditLines::~PlainTextEditLines() { commit(); }

void PlainTextEditLines::setLine(int index, const QString& text)
{
    m_lines.setLine(index, text);
    m_written = true;
}

void PlainTextEditLines::deleteLine(int index)
{
    m_lines.deleteLine(index);
    m_written = true;
}

void PlainTextEditLines::appendLine(const QString& text)
{
    m_lines.appendLine(text);
    m_written = true;
}

void PlainTextEditLines::replaceLines(const std::vector<QString>& texts, const LineChanges& changes)
{
    m_lines.replaceLines(texts, changes);
    m_written = m_written || !changes.isEmpty();
}

void PlainTextEditLines::flushChanges()
{
    const LineChanges changes = m_lines.takeChanges();
    if (!changes.isEmpty() && m_listener)
        m_listener(changes);
}

void PlainTextEditLines::commit()
{
    if (m_written && m_pane) {
        m_written = false;
        QTextCursor caret = m_pane->textCursor();
        const int caretLine = caret.blockNumber();
        const int caretColumn = caret.positionInBlock();

        const QSignalBlocker blocker(m_pane);
        QTextDocument* document = m_pane->document();
        QTextCursor edit(document);
        edit.beginEditBlock();
        edit.select(QTextCursor::Document);
        edit.insertText(toPaneText(m_lines.text()));
        edit.endEditBlock();

        const QTextBlock block = document->findBlockByNumber(std::min(caretLine, document->blockCount() - 1));
        caret = QTextCursor(block);
        caret.setPosition(block.position() + std::min(caretColumn, block.length() - 1));
        m_pane->setTextCursor(caret);
    }
    flushChanges();
}

void AppendPaneLine(QPlainTextEdit* pane, const QString& text)
{
    QTextDocument* document = pane->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    // No separator for an empty text (it has no line) or behind a final line break.
    const bool needsBreak = !document->isEmpty() && !document->lastBlock().text().isEmpty();
    cursor.insertText(toPaneText(needsBreak ? QStringLiteral("\n") + text : text));
    pane->setTextCursor(cursor);
}
