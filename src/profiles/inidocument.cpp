#include "inidocument.h"

namespace profiles {

namespace {

bool isLineSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isLineSpecial(char c)
{
    return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

bool isHexDigit(uint c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

uint hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return uint(c - '0');
    if (c >= 'a' && c <= 'f')
        return uint(c - 'a' + 10);
    return uint(c - 'A' + 10);
}

struct Line
{
    int start = 0;
    int end = 0;
    int equals = -1;
};

// Reads the next logical line from pos, stopping at size. Leading white
// space and comment lines (with the white space after them) are skipped; a
// line ends at an unquoted line break or ';'; a backslash escapes the next
// character; the first unquoted '=' is remembered. Returns false when no
// line is left.
bool readLine(const QByteArray &data, int &pos, int size, Line &line)
{
    bool inQuotes = false;
    line.equals = -1;
    int start = pos;
    while (start < size && isLineSpace(data.at(start)))
        ++start;

    int i = start;
    while (i < size) {
        const char c = data.at(i);
        if (!isLineSpecial(c)) {
            ++i;
            continue;
        }
        ++i;
        if (c == '=') {
            if (!inQuotes && line.equals == -1)
                line.equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = data.at(i++);
                if (i < size) {
                    const char next = data.at(i);
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else { // ';'
            if (i == start + 1) {
                while (i < size && data.at(i) != '\n' && data.at(i) != '\r')
                    ++i;
                while (i < size && isLineSpace(data.at(i)))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.start = start;
    line.end = i;
    return i > start;
}

// Key names in the file: a backslash stands for '/', "%XX" and "%UXXXX" for
// one character; anything else is Latin-1.
QString unescapedKey(const QByteArray &data, int from, int to)
{
    QString result;
    result.reserve(to - from);
    int i = from;
    while (i < to) {
        const uchar c = uchar(data.at(i));
        if (c == '\\') {
            result += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c != '%' || i == to - 1) {
            result += QLatin1Char(char(c));
            ++i;
            continue;
        }
        int digits = 2;
        int first = i + 1;
        if (data.at(first) == 'U') {
            ++first;
            digits = 4;
        }
        bool ok = false;
        const int code = first + digits > to ? 0 : data.mid(first, digits).toInt(&ok, 16);
        if (!ok) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        result += QChar(code);
        i = first + digits;
    }
    return result;
}

void chopTrailingBlanks(QString &text, int limit)
{
    int n = text.size();
    while (n > limit && (text.at(n - 1) == QLatin1Char(' ') || text.at(n - 1) == QLatin1Char('\t')))
        --n;
    text.truncate(n);
}

int countArguments(const QString &text, int open)
{
    int count = 0;
    for (int i = open + 1; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char(')') || text.at(i) == QLatin1Char(' '))
            ++count;
    }
    return count;
}

// The string a stored text stands for. Typed forms other than strings read
// as empty: profiles hold strings only, and decoding "@Variant(...)" data
// from a file would hand arbitrary bytes to the type deserialisers.
QString stringValue(const QString &text)
{
    if (!text.startsWith(QLatin1Char('@')))
        return text;
    if (text.endsWith(QLatin1Char(')'))) {
        if (text.startsWith(QLatin1String("@ByteArray(")))
            return QString::fromUtf8(text.mid(11, text.size() - 12).toLatin1());
        if (text.startsWith(QLatin1String("@String(")))
            return text.mid(8, text.size() - 9);
        if (text.startsWith(QLatin1String("@Variant(")) ||
            text.startsWith(QLatin1String("@DateTime(")))
            return QString();
        if (text.startsWith(QLatin1String("@Rect("))) {
            if (countArguments(text, 5) == 4)
                return QString();
        } else if (text.startsWith(QLatin1String("@Size("))) {
            if (countArguments(text, 5) == 2)
                return QString();
        } else if (text.startsWith(QLatin1String("@Point("))) {
            if (countArguments(text, 6) == 2)
                return QString();
        } else if (text == QLatin1String("@Invalid()")) {
            return QString();
        }
    }
    if (text.startsWith(QLatin1String("@@")))
        return text.mid(1);
    return text;
}

// Decodes the value text between from and to: quotes, backslash escapes,
// blanks trimmed outside quotes. An unquoted ',' makes a list, which is not a
// string and reads as empty.
QString decodedValue(const QByteArray &data, int from, int to, bool utf8)
{
    static const char escapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                      {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                      {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    QString current;
    bool isList = false;
    bool inQuotes = false;
    bool currentQuoted = false;
    bool cutShort = false;
    int i = from;
    auto skipBlanks = [&] {
        while (i < to && (data.at(i) == ' ' || data.at(i) == '\t'))
            ++i;
    };
    auto appendCode = [&](uint code) { current += QChar(ushort(code & 0xffff)); };

    skipBlanks();
    int chopLimit = 0;
    while (i < to) {
        const char c = data.at(i);
        if (c == '\\') {
            ++i;
            if (i >= to) {
                cutShort = true;
                break;
            }
            const char e = data.at(i++);
            bool mapped = false;
            for (const auto &pair : escapes) {
                if (e == pair[0]) {
                    current += QLatin1Char(pair[1]);
                    mapped = true;
                    break;
                }
            }
            if (!mapped && e == 'x') {
                if (i >= to) {
                    cutShort = true;
                    break;
                }
                if (isHexDigit(uchar(data.at(i)))) {
                    uint code = 0;
                    while (i < to && isHexDigit(uchar(data.at(i))))
                        code = (code << 4) + hexValue(data.at(i++));
                    appendCode(code);
                    if (i >= to) {
                        cutShort = true;
                        break;
                    }
                }
            } else if (!mapped && e >= '0' && e <= '7') {
                uint code = uint(e - '0');
                while (i < to && data.at(i) >= '0' && data.at(i) <= '7')
                    code = (code << 3) + uint(data.at(i++) - '0');
                appendCode(code);
                if (i >= to) {
                    cutShort = true;
                    break;
                }
            } else if (!mapped && (e == '\n' || e == '\r')) {
                if (i < to) {
                    const char next = data.at(i);
                    if ((next == '\n' || next == '\r') && next != e)
                        ++i;
                }
            }
            chopLimit = current.size();
        } else if (c == '"') {
            ++i;
            currentQuoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = current.size();
            }
        } else if (c == ',' && !inQuotes) {
            isList = true;
            current.clear();
            currentQuoted = false;
            ++i;
            skipBlanks();
            chopLimit = 0;
        } else {
            int j = i + 1;
            while (j < to && data.at(j) != '\\' && data.at(j) != '"' && data.at(j) != ',')
                ++j;
            if (utf8)
                current += QString::fromUtf8(data.constData() + i, j - i);
            else
                current += QString::fromLatin1(data.constData() + i, j - i);
            i = j;
        }
    }
    if (isList)
        return QString();
    if (!cutShort && !currentQuoted)
        chopTrailingBlanks(current, chopLimit);
    return stringValue(current);
}

QByteArray hexNumber(uint code)
{
    return QByteArray::number(code, 16);
}

} // namespace

IniDocument::IniDocument(const QByteArray &data) : m_data(data)
{
    parse();
}

void IniDocument::parse()
{
    m_entries.clear();
    m_sections.clear();
    m_wellFormed = true;
    m_utf8 = m_data.startsWith("\xef\xbb\xbf");
    m_bodyStart = m_utf8 ? 3 : 0;
    m_sections.append(Section{});

    QVector<Line> lines;
    int pos = m_bodyStart;
    Line line;
    int firstHeader = -1;
    while (readLine(m_data, pos, m_data.size(), line)) {
        if (firstHeader < 0 && m_data.at(line.start) == '[')
            firstHeader = lines.size();
        lines.append(line);
    }
    int entriesFrom = 0;
    if (m_utf8) {
        // QSettings reads the top-level part from the very first byte, so a
        // key on the first line carries the byte order mark in its name.
        const int topEnd = firstHeader < 0 ? m_data.size() : lines.at(firstHeader).start;
        QVector<Line> top;
        int topPos = 0;
        while (readLine(m_data, topPos, topEnd, line))
            top.append(line);
        entriesFrom = top.size();
        lines = top + lines.mid(firstHeader < 0 ? lines.size() : firstHeader);
    }

    QString prefix;
    for (int index = 0; index < lines.size(); ++index) {
        line = lines.at(index);
        if (index >= entriesFrom && m_data.at(line.start) == '[') {
            const int close = m_data.indexOf(']', line.start);
            QByteArray raw;
            if (close == -1 || close >= line.end) {
                m_wellFormed = false;
                raw = m_data.mid(line.start + 1, line.end - line.start - 1);
            } else {
                raw = m_data.mid(line.start + 1, close - line.start - 1);
            }
            raw = raw.trimmed();
            QString name;
            if (qstricmp(raw.constData(), "general") == 0) {
                prefix.clear();
            } else {
                if (qstricmp(raw.constData(), "%general") == 0)
                    name = QLatin1String(raw.constData() + 1);
                else
                    name = unescapedKey(raw, 0, raw.size());
                prefix = name + QLatin1Char('/');
            }
            m_sections.append(Section{prefix.toLower(), line.end});
            continue;
        }
        m_sections.last().lastLineEnd = line.end;
        if (line.equals == -1) {
            m_wellFormed = false;
            continue;
        }
        int keyEnd = line.equals;
        while (keyEnd > line.start &&
               (m_data.at(keyEnd - 1) == ' ' || m_data.at(keyEnd - 1) == '\t'))
            --keyEnd;
        Entry entry;
        entry.key = prefix + unescapedKey(m_data, line.start, keyEnd);
        entry.foldedKey = entry.key.toLower();
        entry.value = decodedValue(m_data, line.equals + 1, line.end, m_utf8);
        entry.start = line.start;
        entry.valueStart = line.equals + 1;
        entry.end = line.end;
        m_entries.append(entry);
    }
}

QVector<int> IniDocument::entriesOf(const QString &foldedKey) const
{
    QVector<int> found;
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).foldedKey == foldedKey)
            found.append(i);
    }
    return found;
}

QStringList IniDocument::keys() const
{
    QStringList result;
    QHash<QString, bool> seen;
    for (const Entry &entry : m_entries) {
        if (seen.contains(entry.foldedKey))
            continue;
        seen.insert(entry.foldedKey, true);
        result.append(entry.key);
    }
    return result;
}

QHash<QString, QString> IniDocument::foldedValues() const
{
    QHash<QString, QString> result;
    for (const Entry &entry : m_entries)
        result.insert(entry.foldedKey, entry.value);
    return result;
}

bool IniDocument::contains(const QString &key) const
{
    const QString folded = normalizedKey(key).toLower();
    return !folded.isEmpty() && !entriesOf(folded).isEmpty();
}

QString IniDocument::value(const QString &key) const
{
    const QString folded = normalizedKey(key).toLower();
    if (folded.isEmpty())
        return QString();
    const QVector<int> found = entriesOf(folded);
    return found.isEmpty() ? QString() : m_entries.at(found.last()).value;
}

bool IniDocument::setValue(const QString &key, const QString &value)
{
    const QString wanted = normalizedKey(key);
    if (wanted.isEmpty())
        return false;
    const QByteArray text = escapedValue(value);
    const QVector<int> found = entriesOf(wanted.toLower());
    if (!found.isEmpty()) {
        // Later duplicates go first so that the offsets of the kept entry hold.
        for (int i = found.size() - 1; i > 0; --i)
            removeLine(m_entries.at(found.at(i)));
        const Entry &kept = m_entries.at(found.first());
        m_data.replace(kept.valueStart, kept.end - kept.valueStart, text);
    } else {
        const int slash = wanted.indexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : wanted.left(slash);
        const QString name = slash < 0 ? wanted : wanted.mid(slash + 1);
        const QByteArray line = escapedKey(name) + '=' + text;
        const QString folded = slash < 0 ? QString() : section.toLower() + QLatin1Char('/');
        int target = -1;
        for (int i = 0; i < m_sections.size(); ++i) {
            if (m_sections.at(i).foldedPrefix == folded) {
                target = i;
                break;
            }
        }
        if (target >= 0)
            insertLineAfter(m_sections.at(target).lastLineEnd, line);
        else
            appendSection(section, line);
    }
    parse();
    return true;
}

QByteArray IniDocument::lineEnding() const
{
    if (m_data.contains("\r\n"))
        return QByteArrayLiteral("\r\n");
    if (m_data.contains('\n'))
        return QByteArrayLiteral("\n");
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

void IniDocument::removeLine(const Entry &entry)
{
    // The whole physical line goes: its indentation (so the next line does
    // not inherit it), a trailing comment and one line break.
    int start = entry.start;
    while (start > m_bodyStart && (m_data.at(start - 1) == ' ' || m_data.at(start - 1) == '\t'))
        --start;
    int end = entry.end;
    while (end < m_data.size() && m_data.at(end) != '\n' && m_data.at(end) != '\r')
        ++end;
    if (end < m_data.size())
        end += m_data.mid(end, 2) == "\r\n" ? 2 : 1;
    m_data.remove(start, end - start);
}

void IniDocument::insertLineAfter(int lineEnd, const QByteArray &line)
{
    const QByteArray eol = lineEnding();
    if (lineEnd < 0) {
        m_data.insert(m_bodyStart, line + eol);
        return;
    }
    int pos = lineEnd;
    while (pos < m_data.size() && m_data.at(pos) != '\n' && m_data.at(pos) != '\r')
        ++pos;
    if (pos >= m_data.size()) {
        m_data.append(eol + line + eol);
        return;
    }
    pos += m_data.mid(pos, 2) == "\r\n" ? 2 : 1;
    m_data.insert(pos, line + eol);
}

void IniDocument::appendSection(const QString &section, const QByteArray &line)
{
    const QByteArray eol = lineEnding();
    QByteArray text;
    if (m_data.size() > m_bodyStart) {
        if (!m_data.endsWith('\n') && !m_data.endsWith('\r'))
            text += eol;
        text += eol;
    }
    const QByteArray name = escapedKey(section);
    if (qstricmp(name.constData(), "general") == 0)
        text += "[%" + name + "]";
    else
        text += '[' + name + ']';
    text += eol + line + eol;
    m_data.append(text);
}

QString IniDocument::settingsKey(const QString &group, const QString &name)
{
    return normalizedKey(QLatin1Char('/') + group + QLatin1Char('/') + name);
}

QString IniDocument::normalizedKey(const QString &key)
{
    QString result;
    result.reserve(key.size());
    for (const QChar c : key) {
        if (c == QLatin1Char('/') && (result.isEmpty() || result.endsWith(QLatin1Char('/'))))
            continue;
        result += c;
    }
    if (result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

QByteArray IniDocument::escapedKey(const QString &key)
{
    static const char digits[] = "0123456789ABCDEF";
    QByteArray result;
    for (const QChar qc : key) {
        uint c = qc.unicode();
        if (c == '/') {
            result += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.') {
            result += char(c);
        } else if (c <= 0xff) {
            result += '%';
            result += digits[c / 16];
            result += digits[c % 16];
        } else {
            result += "%U";
            result += digits[(c >> 12) & 0xf];
            result += digits[(c >> 8) & 0xf];
            result += digits[(c >> 4) & 0xf];
            result += digits[c & 0xf];
        }
    }
    return result;
}

QByteArray IniDocument::escapedValue(const QString &value)
{
    QString text = value;
    if (text.contains(QChar(0)))
        text = QLatin1String("@String(") + text + QLatin1Char(')');
    else if (text.startsWith(QLatin1Char('@')))
        text.prepend(QLatin1Char('@'));

    QByteArray result;
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    for (const QChar qc : qAsConst(text)) {
        const uint c = qc.unicode();
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        // A digit right after "\x.." or "\0" would extend that escape.
        if (escapeNextIfDigit && isHexDigit(c)) {
            result += "\\x" + hexNumber(c);
            continue;
        }
        escapeNextIfDigit = false;
        switch (c) {
        case 0:
            result += "\\0";
            escapeNextIfDigit = true;
            break;
        case '\a':
            result += "\\a";
            break;
        case '\b':
            result += "\\b";
            break;
        case '\f':
            result += "\\f";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\v':
            result += "\\v";
            break;
        case '"':
        case '\\':
            result += '\\';
            result += char(c);
            break;
        default:
            if (c <= 0x1f || c >= 0x7f) {
                result += "\\x" + hexNumber(c);
                escapeNextIfDigit = true;
            } else {
                result += char(c);
            }
        }
    }
    if (needsQuotes || result.startsWith(' ') || result.endsWith(' ')) {
        result.prepend('"');
        result += '"';
    }
    return result;
}

} // namespace profiles
