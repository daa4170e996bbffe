#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <utility>

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

    // Declared so the struct is no aggregate: a positional {...} would still compile with two
    // fields swapped, so results come from failed() and succeeded() only.
    FetchResult() = default;

    static FetchResult failed(FetchFailure failure, QString reason, int httpStatus = 0)
    {
        FetchResult r;
        r.error = std::move(reason);
        r.httpStatus = httpStatus;
        r.failure = failure;
        return r;
    }
    static FetchResult succeeded(QString text, int httpStatus)
    {
        FetchResult r;
        r.ok = true;
        r.text = std::move(text);
        r.httpStatus = httpStatus;
        return r;
    }
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
    FetchHandle(QNetworkReply *reply, std::chrono::milliseconds timeout,
        std::chrono::milliseconds headerTimeout, qint64 maxBody);
    void finish(FetchResult result);
    void onFinished();
    void stopTimers();
    // Detaches, stops and lets go of the reply, if there still is one.
    void releaseReply();

    QPointer<QNetworkReply> m_reply;
    QTimer *m_timer = nullptr;
    QTimer *m_headerTimer = nullptr;
    qint64 m_maxBody;
    bool m_done = false;
    bool m_aborted = false;
};

// The service-status check's deadline. The window shows nothing until the answer is in, so it
// waits far less than a page fetch; past it the status counts as unreadable.
inline constexpr std::chrono::milliseconds ServiceStatusDeadline { 5000 };

// Every HTTP GET of the program goes through here: time-out, size cap, redirects and charset
// decoding live in this one place. One PageFetcher keeps its connections alive and reuses them
// across the pages of a run.
class PageFetcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PageFetcher)

public:
    static constexpr std::chrono::milliseconds DefaultTimeout { 30000 };
    // From the request (or a redirect) to the answer's headers. Qt's header parser gives up on a
    // response with too many header lines without failing the reply, which would then wait out the
    // whole deadline; a live server has its headers out long before this.
    static constexpr std::chrono::milliseconds DefaultHeaderTimeout { 10000 };
    static constexpr qint64 DefaultMaxBody = 16 * 1024 * 1024;
    static constexpr int MaxRedirects = 10;

    explicit PageFetcher(QObject *parent = nullptr);
    ~PageFetcher() override;

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setHeaderTimeout(std::chrono::milliseconds timeout) { m_headerTimeout = timeout; }
    void setMaxBody(qint64 bytes) { m_maxBody = bytes; }

    // GET the address. Only absolute http and https addresses are fetched; anything else
    // finishes (on the next turn of the event loop) with an error.
    FetchHandle *FetchPage(const QString &address);

private:
    QNetworkAccessManager *m_manager;
    std::chrono::milliseconds m_timeout = DefaultTimeout;
    std::chrono::milliseconds m_headerTimeout = DefaultHeaderTimeout;
    qint64 m_maxBody = DefaultMaxBody;
};

} // namespace thornvale::net
