#include "DocumentText.h"

#include <QTextDocument>

QString toPaneText(QString programText)
{
    programText.replace(QLatin1Char('\r'), CarriageReturnStandIn);
    return programText;
}

QString fromPaneText(QString paneText)
{
    paneText.replace(CarriageReturnStandIn, QLatin1Char('\r'));
    return paneText;
}

QString documentText(const QTextDocument* document)
{
    QString text = document->toRawText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
        else if (c == CarriageReturnStandIn)
            c = QLatin1Char('\r');
    }
    return text;
}
