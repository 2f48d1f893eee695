#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>

// Rich-text files for the editor: the pane edits plain text, so reading keeps the text and drops
// every formatting, and writing produces a plain RTF 1 document in the pane's font and colour.
//
// Reading understands groups, control words and symbols, \par and \line (line breaks), \tab, \'hh
// (the byte hh, which the program treats as the character U+00hh just like a byte of a plain-text
// program file), \uN with its fallback characters (\ucN), the escaped \\ \{ \}, and skips the
// destinations that carry no document text (font and colour tables, style sheet, document info,
// pictures, objects, headers, footers, \*\... groups). Malformed input never fails: unbalanced
// braces, truncated escapes and binary garbage give whatever text can be recognised.
QString rtfToPlainText(const QByteArray& rtf);

// Lines become paragraphs (\par), characters 0x80-0xFF are written as \'hh, characters above as
// \uN? (one per UTF-16 unit). rtfToPlainText(plainTextToRtf(t, ...)) == t for every text t.
QByteArray plainTextToRtf(const QString& text, const QFont& font, const QColor& color);
