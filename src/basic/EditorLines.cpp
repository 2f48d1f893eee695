#include "basic/EditorLines.h"

#include <algorithm>

void LineChanges::record(qsizetype lengthAfter)
{
    ++m_writes;
    if (m_lengths.size() < 2 && std::find(m_lengths.begin(), m_lengths.end(), lengthAfter) == m_lengths.end())
        m_lengths.push_back(lengthAfter);
}

bool LineChanges::anyLengthDiffersFrom(qsizetype reference) const
{
    return std::any_of(m_lengths.begin(), m_lengths.end(), [&](qsizetype length) { return length != reference; });
}

bool LineChanges::sameEffect(const LineChanges& other) const
{
    if (isEmpty() || other.isEmpty())
        return isEmpty() == other.isEmpty();
    if (m_lengths.size() != other.m_lengths.size())
        return false;
    return m_lengths.size() == 2 || m_lengths.front() == other.m_lengths.front();
}

void LineChanges::merge(const LineChanges& later, qsizetype offset)
{
    const int writes = m_writes + later.m_writes;
    for (qsizetype length : later.m_lengths)
        record(length + offset);
    m_writes = writes;
}

void EditorLines::replaceLines(const std::vector<QString>& texts, const LineChanges& /*changes*/)
{
    Q_ASSERT(int(texts.size()) == count());
    for (int i = 0; i < count(); ++i)
        if (line(i) != texts[size_t(i)])
            setLine(i, texts[size_t(i)]);
}

MemoryLines::MemoryLines(const QStringList& lines, bool finalBreak)
    : m_buffer(lines.begin(), lines.end()), m_gapStart(int(lines.size())), m_gapEnd(int(lines.size())),
      m_finalBreak(finalBreak)
{
    for (const QString& line : lines)
        m_characters += line.size();
}

int MemoryLines::count() const { return int(m_buffer.size()) - (m_gapEnd - m_gapStart); }

QString& MemoryLines::at(int index) { return m_buffer[index < m_gapStart ? index : index + (m_gapEnd - m_gapStart)]; }

const QString& MemoryLines::at(int index) const
{
    return m_buffer[index < m_gapStart ? index : index + (m_gapEnd - m_gapStart)];
}

QString MemoryLines::line(int index) const
{
    Q_ASSERT(index >= 0 && index < count());
    return at(index);
}

void MemoryLines::setLine(int index, const QString& text)
{
    Q_ASSERT(index >= 0 && index < count());
    QString& slot = at(index);
    m_characters += text.size() - slot.size();
    slot = text;
    recordChange();
}

void MemoryLines::deleteLine(int index)
{
    Q_ASSERT(index >= 0 && index < count());
    moveGap(index);
    m_characters -= m_buffer[m_gapEnd].size();
    m_buffer[m_gapEnd] = QString();
    ++m_gapEnd;
    recordChange();
}

void MemoryLines::appendLine(const QString& text)
{
    moveGap(count());
    if (m_gapStart < m_gapEnd) {
        m_buffer[m_gapStart++] = text;
    } else {
        m_buffer.push_back(text);
        m_gapStart = m_gapEnd = int(m_buffer.size());
    }
    m_characters += text.size();
    recordChange();
}

void MemoryLines::replaceLines(const std::vector<QString>& texts, const LineChanges& changes)
{
    Q_ASSERT(int(texts.size()) == count());
    const qsizetype lengthBefore = textLength();
    m_buffer = texts;
    m_gapStart = m_gapEnd = int(m_buffer.size());
    m_characters = 0;
    for (const QString& line : m_buffer)
        m_characters += line.size();
    m_changes.merge(changes, lengthBefore);
}

void MemoryLines::moveGap(int position)
{
    if (position < m_gapStart) {
        const int moving = m_gapStart - position;
        std::move_backward(m_buffer.begin() + position, m_buffer.begin() + m_gapStart, m_buffer.begin() + m_gapEnd);
        m_gapStart -= moving;
        m_gapEnd -= moving;
    } else if (position > m_gapStart) {
        const int moving = position - m_gapStart;
        std::move(m_buffer.begin() + m_gapEnd, m_buffer.begin() + m_gapEnd + moving, m_buffer.begin() + m_gapStart);
        m_gapStart += moving;
        m_gapEnd += moving;
    }
}

qsizetype MemoryLines::textLength() const
{
    const int lines = count();
    if (lines == 0)
        return 0;
    return m_characters + (lines - 1) + (m_finalBreak ? 1 : 0);
}

void MemoryLines::recordChange() { m_changes.record(textLength()); }

LineChanges MemoryLines::takeChanges()
{
    LineChanges taken = m_changes;
    m_changes.clear();
    return taken;
}

QStringList MemoryLines::lines() const
{
    QStringList result;
    result.reserve(count());
    for (int i = 0; i < count(); ++i)
        result.append(at(i));
    return result;
}

QString MemoryLines::text() const
{
    QString result = lines().join(QLatin1Char('\n'));
    if (m_finalBreak && count() > 0)
        result += QLatin1Char('\n');
    return result;
}
