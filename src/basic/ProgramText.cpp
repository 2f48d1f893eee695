#include "basic/ProgramText.h"

ProgramText SplitProgramText(const QString& text)
{
    ProgramText result;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), start);
        if (lf < 0) {
            result.lines.append(text.mid(start));
            return result;
        }
        const qsizetype end = lf > start && text.at(lf - 1) == QLatin1Char('\r') ? lf - 1 : lf;
        result.lines.append(text.mid(start, end - start));
        start = lf + 1;
    }
    result.finalBreak = !text.isEmpty();
    return result;
}

QString DecodeProgramBytes(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

QByteArray EncodeProgramText(const QString& text) { return text.toLatin1(); }
