#include "editor/Rtf.h"

#include <QSet>

#include <algorithm>
#include <vector>

namespace {

// Destinations whose content is never document text.
const QSet<QByteArray>& skippedDestinations()
{
    static const QSet<QByteArray> names{
        "fonttbl",   "colortbl",     "stylesheet", "info",       "pict",        "object",     "objdata",
        "header",    "headerl",      "headerr",    "headerf",    "footer",      "footerl",    "footerr",
        "footerf",   "footnote",     "annotation", "atnid",      "atnauthor",   "xe",         "tc",
        "tcn",       "fldinst",      "listtable",  "listoverridetable",         "revtbl",     "rsidtbl",
        "generator", "themedata",    "colorschememapping",       "datastore",   "latentstyles",
        "filetbl",   "pgdsctbl",     "nonshppict", "shp",        "shpinst",     "bkmkstart",  "bkmkend",
        "template",  "fchars",       "lchars",     "private",    "userprops",   "docvar",     "xmlnstbl",
        "pn",        "pntxta",       "pntxtb",     "falt",       "ftnsep",      "ftnsepc",    "ftncn",
        "aftnsep",   "aftnsepc",     "aftncn",     "background", "mmathPr",     "wgrffmtfilter",
    };
    return names;
}

// Control words that stand for one character of text.
QChar characterWord(const QByteArray& word)
{
    if (word == "tab" || word == "cell")
        return QLatin1Char('\t');
    if (word == "par" || word == "line" || word == "row")
        return QLatin1Char('\n');
    if (word == "emdash")
        return QChar(0x2014);
    if (word == "endash")
        return QChar(0x2013);
    if (word == "bullet")
        return QChar(0x2022);
    if (word == "lquote")
        return QChar(0x2018);
    if (word == "rquote")
        return QChar(0x2019);
    if (word == "ldblquote")
        return QChar(0x201C);
    if (word == "rdblquote")
        return QChar(0x201D);
    if (word == "emspace" || word == "enspace" || word == "qmspace")
        return QLatin1Char(' ');
    return QChar();
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One pass over the input; every step consumes at least one byte, so the reader always ends. Groups
// are kept on an explicit stack (no recursion), so deep nesting cannot exhaust the call stack.
class RtfReader final {
public:
    explicit RtfReader(const QByteArray& in) : m_in(in) {}

    QString run()
    {
        m_text.reserve(m_in.size() / 2);
        while (m_pos < m_in.size()) {
            const char c = m_in.at(m_pos++);
            switch (c) {
            case '{':
                m_stack.push_back(m_group);
                m_fallbackLeft = 0;
                break;
            case '}':
                if (!m_stack.empty()) {
                    m_group = m_stack.back();
                    m_stack.pop_back();
                }
                m_fallbackLeft = 0;
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break; // line structure of the file itself is no text
            default:
                // Other control bytes are no text either; a raw tab is kept as the tab it shows.
                if (static_cast<uchar>(c) >= 0x20 || c == '\t')
                    character(QChar(static_cast<uchar>(c)));
                break;
            }
        }
        return m_text;
    }

private:
    struct Group {
        bool skip = false;
        int unicodeFallback = 1; // \ucN: characters that follow each \uN for readers without Unicode
    };

    // A character of text, unless it is the fallback of a preceding \uN or lies in a skipped group.
    void character(QChar ch)
    {
        if (m_fallbackLeft > 0) {
            --m_fallbackLeft;
            return;
        }
        if (!m_group.skip)
            m_text += ch;
    }

    void controlSequence()
    {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in.at(m_pos);
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_pos;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(QLatin1Char(c));
            break;
        case '\'': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < m_in.size() && hexValue(m_in.at(m_pos)) >= 0) {
                value = value * 16 + hexValue(m_in.at(m_pos++));
                ++digits;
            }
            if (digits == 2)
                character(QChar(value)); // a cut-off escape stands for no byte at all
            break;
        }
        case '~':
            character(QChar(0x00A0));
            break;
        case '_':
            character(QLatin1Char('-'));
            break;
        case '\r':
        case '\n':
            character(QLatin1Char('\n')); // a backslash before the file's line end is a paragraph
            break;
        case '*':
            m_group.skip = true; // only destinations we do not know are marked with \*
            break;
        default:
            consumeFallback(); // \- \: \| and unknown symbols show nothing
            break;
        }
    }

    void controlWord()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in.at(m_pos)))
            ++m_pos;
        const QByteArray word = m_in.mid(start, std::min<qsizetype>(m_pos - start, 32));

        bool hasParameter = false;
        bool negative = false;
        qint64 parameter = 0;
        if (m_pos < m_in.size() && m_in.at(m_pos) == '-' && m_pos + 1 < m_in.size() && isDigit(m_in.at(m_pos + 1))) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_in.size() && isDigit(m_in.at(m_pos))) {
            if (parameter < 100000000000LL) // keeps growing numbers bounded; such values are junk anyway
                parameter = parameter * 10 + (m_in.at(m_pos) - '0');
            hasParameter = true;
            ++m_pos;
        }
        if (negative)
            parameter = -parameter;
        if (m_pos < m_in.size() && m_in.at(m_pos) == ' ')
            ++m_pos;

        if (word == "bin") {
            // Binary data of the given length follows; it is never text.
            const qint64 length = hasParameter ? std::max<qint64>(parameter, 0) : 0;
            m_pos += static_cast<qsizetype>(std::min<qint64>(length, m_in.size() - m_pos));
            return;
        }
        if (word == "u" && hasParameter) {
            unicodeCharacter(parameter);
            return;
        }
        if (m_fallbackLeft > 0) {
            --m_fallbackLeft;
            return;
        }
        if (word == "uc") {
            m_group.unicodeFallback = static_cast<int>(std::clamp<qint64>(parameter, 0, 1000000));
            return;
        }
        if (skippedDestinations().contains(word)) {
            m_group.skip = true;
            return;
        }
        const QChar ch = characterWord(word);
        if (!ch.isNull() && !m_group.skip)
            m_text += ch;
    }

    void unicodeCharacter(qint64 value)
    {
        if (m_fallbackLeft > 0) {
            --m_fallbackLeft;
            return;
        }
        if (value >= -32768 && value <= 65535) {
            if (value < 0)
                value += 65536;
            if (!m_group.skip)
                m_text += QChar(static_cast<char16_t>(value));
        }
        m_fallbackLeft = m_group.unicodeFallback;
    }

    void consumeFallback()
    {
        if (m_fallbackLeft > 0)
            --m_fallbackLeft;
    }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QString m_text;
    Group m_group;
    std::vector<Group> m_stack;
    int m_fallbackLeft = 0;
};

// Appends one character in RTF form. inFontTable: ';' ends a font name there, so it is escaped.
void appendEscaped(QByteArray& out, char16_t c, bool inFontTable)
{
    static const char hex[] = "0123456789abcdef";
    if (c == u'\\' || c == u'{' || c == u'}') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c == u'\t') {
        out += "\\tab ";
    } else if (c == u'\n') {
        out += "\\par\r\n";
    } else if (c > 0xFF) {
        out += "\\u";
        out += QByteArray::number(static_cast<int>(static_cast<qint16>(c)));
        out += '?';
    } else if (c < 0x20 || c >= 0x7F || (inFontTable && c == u';')) {
        out += "\\'";
        out += hex[(c >> 4) & 0xF];
        out += hex[c & 0xF];
    } else {
        out += static_cast<char>(c);
    }
}

int halfPoints(const QFont& font)
{
    double points = font.pointSizeF();
    if (points <= 0 && font.pixelSize() > 0)
        points = font.pixelSize() * 72.0 / 96.0;
    if (points <= 0)
        points = 10;
    return std::clamp(qRound(points * 2), 1, 3276);
}

} // namespace

QString rtfToPlainText(const QByteArray& rtf)
{
    return RtfReader(rtf).run();
}

QByteArray plainTextToRtf(const QString& text, const QFont& font, const QColor& color)
{
    QByteArray out;
    out.reserve(text.size() + 256);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n";

    const bool fixed = font.fixedPitch() || font.styleHint() == QFont::TypeWriter; // Monospace is the same hint
    out += fixed ? "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 " : "{\\fonttbl{\\f0\\fnil\\fcharset0 ";
    for (const QChar ch : font.family())
        appendEscaped(out, ch.unicode(), true);
    out += ";}}\r\n";

    if (color.isValid()) {
        const QColor rgb = color.toRgb();
        out += "{\\colortbl ;\\red" + QByteArray::number(rgb.red()) + "\\green" + QByteArray::number(rgb.green()) +
               "\\blue" + QByteArray::number(rgb.blue()) + ";}\r\n";
    } else {
        out += "{\\colortbl ;}\r\n";
    }

    out += "\\pard\\plain\\f0\\fs" + QByteArray::number(halfPoints(font));
    out += color.isValid() ? "\\cf1" : "\\cf0";
    if (font.bold())
        out += "\\b";
    if (font.italic())
        out += "\\i";
    if (font.underline())
        out += "\\ul";
    if (font.strikeOut())
        out += "\\strike";
    out += "\r\n";

    // Long lines are broken in the file (line ends there are no text) to keep it readable for
    // old readers with a limited line length.
    qsizetype lineStart = out.size();
    for (const QChar ch : text) {
        if (out.size() - lineStart > 200) {
            out += "\r\n";
            lineStart = out.size();
        }
        appendEscaped(out, ch.unicode(), false);
        if (ch == QLatin1Char('\n'))
            lineStart = out.size();
    }
    out += "}\r\n";
    return out;
}
