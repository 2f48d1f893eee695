#include "editor/RecentFileList.h"

namespace {

QString foldAsciiCase(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return out;
}

} // namespace

namespace RecentFileList {

bool add(QStringList& names, int& count, const QString& path)
{
    // The list holds names cut to their limit, so a long name is compared in its cut form; otherwise
    // reopening a long path would add it again each time.
    const QString name = path.left(MaxNameLength);
    const QString key = foldAsciiCase(name);
    if (count >= 1 && foldAsciiCase(names.value(0)) == key)
        return false;
    int found = -1;
    for (int k = 1; k < count; ++k)
        if (foldAsciiCase(names.value(k)) == key)
            found = k;
    while (names.size() < MaxEntries)
        names.append(QString());
    if (found > 0) {
        names.removeAt(found);
    } else {
        names.removeLast();
        count = qMin(count + 1, MaxEntries);
    }
    names.prepend(name);
    names = names.mid(0, MaxEntries);
    return true;
}

QString caption(int index, const QString& name) { return QStringLiteral("&%1 ").arg(index + 1) + name; }

} // namespace RecentFileList
