#pragma once

#include <QString>
#include <QtGlobal>

// The auto-numbering mode. Switching it on appends one line holding the start value, ready for the
// statement to be typed behind it; nothing else is numbered automatically, and the step is only kept.
extern bool AutoNumberOn;     // false at start
extern qint32 AutoNumberNext; // copies of the dialog's values, taken when the mode is switched on
extern qint32 AutoNumberStep;

// Switches the mode on with the given values and returns the text of the line to append.
QString SwitchAutoNumberOn(qint32 start, qint32 step);
void SwitchAutoNumberOff();
