#include "basic/Renumber.h"

#include "basic/LineSyntax.h"
#include "basic/SortProgram.h"

qint32 RenumberStart = 10;
qint32 RenumberStep = 10;
bool RenumberConfirmed = false;

namespace {

const QString Comma = QStringLiteral(",");
const QString Colon = QStringLiteral(":");
constexpr QChar Quote = QLatin1Char('"');

// A position beyond the last token reads as an empty text.
QString tokenAt(const QStringList& tokens, qsizetype index)
{
    return index >= 0 && index < tokens.size() ? tokens.at(index) : QString();
}

// The pending text of the scan. Its leading and trailing spaces are counted as it grows, so that the
// questions asked at every character (is it blank? is it "rem" once trimmed?) take constant time; asked
// of the text itself they would re-read it each time, and a long word would take quadratic time.
class PendingText final {
public:
    const QString& text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    // Empty or spaces only: nothing is left after TrimSpaces.
    bool isBlank() const { return m_leading == m_text.size(); }

    void clear()
    {
        m_text.clear();
        m_leading = 0;
        m_trailing = 0;
    }

    void append(QChar c)
    {
        if (c == QLatin1Char(' ')) {
            if (isBlank())
                ++m_leading;
            ++m_trailing;
        } else {
            m_trailing = 0;
        }
        m_text += c;
    }

    // TrimSpaces, then lower-cased, gives "rem".
    bool isRem() const
    {
        if (isBlank() || m_text.size() - m_leading - m_trailing != 3)
            return false;
        return LowerAscii(m_text.mid(m_leading, 3)) == QLatin1String("rem");
    }

private:
    QString m_text;
    qsizetype m_leading = 0;  // spaces at the start (all of them while the text is blank)
    qsizetype m_trailing = 0; // spaces at the end
};

class Tokenizer final {
public:
    explicit Tokenizer(const QString& line) : m_line(line) {}

    QStringList run()
    {
        const qsizetype n = m_line.size();
        qsizetype i = 0;
        while (i < n && !m_done) {
            const QChar c = m_line.at(i);
            if (c == QLatin1Char(' ')) {
                if (!m_pending.isBlank())
                    store();
                m_pending.clear();
                i = ordinary(i);
            } else if (c == QLatin1Char(',')) {
                store();
                m_tokens.append(Comma);
                i = afterSeparator(i + 1);
            } else if (c == Quote) {
                if (!m_pending.isBlank())
                    store();
                m_pending.clear();
                i = afterSeparator(literal(i));
            } else if (c == QLatin1Char(':')) {
                if (!m_pending.isEmpty())
                    store();
                m_tokens.append(Colon);
                i = afterSeparator(i + 1);
            } else {
                i = ordinary(i);
            }
        }
        if (!m_done && !m_pending.isEmpty())
            m_tokens.append(LowerAscii(TrimLeadingSpaces(m_pending.text())));
        return m_tokens;
    }

private:
    void store()
    {
        m_tokens.append(LowerAscii(TrimSpaces(m_pending.text())));
        m_pending.clear();
    }

    // Reads the literal whose opening quote is at `open` and returns the position after it (the line's
    // length when its closing quote is missing).
    qsizetype literal(qsizetype open)
    {
        const qsizetype close = m_line.indexOf(Quote, open + 1);
        const qsizetype end = close < 0 ? m_line.size() : close + 1;
        m_tokens.append(m_line.mid(open, end - open));
        return end;
    }

    // The character after a comma, a colon or a literal is not matched against the separators.
    qsizetype afterSeparator(qsizetype next) { return next < m_line.size() ? ordinary(next) : next; }

    // Handles the character at i as an ordinary one and returns the next position to scan.
    qsizetype ordinary(qsizetype i)
    {
        const QChar c = m_line.at(i);
        m_pending.append(c);
        if (m_pending.isRem()) {
            m_tokens.append(QStringLiteral("rem") + m_line.mid(i + 1));
            m_pending.clear();
            m_done = true;
            return m_line.size();
        }
        if (c == Quote) {
            // Only an unmatched character after a separator gets here, with nothing else pending.
            m_pending.clear();
            const qsizetype next = literal(i);
            if (next < m_line.size())
                m_pending.append(m_line.at(next)); // taken as it is, without any rule applied to it
            return next + 1;
        }
        return i + 1;
    }

    const QString& m_line;
    PendingText m_pending;
    QStringList m_tokens;
    bool m_done = false;
};

} // namespace

void RenumberTable::clear()
{
    m_entries.clear();
    m_first.clear();
    m_anyChange = false;
}

void RenumberTable::append(qint32 oldNumber, qint32 newNumber)
{
    m_entries.append(RenumberEntry{oldNumber, newNumber});
    if (!m_first.contains(oldNumber))
        m_first.insert(oldNumber, newNumber);
    if (oldNumber != newNumber)
        m_anyChange = true;
}

std::optional<qint32> RenumberTable::lookup(qint32 oldNumber) const
{
    const auto it = m_first.constFind(oldNumber);
    if (it == m_first.constEnd())
        return std::nullopt;
    return it.value();
}

QStringList TokenizeLine(const QString& line) { return Tokenizer(line).run(); }

void RewriteReferences(QStringList& tokens, const RenumberTable& table)
{
    // Replaces the token at `index` when its value names a line; a position beyond the end is never
    // replaced (its empty text does not convert, so the callers have thrown before).
    auto replace = [&](qsizetype index, qint32 value) {
        const std::optional<qint32> newNumber = table.lookup(value);
        if (newNumber && index < tokens.size())
            tokens[index] = QString::number(*newNumber);
        return newNumber.has_value();
    };
    const qsizetype n = tokens.size();
    qsizetype i = 1;
    while (i < n - 1) {
        const QString keyword = tokenAt(tokens, i);
        if (keyword == QLatin1String("goto") || keyword == QLatin1String("gosub")) {
            if (replace(i + 1, StrToInt(tokenAt(tokens, i + 1)))) {
                i += 2;
                // The rest of a list such as ON X GOTO 100,200,300; an element that names no line is
                // left as it is and the list goes on.
                while (tokenAt(tokens, i) == Comma) {
                    replace(i + 1, StrToInt(tokenAt(tokens, i + 1)));
                    i += 2;
                }
            }
        }
        const QString current = tokenAt(tokens, i);
        if (current == QLatin1String("then") || current == QLatin1String("else")) {
            qint32 value = 0;
            if (TryStrToInt(tokenAt(tokens, i + 1), value))
                replace(i + 1, value);
        }
        if (current == QLatin1String("onerr") || current == QLatin1String("onex1"))
            replace(i + 1, StrToInt(tokenAt(tokens, i + 1)));
        if (current == QLatin1String("ontime")) // ONTIME time,line: keyword, time, comma, line
            replace(i + 3, StrToInt(tokenAt(tokens, i + 3)));
        ++i;
    }
}

QString JoinTokens(const QStringList& tokens)
{
    QString result = tokenAt(tokens, 0);
    const qsizetype n = tokens.size();
    qsizetype i = 1;
    while (i < n) {
        const QString& token = tokens.at(i);
        if (token.isEmpty()) {
            ++i;
        } else if (token.endsWith(QLatin1Char(','))) {
            result += token;
            ++i;
            if (i < n && tokens.at(i) != Colon) {
                result += tokens.at(i);
                ++i;
            }
        } else {
            result += QLatin1Char(' ');
            result += token;
            ++i;
        }
    }
    return result;
}

QString RenumberLine(const QString& line, qint32 newNumber, const RenumberTable& table)
{
    if (line.isEmpty() || !IsDigit(line.at(0)))
        return line;
    QStringList tokens = TokenizeLine(line);
    Q_ASSERT(!tokens.isEmpty()); // a leading digit always starts token 0
    tokens[0] = QString::number(newNumber);
    RewriteReferences(tokens, table);
    return JoinTokens(tokens);
}

RenumberOutcome RenumberProgram(EditorLines& lines, qint32 start, qint32 step, bool& sortCleanupPending,
                                RenumberTable* tableOut)
{
    SortProgram(lines, sortCleanupPending);
    const int count = lines.count();
    if (count <= 1)
        return RenumberOutcome::TooFewLines;

    RenumberTable local;
    RenumberTable& table = tableOut ? *tableOut : local;
    table.clear();
    // The numbers wrap around in 32 bits like the program's arithmetic; the BASIC's own range is not
    // enforced.
    quint32 newNumber = quint32(start);
    for (int k = 0; k < count; ++k) {
        table.append(LineNumber(lines.line(k)), qint32(newNumber));
        newNumber += quint32(step);
    }
    if (!table.anyNumberChanges())
        return RenumberOutcome::Unchanged;

    // Every line is rewritten before any is written back, so that a target that does not convert
    // leaves the program as the sort left it.
    QStringList rewritten;
    rewritten.reserve(count);
    for (int k = 0; k < count; ++k)
        rewritten.append(RenumberLine(lines.line(k), table.entries().at(k).NewNumber, table));
    for (int k = 0; k < count; ++k)
        lines.setLine(k, rewritten.at(k));
    return RenumberOutcome::Renumbered;
}
