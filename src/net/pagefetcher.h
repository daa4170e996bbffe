#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>

#include "search/fetchfailure.h"

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace thornvale::net {

// The outcome of one fetch: the body as text, or why there is none. The HTTP status is kept for
// reports only; a page with an error status is still a page.
struct FetchResult {
    bool ok = false;
    QString text;
    QString error; // in English, for logs and the CLI
    int httpStatus = 0;
    FetchFailure failure = FetchFailure::None; // what the user is told; None when ok
};

// One fetch in flight. It emits finished() exactly once, unless it is aborted or deleted first,
// in which case it emits nothing. It deletes itself (later) after finished().
class FetchHandle final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FetchHandle)

public:
    ~FetchHandle() override;
    // Stops the transfer; finished() will not be emitted. The handle deletes itself later.
    void abort();

Q_SIGNALS:
    void finished(const thornvale::net::FetchResult &result);

private:
    friend class PageFetcher;
    FetchHandle(QNetworkReply *reply, std::chrono::milliseconds timeout, qint64 maxBody);
    void finish(FetchResult result);
    void onFinished();

    QPointer<QNetworkReply> m_reply;
    QTimer *m_timer = nullptr;
    qint64 m_maxBody;
    bool m_done = false;
    bool m_aborted = false;
};

// The service-status check's deadline. The window shows nothing until the answer is in, so it
// waits far less than a page fetch; past it the status counts as unreadable.
inline constexpr std::chrono::milliseconds ServiceStatusDeadline{5000};

// Every HTTP GET of the program goes through here: time-out, size cap, redirects and charset
// decoding live in this one place. One PageFetcher keeps its connections alive and reuses them
// across the pages of a run.
class PageFetcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageFetcher)

public:
    static constexpr std::chrono::milliseconds DefaultTimeout{30000};
    static constexpr qint64 DefaultMaxBody = 16 * 1024 * 1024;
    static constexpr int MaxRedirects = 10;

    explicit PageFetcher(QObject *parent = nullptr);
    ~PageFetcher() override;

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setMaxBody(qint64 bytes) { m_maxBody = bytes; }

    // GET the address. Only absolute http and https addresses are fetched; anything else
    // finishes (on the next turn of the event loop) with an error.
    FetchHandle *FetchPage(const QString &address);

private:
    QNetworkAccessManager *m_manager;
    std::chrono::milliseconds m_timeout = DefaultTimeout;
    qint64 m_maxBody = DefaultMaxBody;
};

// The body as text: by the charset the Content-Type header declares; without one (or with one
// the converter does not know), by a <meta charset> or http-equiv declaration in the first 1024
// bytes; else UTF-8.
QString DecodeBody(const QByteArray &body, const QByteArray &contentType);

// The charset named by a Content-Type value, or empty.
QByteArray CharsetFromContentType(const QByteArray &contentType);

// The charset a <meta> element declares in the first 1024 bytes, or empty.
QByteArray CharsetFromMeta(const QByteArray &body);

} // namespace thornvale::net
