#pragma once

// How a fetched body becomes text. Apart from the fetcher because it needs the bytes and one
// header only: no reply, no event loop.

#include <QByteArray>
#include <QString>

namespace thornvale::net {

// The body as text: by the charset the Content-Type header declares; without one (or with one
// the converter does not know), by a <meta charset> or http-equiv declaration in the first 1024
// bytes; else UTF-8.
QString DecodeBody(const QByteArray &body, const QByteArray &contentType);

// The charset named by a Content-Type value, or empty.
QByteArray CharsetFromContentType(const QByteArray &contentType);

// The charset a <meta> element declares in the first 1024 bytes, or empty.
QByteArray CharsetFromMeta(const QByteArray &body);

} // namespace thornvale::net
