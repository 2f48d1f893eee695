#pragma once

// The pane's change handler and two stand-ins for the pane (one notifying after every edit, one
// delivering recorded batches at every flush), and the renumber rule carried out literally, line by
// line: the yardstick for the renumbering in tests.

#include "basic/EditorLines.h"
#include "basic/LineSyntax.h"
#include "basic/Renumber.h"
#include "basic/SortProgram.h"

#include <QStringList>

#include <functional>

// The pane's change handler as far as the line tools are concerned.
struct DocumentFlags {
    qsizetype lastLoadedLength = 0;
    bool editorModified = false;
    bool sortCleanupPending = false;

    void changed(qsizetype textLength)
    {
        if (textLength != lastLoadedLength)
            editorModified = true;
        if (editorModified)
            sortCleanupPending = true;
    }
    // A batch recorded by MemoryLines, replayed as the adapter's listener does.
    void replay(const LineChanges& changes)
    {
        for (qsizetype length : changes.lengths())
            changed(length);
    }
    bool operator==(const DocumentFlags&) const = default;
};

// Lines that call the handler after every single edit, like the pane does.
class NotifyingLines final : public EditorLines {
public:
    NotifyingLines(const QStringList& lines, bool finalBreak, std::function<void(qsizetype)> changed)
        : m_lines(lines), m_finalBreak(finalBreak), m_changed(std::move(changed))
    {
    }
    int count() const override { return int(m_lines.size()); }
    QString line(int index) const override { return m_lines.at(index); }
    void setLine(int index, const QString& text) override
    {
        m_lines[index] = text;
        notify();
    }
    void deleteLine(int index) override
    {
        m_lines.removeAt(index);
        notify();
    }
    void appendLine(const QString& text) override
    {
        m_lines.append(text);
        notify();
    }
    // The sort writes its result at once with the lengths its exchanges passed through (as differences
    // from the length before); the handler hears those lengths, as it would have heard each exchange.
    void replaceLines(const std::vector<QString>& texts, const LineChanges& changes) override
    {
        const qsizetype before = textLength();
        m_lines = QStringList(texts.begin(), texts.end());
        if (m_changed)
            for (const qsizetype difference : changes.lengths())
                m_changed(before + difference);
    }
    const QStringList& lines() const { return m_lines; }

private:
    qsizetype textLength() const
    {
        return m_lines.isEmpty() ? 0 : m_lines.join(QLatin1Char('\n')).size() + (m_finalBreak ? 1 : 0);
    }
    void notify()
    {
        if (m_changed)
            m_changed(textLength());
    }
    QStringList m_lines;
    bool m_finalBreak;
    std::function<void(qsizetype)> m_changed;
};

// MemoryLines whose recorded notifications go to a listener at every flush, as the pane adapter does.
class FlushingLines final : public EditorLines {
public:
    FlushingLines(const QStringList& lines, bool finalBreak, std::function<void(const LineChanges&)> listener)
        : m_lines(lines, finalBreak), m_listener(std::move(listener))
    {
    }
    int count() const override { return m_lines.count(); }
    QString line(int index) const override { return m_lines.line(index); }
    void setLine(int index, const QString& text) override { m_lines.setLine(index, text); }
    void deleteLine(int index) override { m_lines.deleteLine(index); }
    void appendLine(const QString& text) override { m_lines.appendLine(text); }
    void replaceLines(const std::vector<QString>& texts, const LineChanges& changes) override
    {
        m_lines.replaceLines(texts, changes);
    }
    void flushChanges() override
    {
        const LineChanges changes = m_lines.takeChanges();
        if (!changes.isEmpty())
            m_listener(changes);
    }
    QStringList lines() const { return m_lines.lines(); }

private:
    MemoryLines m_lines;
    std::function<void(const LineChanges&)> m_listener;
};

// The renumber command line by line: sort (which is literal itself), table, then each line rewritten and
// written in turn.
inline void ReferenceRenumber(EditorLines& lines, qint32 start, qint32 step, bool& sortCleanupPending)
{
    SortProgram(lines, sortCleanupPending);
    const int last = lines.count() - 1;
    if (last <= 0)
        return;
    RenumberTable table;
    bool differs = false;
    for (int k = 0; k <= last; ++k) {
        const qint32 newNumber = qint32(quint32(start) + quint32(k) * quint32(step));
        const qint32 oldNumber = LineNumber(lines.line(k));
        differs = differs || newNumber != oldNumber;
        table.append(oldNumber, newNumber);
    }
    if (!differs)
        return;
    for (int k = 0; k <= last; ++k)
        lines.setLine(k, RenumberLine(lines.line(k), table.entries().at(k).NewNumber, table));
}
