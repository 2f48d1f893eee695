#pragma once

#include <QString>

// The program's string table: static control texts by number, German at a control's tag and English
// at tag + 1000. Loaded once from the embedded resource.
namespace StringTable {

// The text with the given id, at most 255 characters; a missing id gives an empty text.
QString LoadStr(int id);

// Offset of the language: 0 for German (Language 1), 1000 for any other language.
inline int LanguageOffset(int language) { return language == 1 ? 0 : 1000; }

} // namespace StringTable
