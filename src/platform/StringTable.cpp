#include "platform/StringTable.h"

#include <QFile>
#include <QHash>

// The resource lives in a static library, so it has to be registered by hand before its first use.
static void initStringResource() { Q_INIT_RESOURCE(strings); }

namespace StringTable {

namespace {

QHash<int, QString> load()
{
    initStringResource();
    QHash<int, QString> table;
    QFile file(QStringLiteral(":/stringtable.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QString all = QString::fromUtf8(file.readAll());
    for (const QString& line : all.split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int id = line.left(tab).toInt(&ok);
        if (tab > 0 && ok)
            table.insert(id, line.mid(tab + 1).chopped(line.endsWith(QLatin1Char('\r')) ? 1 : 0));
    }
    return table;
}

} // namespace

QString LoadStr(int id)
{
    static const QHash<int, QString> table = load();
    return table.value(id).left(255);
}

} // namespace StringTable
