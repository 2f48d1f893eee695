#pragma once

class QObject;
class QWidget;

// Controls that take part in language switching carry their string-table number as the dynamic
// property "tag"; their texts come from the string table at that number plus the language's offset
// (0 German, 1000 English).

// Property names used on controls.
inline constexpr char TagProperty[] = "tag";
// Marks an action that is a toolbar button: it gets the text as its hint, not as its caption.
inline constexpr char ToolButtonProperty[] = "toolbutton";
// Marks a page of a tab widget: it gets the text as its tab caption.
inline constexpr char TabSheetProperty[] = "tabsheet";

// Marks a control with its string-table number.
void tagControl(QObject* control, int tag);

// Sets the text of one tagged control (an action, a menu, a label, a button, a group box or a tab
// page); untagged controls and other kinds keep their text.
void applyTaggedText(QObject* control, int offset);

// The same for every tagged control of a window. A dialog uses it to put itself into the interface
// language each time it is shown.
void applyTaggedTexts(QWidget* window, int offset);
