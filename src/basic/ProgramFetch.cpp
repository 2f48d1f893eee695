#include "basic/ProgramFetch.h"

namespace ProgramFetch {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Counts the program lines of a listing as its lines are finished, looking at each byte once.
class LineCounter {
public:
    // The count after the bytes that came so far.
    int update(const QByteArray& received)
    {
        for (qsizetype end; (end = received.indexOf('\n', m_lineStart)) >= 0; m_lineStart = end + 1) {
            qsizetype at = m_lineStart;
            while (at < end && received.at(at) == ' ')
                ++at;
            if (at < end && received.at(at) >= '0' && received.at(at) <= '9')
                ++m_count;
        }
        return m_count;
    }

private:
    qsizetype m_lineStart = 0;
    int m_count = 0;
};

} // namespace

QByteArray listCommand() { return QByteArrayLiteral("LIST\r"); }

bool isComplete(const QByteArray& received)
{
    // A listed program line begins with its number, so only the board's own READY can stand alone on
    // the line before the prompt.
    return received.endsWith("\nREADY\r\n>");
}

Result fetch(BoardLine& line, const std::function<void(int lines)>& linesReceived)
{
    Result result;
    if (!line.portOpen())
        return result;
    line.writeString(listCommand());
    Clock::time_point deadline = line.now() + SilenceTimeout;
    LineCounter counter;
    int lines = 0;
    for (;;) {
        const QByteArray more = line.readString();
        result.received += more;
        // As for a program line: bytes read only after the deadline came too late.
        if (line.now() > deadline) {
            result.outcome = Outcome::TimedOut;
            return result;
        }
        if (!more.isEmpty()) {
            deadline = line.now() + SilenceTimeout;
            if (const int finished = counter.update(result.received); finished != lines) {
                lines = finished;
                if (linesReceived)
                    linesReceived(lines);
            }
        }
        if (isComplete(result.received)) {
            result.outcome = Outcome::Completed;
            return result;
        }
        if (line.portLost()) {
            result.outcome = Outcome::PortLost;
            return result;
        }
        line.waitForInput(deadline);
    }
}

QStringList programLines(const QByteArray& listing)
{
    QStringList program;
    // The board ends its lines with CR LF; a lone CR or LF ends one as well.
    QString text = QString::fromLatin1(listing);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        qsizetype at = 0;
        while (at < line.size() && line.at(at) == QLatin1Char(' '))
            ++at;
        if (at == line.size() || !isDigit(line.at(at)))
            continue;
        const qsizetype start = at;
        while (at < line.size() && isDigit(line.at(at)))
            ++at;
        const QString number = line.mid(start, at - start);
        while (at < line.size() && line.at(at) == QLatin1Char(' '))
            ++at;
        const QString statement = line.mid(at);
        program.append(statement.isEmpty() ? number : number + QLatin1Char(' ') + statement);
    }
    return program;
}

} // namespace ProgramFetch
