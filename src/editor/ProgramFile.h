#pragma once

#include <QByteArray>
#include <QString>

// Program files are single-byte text: byte n is the character U+00nn and back, so every byte the
// controller understands survives a load and a save unchanged. Lines end in CR LF on disk; CR LF
// and a bare LF both read as one line break, while a CR that is not followed by LF (a lone CR, also
// one at the very end of the file) is an ordinary character of its line. A file whose lines end in
// CR alone is therefore one single line, for the editor and for taloma-basic alike.
//
// The text these functions return and take is the program text: line breaks as "\n", a lone CR as
// the character CR. The editor pane cannot hold a CR inside a line, so it shows each one as the
// stand-in U+240D; toPaneText() and documentText() in DocumentText.h convert at the pane's edge, and
// the pane's line adapter (PlainTextEditLines) hands the line tools and the transmission lines with
// the CR restored, so that those send and sort the same bytes that the file holds.
//
// All functions throw EFileError with the program's file error texts; the reason is the system's
// own text for the failing call.

// The largest program file read; the board holds a few kilobytes, so anything near this is not a
// program, and an endless device must not fill the memory.
inline constexpr qint64 ProgramFileMaxBytes = 64 * 1024 * 1024;
// The longest line a program may have (a line on the board holds 78 characters). Longer lines are
// refused when a file is opened: the editor pane would lay out such a line again at every blink of
// the caret.
inline constexpr qsizetype ProgramLineMaxChars = 65536;

// The file's bytes as they are on disk. Only a regular file of at most maxBytes is read: a terminal,
// a pipe or a device (which might never end, or block the program) is refused with the open error.
QByteArray readFileBytes(const QString& path, qint64 maxBytes = ProgramFileMaxBytes);

// Throws the open error for path when a line of the program text is longer than ProgramLineMaxChars,
// naming the line.
void requireProgramLineLengths(const QString& path, const QString& text);

// Replaces the file's content by data without ever leaving a partly written file (AtomicFile). A file
// the user may not write (no write permission, or no write bit at all for a user who could override
// it) is refused, not replaced; so are a folder and a device or pipe.
void writeFileBytesAtomically(const QString& path, const QByteArray& data);

// Byte <-> text conversion with the line-end rules above.
QString programTextFromBytes(const QByteArray& bytes);
// Every line break becomes CR LF; the pane's CR stand-in becomes CR; any other character above U+00FF
// becomes '?' (one per character, also for characters written as surrogate pairs).
QByteArray programTextToBytes(const QString& text);

QString loadProgramText(const QString& path);
void saveProgramText(const QString& path, const QString& text);
