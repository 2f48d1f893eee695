#include "DocumentText.h"

#include <QTextDocument>

QString documentText(const QTextDocument* document)
{
    QString text = document->toRawText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    return text;
}
