#pragma once

class QWidget;

// Sets the texts of a window's controls that carry a string-table number in their "tag" property
// (group boxes, buttons, labels) from the string table with the given offset (0 German, 1000
// English). A dialog uses it to put itself into the interface language each time it is shown.
void applyTaggedTexts(QWidget* window, int offset);

// Marks a control with its string-table number.
void tagControl(QWidget* control, int tag);
