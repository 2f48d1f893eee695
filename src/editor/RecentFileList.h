#pragma once

#include <QString>
#include <QStringList>

// The list of the last files used, most recent first, as the File menu and the Open button's
// drop-down show it. It is kept in two values of the program's state: the names (always the list's
// full length once anything was added, empty names filling the end) and how many of them are in use.
//
// Names are cut to MaxNameLength characters, and two names are the same file when they differ only
// in the case of the letters A to Z (the list was made for a system whose file names ignore that
// case; other letters are compared as they are). A name already first changes nothing; one further
// down moves to the front; a new one goes in front and the last falls out when the list is full.
namespace RecentFileList {

inline constexpr int MaxEntries = 4;
inline constexpr int MaxNameLength = 150;

// Adds path in front. Returns false when nothing changed (the name was first already).
bool add(QStringList& names, int& count, const QString& path);

// The menu caption of entry index (0-based): "&1 name".
QString caption(int index, const QString& name);

} // namespace RecentFileList
