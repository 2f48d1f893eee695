#pragma once

#include "dialogs/TaggedTexts.h"

class QWidget;

// Language switching of static control texts (tagged as dialogs/TaggedTexts.h says): the routine
// walks the program's windows in creation order and sets each tagged control's text.
namespace sprache {

// Windows take part in the order they were registered (the program registers them as it creates them).
void RegisterWindow(QWidget* window);
void UnregisterWindow(QWidget* window);

// Sets the texts of all tagged controls of all registered windows from the string table with the
// given offset (0 German, 1000 English).
void ApplyLanguage(int offset);

// Qt's own texts (file dialogs, the buttons of questions, "Ctrl+" in menus) in the interface language:
// German loads Qt's German translation, any other language removes it. Returns false when the
// translation is not installed on this machine (the texts then stay English).
bool ApplyQtTranslation(int language);

} // namespace sprache
