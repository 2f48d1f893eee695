#include "settings/RegText.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

using Key = RegKey;
using Value = RegValue;
using ValueType = RegValueType;

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kOldHeader = QStringLiteral("REGEDIT4");
const QString kCurrentUserRoot = QStringLiteral("HKEY_CURRENT_USER");
const QString kCrLf = QStringLiteral("\r\n");

// Limits of the registry: longer names are refused there, so they are refused here too.
constexpr qsizetype kMaxKeyName = 255;
constexpr qsizetype kMaxValueName = 16383;

bool hasControlChar(QStringView s, bool allowTab)
{
    for (QChar c : s) {
        if (c.unicode() < 0x20 && !(allowTab && c == u'\t'))
            return true;
    }
    return false;
}

bool isKnownForeignRoot(const QString& root)
{
    static const QStringList roots = {
        QStringLiteral("HKEY_LOCAL_MACHINE"), QStringLiteral("HKEY_CLASSES_ROOT"),
        QStringLiteral("HKEY_USERS"),         QStringLiteral("HKEY_CURRENT_CONFIG"),
        QStringLiteral("HKEY_DYN_DATA"),      QStringLiteral("HKEY_PERFORMANCE_DATA"),
    };
    return roots.contains(root, Qt::CaseInsensitive);
}

bool isHexDigits(QStringView s)
{
    for (QChar c : s) {
        if (!c.isDigit() && !(c.toLower() >= u'a' && c.toLower() <= u'f'))
            return false;
    }
    return !s.isEmpty();
}

} // namespace

QString regFold(const QString& name) { return name.toCaseFolded(); }

bool isUsableRegValueName(const QString& name)
{
    return name.size() <= kMaxValueName && !hasControlChar(name, false);
}

namespace {

// ---- reading the .reg text -------------------------------------------------------------------

// Reads a quoted text starting at s[pos] == '"'. Only \\ and \" are escapes in the format; any other
// backslash is taken literally, as the registry editor does.
std::optional<QString> readQuoted(QStringView s, qsizetype& pos)
{
    if (pos >= s.size() || s[pos] != u'"')
        return std::nullopt;
    QString out;
    ++pos;
    qsizetype plain = pos; // start of the text not yet copied
    while (pos < s.size()) {
        const QChar c = s[pos];
        if (c == u'\\' && pos + 1 < s.size() && (s[pos + 1] == u'\\' || s[pos + 1] == u'"')) {
            out += s.sliced(plain, pos - plain);
            out += s[pos + 1];
            pos += 2;
            plain = pos;
        } else if (c == u'"') {
            out += s.sliced(plain, pos - plain);
            ++pos;
            return out;
        } else {
            ++pos;
        }
    }
    return std::nullopt; // no closing quote
}

// The data of a hex form ("hex:..." or "hex(n):..."), continuation lines already joined.
std::optional<Value> readHex(const QString& data)
{
    static const QRegularExpression form(QStringLiteral("^hex(?:\\(([0-9a-f]{1,8})\\))?:(.*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = form.match(data);
    if (!m.hasMatch())
        return std::nullopt;
    QString digits = m.captured(2);
    digits.remove(QRegularExpression(QStringLiteral("\\s")));
    QByteArray bytes;
    if (!digits.isEmpty()) {
        for (const QString& pair : digits.split(u',')) {
            if (pair.size() > 2 || !isHexDigits(pair))
                return std::nullopt;
            bytes.append(char(pair.toUInt(nullptr, 16)));
        }
    }
    const QString kind = m.captured(1);
    Value v;
    if (!kind.isEmpty() && kind.toUInt(nullptr, 16) == 1 && bytes.size() % 2 == 0) {
        // A string stored byte by byte, as UTF-16LE with its terminating zero.
        // Decoded unit by unit so that even unpaired surrogates come back as they were written.
        QString text;
        for (qsizetype k = 0; k < bytes.size(); k += 2)
            text += QChar(char16_t(quint8(bytes[k]) | quint8(bytes[k + 1]) << 8));
        while (text.endsWith(QChar(u'\0')))
            text.chop(1);
        v.type = ValueType::String;
        v.text = text;
        return v;
    }
    v.type = ValueType::Other;
    v.text = kind.isEmpty() ? QStringLiteral("hex:") : QStringLiteral("hex(%1):").arg(kind.toLower());
    v.text += digits.toLower();
    return v;
}

void removeKey(Key& root, const QStringList& path)
{
    if (path.isEmpty())
        return; // the hive's root itself cannot be deleted
    Key* parent = &root;
    for (qsizetype i = 0; i + 1 < path.size() && parent; ++i)
        parent = parent->child(path[i]);
    if (parent)
        parent->children.erase(regFold(path.last()));
}

} // namespace

// Parses the text of a .reg file. Returns an empty string on success, otherwise what is wrong (shown to
// the user). Anything that is not a header line, a section, a value, a continuation, a comment or a
// blank line makes the whole file unusable: guessing would risk writing back nonsense.
QString parseRegText(const QString& text, Key& root, std::vector<QStringList>& foreign)
{
    // Views into the text: a file of hundreds of thousands of lines is read without copying each.
    QList<QStringView> lines = QStringView(text).split(u'\n');
    for (QStringView& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    const auto bad = [](qsizetype index) { return QStringLiteral("Zeile %1 ist unverständlich").arg(index + 1); };

    qsizetype i = 0;
    while (i < lines.size() && lines[i].trimmed().isEmpty())
        ++i;
    if (i == lines.size() || (lines[i].trimmed() != kHeader && lines[i].trimmed() != kOldHeader))
        return QStringLiteral("die Datei beginnt nicht mit \"%1\"").arg(kHeader);

    enum class Section { None, Own, Deleted, Foreign } section = Section::None;
    Key* current = nullptr;

    for (++i; i < lines.size(); ++i) {
        const QStringView line = lines[i].trimmed();
        if (hasControlChar(line, true))
            return bad(i);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;

        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                return bad(i);
            QString inner = line.mid(1, line.size() - 2).toString();
            const bool deletion = inner.startsWith(u'-');
            if (deletion)
                inner.remove(0, 1);
            QStringList path = inner.split(u'\\', Qt::SkipEmptyParts);
            const QString rootName = path.isEmpty() ? QString() : path.takeFirst();
            if (rootName.compare(kCurrentUserRoot, Qt::CaseInsensitive) == 0) {
                if (deletion) {
                    removeKey(root, path);
                    section = Section::Deleted;
                    current = nullptr;
                } else {
                    current = &root;
                    for (const QString& name : path)
                        current = current->addChild(name);
                    section = Section::Own;
                }
            } else if (isKnownForeignRoot(rootName)) {
                foreign.push_back({line.toString()});
                section = Section::Foreign;
            } else {
                return bad(i);
            }
            continue;
        }

        if (section == Section::Foreign) {
            foreign.back().append(lines[i].toString());
            continue;
        }
        if (section == Section::None)
            return QStringLiteral("Zeile %1: Wert ohne Schlüssel").arg(i + 1);

        // A value line: "Name"=data or @=data (the key's unnamed value).
        const qsizetype lineIndex = i;
        qsizetype pos = 0;
        QString name;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else {
            const auto quoted = readQuoted(line, pos);
            if (!quoted)
                return bad(i);
            name = *quoted;
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != u'=')
            return bad(i);
        const QStringView data = line.mid(pos + 1).trimmed();

        std::optional<Value> value;
        bool deleteValue = false;
        if (data.startsWith(u'"')) {
            qsizetype p = 0;
            const auto s = readQuoted(data, p);
            if (!s || !data.mid(p).trimmed().isEmpty())
                return bad(i);
            value = Value{std::move(name), ValueType::String, 0, *s};
        } else if (data == u"-") {
            deleteValue = true;
        } else if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
            const QStringView digits = data.mid(6).trimmed();
            if (digits.size() > 8 || !isHexDigits(digits))
                return bad(i);
            value = Value{std::move(name), ValueType::Dword, digits.toUInt(nullptr, 16), {}};
        } else if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
            QString joined = data.toString();
            while (joined.endsWith(u'\\')) {
                joined.chop(1);
                if (++i >= lines.size())
                    return bad(lineIndex);
                joined += lines[i].trimmed();
            }
            value = readHex(joined);
            if (!value)
                return bad(lineIndex);
            value->name = name;
        } else {
            return bad(i);
        }

        if (section == Section::Deleted)
            continue; // values of a deleted key go nowhere
        if (deleteValue) {
            const qsizetype at = current->indexOf(name);
            if (at >= 0)
                current->removeAt(at);
        } else {
            current->put(std::move(*value));
        }
    }
    return {};
}

// Exports are UTF-8 here; the registry editor writes UTF-16LE with a byte-order mark, and old exports
// are in the ANSI code page, of which Latin-1 is the nearest we can take without guessing.
std::optional<QString> decodeRegFile(const QByteArray& bytes)
{
    const auto utf16 = [](QStringConverter::Encoding encoding, QByteArrayView data) -> std::optional<QString> {
        if (data.size() % 2 != 0)
            return std::nullopt;
        QStringDecoder decode(encoding);
        QString text = decode(data);
        if (decode.hasError())
            return std::nullopt;
        // Half a surrogate pair is no character: it could not be written back (the file is written as
        // UTF-8), so a name holding one would change at the next save.
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
            else if (text.at(i).isSurrogate())
                return std::nullopt;
        }
        return text;
    };
    if (bytes.startsWith("\xFF\xFE"))
        return utf16(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return utf16(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    QStringDecoder decode(QStringConverter::Utf8); // skips a UTF-8 byte-order mark
    QString text = decode(bytes);
    if (decode.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

namespace {

// ---- writing the .reg text -------------------------------------------------------------------

QString quoted(const QString& s)
{
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

// Bytes in the hex form, wrapped like the registry editor does so that lines stay readable.
QString hexData(const QString& prefix, const QByteArray& bytes, qsizetype column)
{
    QString out = prefix;
    column += prefix.size();
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        if (k > 0) {
            out += u',';
            ++column;
            if (column + 4 > 80) {
                out += QStringLiteral("\\\r\n  ");
                column = 2;
            }
        }
        out += QStringLiteral("%1").arg(quint8(bytes[k]), 2, 16, QChar(u'0'));
        column += 2;
    }
    return out;
}

QString valueLine(const Value& v)
{
    QString line = v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name);
    line += u'=';
    switch (v.type) {
    case ValueType::Dword:
        line += QStringLiteral("dword:%1").arg(v.dword, 8, 16, QChar(u'0'));
        break;
    case ValueType::String:
        // Line breaks and other control characters cannot stand inside quotes; the hex form of a
        // string keeps them (and broken UTF-16) byte for byte.
        if (hasControlChar(v.text, false) || !v.text.isValidUtf16()) {
            QByteArray bytes;
            for (QChar c : v.text) {
                bytes.append(char(c.unicode() & 0xff));
                bytes.append(char(c.unicode() >> 8));
            }
            bytes.append(2, '\0');
            line += hexData(QStringLiteral("hex(1):"), bytes, line.size());
        } else {
            line += quoted(v.text);
        }
        break;
    case ValueType::Other:
        line += v.text;
        break;
    }
    return line;
}

void writeKey(QString& out, const Key& key, const QString& path, bool isRoot)
{
    if (!isRoot || !key.values.isEmpty()) {
        out += u'[' + path + u']' + kCrLf;
        for (const Value& v : key.values)
            out += valueLine(v) + kCrLf;
        out += kCrLf;
    }
    for (const auto& [folded, child] : key.children)
        writeKey(out, *child, path + u'\\' + child->name, false);
}

} // namespace

QString regText(const Key& root, const std::vector<QStringList>& foreign)
{
    QString out = kHeader + kCrLf + kCrLf;
    writeKey(out, root, kCurrentUserRoot, true);
    for (const QStringList& section : foreign)
        out += section.join(kCrLf) + kCrLf + kCrLf;
    return out;
}

bool isUsableRegKeyName(const QString& name)
{
    return !name.isEmpty() && name.size() <= kMaxKeyName && !name.contains(u'\\') && !hasControlChar(name, false);
}

