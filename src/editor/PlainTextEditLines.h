#pragma once

#include "basic/EditorLines.h"

#include <QPointer>

#include <functional>

class QPlainTextEdit;

// The editor pane seen as program lines (a block is a line; a final line break adds no line), for the
// sort and renumber commands and the transmission. The lines are program text: the pane's CR stand-in
// (DocumentText.h) reads as CR, and a CR written into a line goes into the pane as the stand-in.
//
// The lines are copied once into memory, the command works there, and commit() writes the result back
// as one edit, which is one undo step and fast for long programs. The pane's own signals are blocked
// during that edit: the change notifications that the line-by-line edits would have raised reach the
// listener instead (at flushChanges() and at commit()), each batch as a LineChanges record. The listener
// is the change handler's replay: when the batch holds any write, run the handler once for each recorded
// length, taking that length as the text's length; it must not depend on the pane's text, which is
// written back only at the end.
//
// What was edited reaches the pane also when the command ends with an exception: the destructor
// commits, so the changes a command made before its error stay made. The caret keeps its line and
// column where they still exist.
class PlainTextEditLines final : public EditorLines {
public:
    using ChangeListener = std::function<void(const LineChanges&)>;

    explicit PlainTextEditLines(QPlainTextEdit* pane, ChangeListener listener = {});
    ~PlainTextEditLines() override;
    PlainTextEditLines(const PlainTextEditLines&) = delete;
    PlainTextEditLines& operator=(const PlainTextEditLines&) = delete;

    int count() const override { return m_lines.count(); }
    QString line(int index) const override { return m_lines.line(index); }
    void setLine(int index, const QString& text) override;
    void deleteLine(int index) override;
    void appendLine(const QString& text) override;
    void replaceLines(const std::vector<QString>& texts, const LineChanges& changes) override;

    void flushChanges() override;

    // Writes the lines back (only when something was written) and delivers the pending notifications.
    void commit();

    // The lines a pane holds, and whether its text ends with a line break.
    static QStringList paneLines(const QPlainTextEdit* pane, bool* finalBreak = nullptr);

private:
    QPointer<QPlainTextEdit> m_pane;
    ChangeListener m_listener;
    MemoryLines m_lines;
    bool m_written = false;
};

// Appends a line after the pane's last line as one ordinary edit (the pane's signals flow as for
// typing) and puts the caret behind it, ready for the statement to be typed. A final line break of
// the text becomes the break in front of the new line.
void AppendPaneLine(QPlainTextEdit* pane, const QString& text);
