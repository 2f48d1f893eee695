#pragma once

#include <QString>

class QTextDocument;

// The text of a document exactly as it stands, lines joined by "\n". Unlike QTextDocument's own
// plain-text export this keeps every character (a no-break space stays a no-break space), so that a
// program file's bytes come back unchanged.
QString documentText(const QTextDocument* document);
