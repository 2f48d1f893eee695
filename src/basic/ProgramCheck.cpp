#include "basic/ProgramCheck.h"

#include "basic/EditorLines.h"
#include "platform/StringTable.h"

#include <QHash>

namespace ProgramCheck {

namespace {

QString text(int tag, int language) { return StringTable::LoadStr(tag + StringTable::LanguageOffset(language)); }

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

} // namespace

QList<Problem> check(const EditorLines& program)
{
    QList<Problem> problems;
    // Line number -> the line (from 0) where it stood first.
    QHash<int, int> firstLineOf;
    const int count = program.count();
    for (int i = 0; i < count; ++i) {
        const QString line = program.line(i);
        // Blanks count: the board keeps them in the line as typed.
        if (line.size() > BoardLineLength)
            problems.append({i, Problem::Kind::TooLong, QString::number(line.size())});
        // The board skips blanks in front of the number; a line of blanks alone stores nothing.
        qsizetype at = 0;
        while (at < line.size() && line.at(at) == QLatin1Char(' '))
            ++at;
        if (at == line.size())
            continue;
        if (!isDigit(line.at(at))) {
            problems.append({i, Problem::Kind::NoLineNumber, {}});
            continue;
        }
        const qsizetype start = at;
        // Leading zeros name the same line; the value is kept only as far as it can still be a line.
        qint64 number = 0;
        while (at < line.size() && isDigit(line.at(at))) {
            if (number <= MaxLineNumber)
                number = number * 10 + line.at(at).digitValue();
            ++at;
        }
        if (number > MaxLineNumber) {
            problems.append({i, Problem::Kind::NumberTooLarge, line.mid(start, at - start)});
            continue;
        }
        const auto first = firstLineOf.constFind(int(number));
        if (first != firstLineOf.cend())
            problems.append({i, Problem::Kind::DuplicateNumber, QString::number(number), *first});
        else
            firstLineOf.insert(int(number), i);
    }
    return problems;
}

QString describe(const Problem& problem, int language)
{
    const int line = problem.line + 1;
    switch (problem.kind) {
    case Problem::Kind::TooLong:
        return text(954, language).arg(line).arg(problem.value).arg(BoardLineLength);
    case Problem::Kind::NoLineNumber:
        return text(955, language).arg(line);
    case Problem::Kind::NumberTooLarge:
        return text(956, language).arg(line).arg(problem.value).arg(MaxLineNumber);
    case Problem::Kind::DuplicateNumber:
        break;
    }
    return text(957, language).arg(line).arg(problem.value).arg(problem.earlierLine + 1);
}

QStringList listed(const QList<Problem>& problems, int language)
{
    QStringList entries;
    for (qsizetype k = 0; k < problems.size() && k < MaxListed; ++k)
        entries.append(describe(problems.at(k), language));
    if (problems.size() > MaxListed)
        entries.append(text(953, language).arg(problems.size() - MaxListed));
    return entries;
}

} // namespace ProgramCheck
