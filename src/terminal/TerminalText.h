#pragma once

#include <QByteArray>
#include <QString>

// The byte rules of the terminal pane. The line carries bytes without any conversion: byte n is the
// character U+00nn in the pane, and a typed character U+00nn is the byte n.
namespace TerminalText {

// What of a received chunk is shown: a chunk that is exactly a bell, or exactly the
// backspace-space-backspace with which the controller rubs out a character, shows nothing. Only the
// whole chunk is looked at; the same bytes among others stay.
QByteArray filterReceived(const QByteArray& chunk);

QString fromBytes(const QByteArray& bytes);

// The byte sent for a typed character: DEL (127) for backspace, otherwise the character's own code.
// -1 for a character that has no byte (above U+00FF).
int byteForKey(char16_t character);

} // namespace TerminalText
