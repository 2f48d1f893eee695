#pragma once

#include <QString>

#include <optional>

// The editor's unsaved text, kept when the program is ended from outside (a signal) and offered again
// at the next start. It lies in the program's state folder, $XDG_STATE_HOME/Taloma-Terminal/ (by
// default ~/.local/state/Taloma-Terminal/), as the program text's bytes after a short header with the
// document's name, so that every byte of the program survives as it would in a program file.
namespace RecoveryFile {

struct Content {
    QString documentName; // empty for a document that never had a name
    QString text;         // program text: lines joined by "\n", a lone CR as CR
};

QString path();

// Replaces any earlier recovery file; throws EFileError when it cannot be written.
void write(const Content& content);
// The kept text, if there is a readable recovery file.
std::optional<Content> read();
void remove();

} // namespace RecoveryFile
