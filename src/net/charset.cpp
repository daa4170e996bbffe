#include "net/charset.h"

#include <QList>
#include <QStringDecoder>

#include <cstring>
#include <optional>

namespace thornvale::net {

namespace {

// The HTML prescan window: a declaration further in is not looked for.
constexpr qsizetype MetaScanLimit = 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

qsizetype skipSpaces(const QByteArray &s, qsizetype i)
{
    while (i < s.size() && isSpace(s.at(i)))
        ++i;
    return i;
}

// Pages labelled EUC-KR are in practice written in the Windows code page 949, which adds the
// syllables EUC-KR lacks; browsers decode them that way, and so do we, or those names would turn
// into control characters. Every EUC-KR byte sequence means the same in both.
// The name a label is decoded by, or empty when the converter does not know it. ISO-2022-KR is
// a stateful encoding no browser decodes any more (its labels mean "replacement").
QByteArray supportedName(const QByteArray &label)
{
    const QByteArray l = label.trimmed().toLower();
    if (l.isEmpty() || l == "iso-2022-kr" || l == "csiso2022kr")
        return {};
    if (l == "euc-kr" || l == "euckr" || l == "cseuckr" || l == "x-euc-kr")
        return QByteArrayLiteral("windows-949");
    if (!QStringDecoder(l.constData()).isValid())
        return {};
    return l;
}

QString decodeAs(const QByteArray &name, QByteArrayView body)
{
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    return decoder.decode(body);
}

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isLetter(char c)
{
    return isUpper(c) || (c >= 'a' && c <= 'z');
}

char lower(char c)
{
    return isUpper(c) ? char(c - 'A' + 'a') : c;
}

// A label found in a page: a UTF-16 page cannot have been read this far as ASCII, so the label is
// wrong and the page is UTF-8; x-user-defined is windows-1252 to a page's reader.
QByteArray pageLabel(const QByteArray &label)
{
    const QByteArray l = label.trimmed().toLower();
    if (l == "x-user-defined")
        return QByteArrayLiteral("windows-1252");
    const QByteArray name = supportedName(l);
    if (name.startsWith("utf-16"))
        return QByteArrayLiteral("utf-8");
    return name;
}

// The charset in a <meta content> value: after "charset", spaces, "=", spaces, a value quoted or
// running to a space or ';'. An unmatched quote means none.
QByteArray charsetFromContent(const QByteArray &value)
{
    const QByteArray l = value.toLower();
    qsizetype at = 0;
    for (;;) {
        at = l.indexOf("charset", at);
        if (at < 0)
            return {};
        qsizetype i = skipSpaces(l, at + 7);
        if (i >= l.size() || l.at(i) != '=') {
            at = i;
            continue;
        }
        i = skipSpaces(l, i + 1);
        if (i >= l.size())
            return {};
        const char c = l.at(i);
        if (c == '"' || c == '\'') {
            const qsizetype close = l.indexOf(c, i + 1);
            return close < 0 ? QByteArray() : value.mid(i + 1, close - i - 1);
        }
        qsizetype endAt = i;
        while (endAt < l.size() && !isSpace(l.at(endAt)) && l.at(endAt) != ';')
            ++endAt;
        return value.mid(i, endAt - i);
    }
}

// The byte-stream prescan browsers run over a page's first bytes to find its encoding: comments
// and other markup are stepped over, attributes are read as a tag's reader reads them, and a
// <meta> counts only with a charset its reader knows (content= only with the content-type
// pragma). Running out of bytes anywhere ends it with nothing found.
class Prescan {
public:
    explicit Prescan(QByteArray bytes)
        : m_s(std::move(bytes))
    {
    }

    QByteArray run()
    {
        while (m_at < m_s.size()) {
            if (startsWith("<!--")) {
                // The "--" may be the opening one's: "<!-->" is a whole comment.
                const qsizetype close = m_s.indexOf("-->", m_at + 2);
                if (close < 0)
                    return {};
                m_at = close + 3;
                continue;
            }
            if (startsWithNoCase("<meta") && m_at + 5 < m_s.size()
                && (isSpace(m_s.at(m_at + 5)) || m_s.at(m_at + 5) == '/')) {
                m_at += 6;
                const std::optional<QByteArray> found = meta();
                if (!found)
                    return {};
                if (!found->isEmpty())
                    return *found;
                continue;
            }
            const qsizetype slash = m_at + 1 < m_s.size() && m_s.at(m_at + 1) == '/' ? 1 : 0;
            if (m_s.at(m_at) == '<' && m_at + 1 + slash < m_s.size() && isLetter(m_s.at(m_at + 1 + slash))) {
                // Another tag: its name, then its attributes, read and dropped.
                while (m_at < m_s.size() && !isSpace(m_s.at(m_at)) && m_s.at(m_at) != '>')
                    ++m_at;
                for (;;) {
                    Attribute a;
                    const Got got = attribute(a);
                    if (got == Got::OutOfBytes)
                        return {};
                    if (got == Got::None)
                        break;
                }
                ++m_at;
                continue;
            }
            if (startsWith("<!") || startsWith("</") || startsWith("<?")) {
                const qsizetype close = m_s.indexOf('>', m_at + 2);
                if (close < 0)
                    return {};
                m_at = close + 1;
                continue;
            }
            ++m_at;
        }
        return {};
    }

private:
    struct Attribute {
        QByteArray name;
        QByteArray value;
    };
    enum class Got { One, None, OutOfBytes };

    bool startsWith(const char *text) const { return QByteArrayView(m_s).sliced(m_at).startsWith(text); }

    bool startsWithNoCase(const char *text) const
    {
        const qsizetype n = qsizetype(std::strlen(text));
        if (m_at + n > m_s.size())
            return false;
        for (qsizetype k = 0; k < n; ++k)
            if (lower(m_s.at(m_at + k)) != text[k])
                return false;
        return true;
    }

    // One <meta>'s attributes, from just past its name. The label when it decides the page, an
    // empty one to scan on, nothing when the bytes ran out.
    std::optional<QByteArray> meta()
    {
        QList<QByteArray> seen;
        bool gotPragma = false;
        std::optional<bool> needPragma;
        QByteArray charset;
        for (;;) {
            Attribute a;
            const Got got = attribute(a);
            if (got == Got::OutOfBytes)
                return std::nullopt;
            if (got == Got::None)
                break;
            if (seen.contains(a.name))
                continue;
            seen.append(a.name);
            if (a.name == "http-equiv") {
                gotPragma = gotPragma || a.value == "content-type";
            } else if (a.name == "content") {
                const QByteArray label = pageLabel(charsetFromContent(a.value));
                if (!label.isEmpty() && charset.isEmpty() && !needPragma) {
                    charset = label;
                    needPragma = true;
                }
            } else if (a.name == "charset") {
                charset = pageLabel(a.value);
                needPragma = false;
            }
        }
        ++m_at; // past the '>'
        if (!needPragma || (*needPragma && !gotPragma) || charset.isEmpty())
            return QByteArray();
        return charset;
    }

    // The next attribute of a tag, its name and value lower-cased as a tag's reader has them.
    // None at the tag's '>' (left at it).
    Got attribute(Attribute &a)
    {
        while (m_at < m_s.size() && (isSpace(m_s.at(m_at)) || m_s.at(m_at) == '/'))
            ++m_at;
        if (m_at >= m_s.size())
            return Got::OutOfBytes;
        if (m_s.at(m_at) == '>')
            return Got::None;
        // The name, up to '=' (not as its first byte), a space, '/' or '>'.
        for (;; ++m_at) {
            if (m_at >= m_s.size())
                return Got::OutOfBytes;
            const char c = m_s.at(m_at);
            if (c == '=' && !a.name.isEmpty())
                break;
            if (isSpace(c)) {
                m_at = skipSpaces(m_s, m_at);
                if (m_at >= m_s.size())
                    return Got::OutOfBytes;
                if (m_s.at(m_at) != '=')
                    return Got::One;
                break;
            }
            if (c == '/' || c == '>')
                return Got::One;
            a.name.append(lower(c));
        }
        // At the '='; the value follows, after spaces.
        m_at = skipSpaces(m_s, m_at + 1);
        if (m_at >= m_s.size())
            return Got::OutOfBytes;
        const char first = m_s.at(m_at);
        if (first == '"' || first == '\'') {
            for (++m_at; m_at < m_s.size(); ++m_at) {
                if (m_s.at(m_at) == first) {
                    ++m_at;
                    return Got::One;
                }
                a.value.append(lower(m_s.at(m_at)));
            }
            return Got::OutOfBytes;
        }
        if (first == '>')
            return Got::One;
        for (; m_at < m_s.size(); ++m_at) {
            const char c = m_s.at(m_at);
            if (isSpace(c) || c == '>')
                return Got::One;
            a.value.append(lower(c));
        }
        return Got::OutOfBytes;
    }

    QByteArray m_s;
    qsizetype m_at = 0;
};

} // namespace

QByteArray CharsetFromContentType(const QByteArray &contentType)
{
    const QByteArray &s = contentType;
    qsizetype i = s.indexOf(';');
    if (i < 0)
        return {};
    while (i < s.size()) {
        // At a ';' (or past a value): start of the next parameter.
        i = skipSpaces(s, i + 1);
        const qsizetype nameStart = i;
        while (i < s.size() && s.at(i) != '=' && s.at(i) != ';')
            ++i;
        const QByteArray name = s.mid(nameStart, i - nameStart).trimmed().toLower();
        if (i >= s.size() || s.at(i) == ';')
            continue;
        i = skipSpaces(s, i + 1);
        QByteArray value;
        if (i < s.size() && s.at(i) == '"') {
            // A quoted value may hold ';' and backslash escapes.
            for (++i; i < s.size() && s.at(i) != '"'; ++i) {
                if (s.at(i) == '\\' && i + 1 < s.size())
                    ++i;
                value.append(s.at(i));
            }
            i = s.indexOf(';', i);
            if (i < 0)
                i = s.size();
        } else {
            const qsizetype valueStart = i;
            while (i < s.size() && s.at(i) != ';')
                ++i;
            value = s.mid(valueStart, i - valueStart);
        }
        if (name == "charset")
            return value.trimmed();
    }
    return {};
}

QByteArray CharsetFromMeta(const QByteArray &body)
{
    return Prescan(body.left(MetaScanLimit)).run();
}

QString DecodeBody(const QByteArray &body, const QByteArray &contentType)
{
    // A byte-order mark outranks every label, and is not part of the text.
    struct Bom {
        const char *bytes;
        const char *name;
    };
    for (const Bom &bom :
        { Bom { "\xEF\xBB\xBF", "utf-8" }, Bom { "\xFE\xFF", "utf-16be" }, Bom { "\xFF\xFE", "utf-16le" } }) {
        if (body.startsWith(bom.bytes))
            return decodeAs(bom.name, QByteArrayView(body).sliced(qsizetype(std::strlen(bom.bytes))));
    }

    const QByteArray header = supportedName(CharsetFromContentType(contentType));
    if (!header.isEmpty())
        return decodeAs(header, body);

    const QByteArray meta = CharsetFromMeta(body);
    if (!meta.isEmpty())
        return decodeAs(meta, body);

    return QString::fromUtf8(body);
}

} // namespace thornvale::net
