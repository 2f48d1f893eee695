#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the environment options dialog shows that needs no widget: its texts by language, the
// shortened form of the source folder and where the folder picker starts.
namespace EnvironmentOptions {

// The window caption: "Umgebungsoptionen" for German (1), "Environment" for any other language.
QString caption(int language);

// The items of the preferred-file-type box, in the order of EnvFilter (0 text, 1 BASIC, 2 all).
QStringList filterItems(int language);

// The path as it fits into maxWidth, measured by widthOf: whole when it fits; otherwise the folders
// after the first one go one by one from the left, replaced by "..." ("/home/.../basic/src"), then
// the first one too (".../src"), and a last name that still does not fit is cut at its end
// (".../very-long-na..."). "..." alone when nothing else fits.
QString shortenedPath(const QString& path, int maxWidth, const std::function<int(const QString&)>& widthOf);

// Where the folder picker starts: the folder when it exists, otherwise nothing.
QString browseStart(const QString& folder);

// The folder picker's prompt (the same in both languages).
inline const QString BrowsePrompt = QStringLiteral("Bitte wählen Sie den Zielordner aus: ");

} // namespace EnvironmentOptions
