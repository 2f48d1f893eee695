#include "dialogs/EnvironmentOptions.h"

#include <QFileInfo>

namespace EnvironmentOptions {

QString caption(int language)
{
    return language == 1 ? QStringLiteral("Umgebungsoptionen") : QStringLiteral("Environment");
}

QStringList filterItems(int language)
{
    if (language == 1)
        return {QStringLiteral("Textdateien (*.txt)"), QStringLiteral("Basic-Dateien (*.bas)"),
                QStringLiteral("Alle Dateien (*.*)")};
    return {QStringLiteral("Textfile (*.txt)"), QStringLiteral("Basic-Files (*.bas)"),
            QStringLiteral("All Files (*.*)")};
}

QString shortenedPath(const QString& path, int maxWidth, const std::function<int(const QString&)>& widthOf)
{
    const auto fits = [&](const QString& text) { return widthOf(text) <= maxWidth; };
    if (path.isEmpty() || fits(path))
        return path;

    static const QString dots = QStringLiteral("...");
    QStringList names = path.split(QLatin1Char('/'));
    // A folder written with a closing slash is the same folder.
    while (names.size() > 1 && names.last().isEmpty())
        names.removeLast();
    const bool absolute = names.size() > 1 && names.first().isEmpty();
    if (absolute)
        names.removeFirst();
    const QString root = absolute ? QStringLiteral("/") : QString();
    const QString last = names.last();

    // The middle folders go from the left; the first folder and the last name stay.
    if (names.size() >= 3) {
        const QString head = root + names.first();
        for (qsizetype from = 2; from < names.size(); ++from) {
            const QString candidate =
                head + QLatin1Char('/') + dots + QLatin1Char('/') + names.mid(from).join(QLatin1Char('/'));
            if (fits(candidate))
                return candidate;
        }
    }
    // Then the first folder too; a lone name keeps what stands before it.
    const QString before = names.size() >= 2 ? dots + QLatin1Char('/') : root;
    if (fits(before + last))
        return before + last;
    for (qsizetype keep = last.size() - 1; keep > 0; --keep) {
        const QString candidate = before + last.left(keep) + dots;
        if (fits(candidate))
            return candidate;
    }
    return dots;
}

QString browseStart(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

} // namespace EnvironmentOptions
