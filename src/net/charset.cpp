#include "net/charset.h"

#include <QStringDecoder>

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
QByteArray decoderName(const QByteArray &label)
{
    const QByteArray l = label.trimmed().toLower();
    if (l == "euc-kr" || l == "euckr" || l == "cseuckr" || l == "x-euc-kr")
        return QByteArrayLiteral("windows-949");
    return l;
}

QString decodeWith(const QByteArray &label, const QByteArray &body, bool *known)
{
    *known = false;
    if (label.isEmpty())
        return {};
    const QByteArray name = decoderName(label);
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return {};
    *known = true;
    return decoder.decode(body);
}

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
    const QByteArray window = body.left(MetaScanLimit);
    const QByteArray lower = window.toLower();
    qsizetype from = 0;
    for (;;) {
        const qsizetype tag = lower.indexOf("<meta", from);
        if (tag < 0)
            return {};
        from = tag + 5;
        if (from >= lower.size())
            return {};
        if (!isSpace(lower.at(from)) && lower.at(from) != '/')
            continue; // <metadata> and the like
        // A tag cut off by the window could give half a name.
        const qsizetype end = lower.indexOf('>', from);
        if (end < 0)
            return {};
        // Both <meta charset="x"> and <meta http-equiv=... content="text/html; charset=x">
        // carry the name right after "charset=".
        for (qsizetype at = lower.indexOf("charset", from); at >= 0 && at < end;
             at = lower.indexOf("charset", at + 7)) {
            qsizetype i = skipSpaces(lower, at + 7);
            if (i >= end || lower.at(i) != '=')
                continue;
            i = skipSpaces(lower, i + 1);
            if (i < end && (lower.at(i) == '"' || lower.at(i) == '\''))
                ++i;
            const qsizetype valueStart = i;
            while (i < end && !isSpace(lower.at(i)) && lower.at(i) != '"' && lower.at(i) != '\''
                   && lower.at(i) != ';' && lower.at(i) != '/')
                ++i;
            if (i > valueStart)
                return window.mid(valueStart, i - valueStart);
        }
        from = end + 1;
    }
}

QString DecodeBody(const QByteArray &body, const QByteArray &contentType)
{
    // A byte-order mark outranks every label.
    if (body.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(body.constData() + 3, body.size() - 3);

    bool known = false;
    QString text = decodeWith(CharsetFromContentType(contentType), body, &known);
    if (known)
        return text;

    QByteArray meta = CharsetFromMeta(body);
    // A page cannot be read far enough to find its own meta in UTF-16, so such a label is wrong.
    if (meta.toLower().startsWith("utf-16"))
        meta = QByteArrayLiteral("utf-8");
    text = decodeWith(meta, body, &known);
    if (known)
        return text;

    return QString::fromUtf8(body);
}

} // namespace thornvale::net
