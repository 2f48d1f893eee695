#include "terminal/TerminalText.h"

namespace TerminalText {

QByteArray filterReceived(const QByteArray& chunk)
{
    if (chunk == "\x07" || chunk == "\x08\x20\x08")
        return {};
    return chunk;
}

QString fromBytes(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

int byteForKey(char16_t character)
{
    if (character == 8)
        return 127;
    return character <= 0xFF ? int(character) : -1;
}

} // namespace TerminalText
