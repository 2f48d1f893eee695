#pragma once

#include <QChar>
#include <QString>

class QTextDocument;

// The editor pane cannot hold a lone CR: its document ends a paragraph at every CR. So a program text
// (see ProgramFile.h) enters the pane with each CR replaced by this stand-in, shown as a visible mark,
// and every way out of the pane (the document's text for saving, the line adapter for sort, renumber,
// auto-numbering and the transmission) turns the stand-in back into CR. The stand-in is thus reserved:
// one typed or pasted into the pane also becomes a CR, which is the only byte it could stand for in a
// single-byte file anyway.
inline constexpr QChar CarriageReturnStandIn{0x240D};

// A program text as the pane must be given it: every CR becomes the stand-in. Line breaks stay "\n".
QString toPaneText(QString programText);
// The reverse for text taken from the pane: every stand-in becomes CR.
QString fromPaneText(QString paneText);

// The program text of a document: its lines joined by "\n", with the stand-ins back as CR. Unlike
// QTextDocument's own plain-text export this keeps every character (a no-break space stays a no-break
// space), so that a program file's bytes come back unchanged.
QString documentText(const QTextDocument* document);
