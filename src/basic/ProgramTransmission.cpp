#include "basic/ProgramTransmission.h"

#include "basic/EditorLines.h"
#include "platform/StringTable.h"

namespace ProgramTransmission {

namespace {

// Characters are bytes on the line: U+0000 ... U+00FF are the bytes 0 ... 255.
QByteArray lineBytes(const QString& line) { return line.left(MaxLineLength).toLatin1(); }

QString text(int tag, int language) { return StringTable::LoadStr(tag + StringTable::LanguageOffset(language)); }

} // namespace

QByteArray lineToSend(const QString& line) { return lineBytes(line) + '\r'; }

QByteArray expectedAnswer(const QString& line)
{
    if (line.isEmpty())
        return QByteArrayLiteral("\r\n\r\n>");
    return lineBytes(line) + QByteArrayLiteral("\r\n>");
}

QString timeoutMessage(int language)
{
    return language == 1 ? QStringLiteral("Zeitüberschreitung !") : QStringLiteral("Timeout !");
}

Failure failureOf(const QByteArray& received)
{
    // The bell comes first: the board rings it for every character beyond its line, and an error it
    // reports after that is only the consequence of the cut line.
    if (received.contains('\a'))
        return Failure::TooLong;
    if (received.contains("ERROR"))
        return Failure::BoardError;
    return received.isEmpty() ? Failure::NoAnswer : Failure::Unexpected;
}

QString progressText(int line, int count, int language) { return text(943, language).arg(line).arg(count); }

QString stoppedText(int line, int language) { return text(944, language).arg(line); }

QString failureText(int line, Failure failure, int language)
{
    switch (failure) {
    case Failure::TooLong:
        return text(945, language).arg(line);
    case Failure::BoardError:
        return text(946, language).arg(line);
    case Failure::NoAnswer:
        return text(947, language).arg(line);
    case Failure::Unexpected:
        break;
    }
    return text(948, language).arg(line);
}

Outcome transmit(const EditorLines& program, Link& link, int language)
{
    QByteArray received;
    const QString message = timeoutMessage(language);
    if (!link.portOpen())
        return Outcome::PortClosed;
    const int count = program.count();
    if (count == 0)
        return Outcome::NoLines;
    if (!link.approve(program))
        return Outcome::Declined;

    for (int i = 0; i < count; ++i) {
        const QString line = program.line(i);
        const QByteArray answer = expectedAnswer(line);
        link.lineStarted(i, count);
        link.writeString(lineToSend(line));
        const Clock::time_point deadline = link.now() + AnswerTimeout;
        for (;;) {
            received += link.readString();
            // A read that completes the answer after the deadline is too late.
            if (link.now() > deadline) {
                link.showTimeout(message);
                link.lineTimedOut(i, received);
                return Outcome::TimedOut;
            }
            if (received == answer)
                break;
            if (link.portLost()) {
                link.stoppedByLostPort(i);
                return Outcome::PortLost;
            }
            link.waitForInput(deadline);
        }
        link.showAnswer(received);
        received.clear();
        link.processEvents();
        // A stop asked for with the last line's answer comes too late to keep anything back.
        if (i + 1 < count && link.stopRequested())
            return Outcome::Stopped;
    }
    return Outcome::Completed;
}

} // namespace ProgramTransmission
