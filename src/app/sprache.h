#pragma once

class QObject;
class QWidget;

// Language switching of static control texts. Every control that takes part carries its string-table
// number as the dynamic property "tag"; the routine walks the program's windows in creation order and
// sets each tagged control's text from the string table.
namespace sprache {

// Property names used on controls.
inline constexpr char TagProperty[] = "tag";
// Marks an action that is a toolbar button: it gets the text as its hint, not as its caption.
inline constexpr char ToolButtonProperty[] = "toolbutton";
// Marks a page of a tab widget: it gets the text as its tab caption.
inline constexpr char TabSheetProperty[] = "tabsheet";

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

// The same for one object (used by ApplyLanguage; exposed for dialogs that refresh themselves).
void ApplyLanguageTo(QObject* component, int offset);

} // namespace sprache
