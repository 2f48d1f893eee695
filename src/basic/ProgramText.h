#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A program text as lines: "\n" ends a line, a "\r" right before it is part of the line end, and a final
// line break adds no line (so an empty text has none).
struct ProgramText {
    QStringList lines;
    bool finalBreak = false;
};

ProgramText SplitProgramText(const QString& text);

// Program files and streams are single-byte text: byte n is the character U+00nn and back.
QString DecodeProgramBytes(const QByteArray& bytes);
QByteArray EncodeProgramText(const QString& text);
