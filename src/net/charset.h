#pragma once

// How a fetched body becomes text. Apart from the fetcher because it needs the bytes and one
// header only: no reply, no event loop.

#include <QByteArray>
#include <QString>

namespace thornvale::net {

// The body as text, by the first of: a byte-order mark (UTF-8, UTF-16BE, UTF-16LE); the charset
// the Content-Type header declares, when the converter knows it; the page's own <meta>
// declaration (CharsetFromMeta); UTF-8.
QString DecodeBody(const QByteArray &body, const QByteArray &contentType);

// The charset named by a Content-Type value, or empty.
QByteArray CharsetFromContentType(const QByteArray &contentType);

// The charset the first 1024 bytes of a page declare in a <meta>, found as a browser's prescan
// finds it (comments skipped, attributes parsed, content= only with the content-type pragma, a
// label the converter does not know passed over), as the converter's name for it: EUC-KR labels
// give windows-949, UTF-16 ones utf-8, x-user-defined windows-1252. Empty when none.
QByteArray CharsetFromMeta(const QByteArray &body);

} // namespace thornvale::net
