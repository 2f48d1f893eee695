#include "basic/ProgramTransmission.h"

#include "basic/EditorLines.h"

namespace ProgramTransmission {

namespace {

// Characters are bytes on the line: U+0000 ... U+00FF are the bytes 0 ... 255.
QByteArray lineBytes(const QString& line) { return line.left(MaxLineLength).toLatin1(); }

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

Outcome transmit(const EditorLines& program, Link& link, int language)
{
    QByteArray received;
    const QString message = timeoutMessage(language);
    if (!link.portOpen())
        return Outcome::PortClosed;
    const int count = program.count();
    if (count == 0)
        return Outcome::NoLines;

    for (int i = 0; i < count; ++i) {
        const QString line = program.line(i);
        const QByteArray answer = expectedAnswer(line);
        link.writeString(lineToSend(line));
        const Clock::time_point deadline = link.now() + AnswerTimeout;
        for (;;) {
            received += link.readString();
            // A read that completes the answer after the deadline is too late.
            if (link.now() > deadline) {
                link.showTimeout(message);
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
    }
    return Outcome::Completed;
}

} // namespace ProgramTransmission
