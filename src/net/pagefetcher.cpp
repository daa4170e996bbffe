#include "net/pagefetcher.h"

#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "net/charset.h"

namespace thornvale::net {

namespace {

QString describeBytes(qint64 bytes)
{
    constexpr qint64 MiB = 1024 * 1024;
    if (bytes > 0 && bytes % MiB == 0)
        return QStringLiteral("%1 MiB").arg(bytes / MiB);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString describeDuration(std::chrono::milliseconds t)
{
    if (t.count() % 1000 == 0)
        return QStringLiteral("%1 s").arg(t.count() / 1000);
    return QStringLiteral("%1 ms").arg(t.count());
}

// Past the cap, whether the header announced it or the bytes showed it.
FetchResult tooLarge(qint64 maxBody, int httpStatus = 0)
{
    const QString reason = QStringLiteral("the page is larger than %1").arg(describeBytes(maxBody));
    return FetchResult::failed(FetchFailure::TooLarge, reason, httpStatus);
}

// Errors Qt derives from the status line of a complete answer: the body is still the page.
bool isHttpStatusError(QNetworkReply::NetworkError e)
{
    return (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError)
        || e == QNetworkReply::ProtocolInvalidOperationError
        || (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError);
}

// What the user is told of a transfer that broke off.
FetchFailure classify(QNetworkReply::NetworkError e)
{
    if (e == QNetworkReply::ConnectionRefusedError || e == QNetworkReply::HostNotFoundError)
        return FetchFailure::Unreachable;
    if (e == QNetworkReply::TimeoutError)
        return FetchFailure::TimedOut;
    return e == QNetworkReply::RemoteHostClosedError ? FetchFailure::Incomplete : FetchFailure::Other;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// URLEncode writes a byte below 16 with one hex digit ("%9" for a tab), which no URL parser
// takes: QUrl would call the whole address invalid and escape every "%" in it once more. The
// encoder escapes every byte, so a "%" with a single digit is always such a byte, never half of a
// real escape; it goes out as the two-digit escape it stands for.
QString padShortEscapes(const QString &address)
{
    QString out;
    out.reserve(address.size() + 8);
    for (qsizetype i = 0; i < address.size(); ++i) {
        out += address[i];
        if (address[i] == u'%' && i + 1 < address.size() && isHexDigit(address[i + 1])
            && (i + 2 == address.size() || !isHexDigit(address[i + 2])))
            out += u'0';
    }
    return out;
}

} // namespace

// --- FetchHandle -------------------------------------------------------------------------------

FetchHandle::FetchHandle(QNetworkReply *reply, std::chrono::milliseconds timeout,
    std::chrono::milliseconds headerTimeout, qint64 maxBody)
    : m_reply(reply)
    , m_maxBody(maxBody)
{
    if (!reply)
        return;

    // An overall deadline, not an idle time-out: a server that trickles a byte now and then must
    // not keep a page run waiting for ever.
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this, timeout] {
        const QString reason = QStringLiteral("no complete answer within %1").arg(describeDuration(timeout));
        finish(FetchResult::failed(FetchFailure::TimedOut, reason));
    });
    m_timer->start(timeout);

    // Only where it ends before the overall deadline does the header phase need a timer of its own.
    if (headerTimeout < timeout) {
        m_headerTimer = new QTimer(this);
        m_headerTimer->setSingleShot(true);
        connect(m_headerTimer, &QTimer::timeout, this, [this, headerTimeout] {
            const QString reason
                = QStringLiteral("no answer headers within %1").arg(describeDuration(headerTimeout));
            finish(FetchResult::failed(FetchFailure::TimedOut, reason));
        });
        m_headerTimer->start(headerTimeout);
        // A redirect is a new request, with a header phase of its own.
        connect(reply, &QNetworkReply::redirected, m_headerTimer, qOverload<>(&QTimer::start));
    }

    connect(reply, &QNetworkReply::metaDataChanged, this, [this] {
        if (!m_reply)
            return;
        // Qt's parser gives up on an answer past its limit of header lines and announces it with
        // its status and none of its headers, then waits for ever; any real answer has some.
        if (m_headerTimer && !m_reply->rawHeaderPairs().isEmpty())
            m_headerTimer->stop();
        bool ok = false;
        const qint64 declared = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
        if (ok && declared > m_maxBody)
            finish(tooLarge(m_maxBody));
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (m_headerTimer && received > 0)
            m_headerTimer->stop();
        if (received > m_maxBody || (m_reply && m_reply->bytesAvailable() > m_maxBody))
            finish(tooLarge(m_maxBody));
    });
    connect(reply, &QNetworkReply::finished, this, &FetchHandle::onFinished);
}

FetchHandle::~FetchHandle()
{
    releaseReply();
}

void FetchHandle::releaseReply()
{
    if (!m_reply)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    if (m_reply->isRunning())
        m_reply->abort();
    // The reply may be the one emitting right now; let it finish that first.
    m_reply->deleteLater();
    m_reply = nullptr;
}

void FetchHandle::stopTimers()
{
    if (m_timer)
        m_timer->stop();
    if (m_headerTimer)
        m_headerTimer->stop();
}

void FetchHandle::abort()
{
    m_aborted = true;
    m_done = true;
    stopTimers();
    releaseReply();
    deleteLater();
}

void FetchHandle::finish(FetchResult result)
{
    if (m_done)
        return;
    m_done = true;
    stopTimers();
    releaseReply();
    // Delivered from the event loop, never from inside a reply's signal or from FetchPage()
    // itself, so the receiver may delete anything it likes, the fetcher included.
    QMetaObject::invokeMethod(
        this,
        [this, r = std::move(result)] {
            if (m_aborted)
                return;
            QPointer<FetchHandle> self(this);
            Q_EMIT finished(r);
            if (self)
                deleteLater();
        },
        Qt::QueuedConnection);
}

void FetchHandle::onFinished()
{
    if (m_done || !m_reply)
        return;
    QNetworkReply *reply = m_reply;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();

    // A server that answers with an error status still sent a page; only a broken transfer
    // leaves nothing to read.
    if (error != QNetworkReply::NoError && !(status >= 400 && isHttpStatusError(error))) {
        QString reason = reply->errorString();
        FetchFailure failure = classify(error);
        // Under a success status a content error can only come from unpacking the body, and Qt's
        // guard against compression bombs (set to our cap) is one way that fails.
        if (status > 0 && status < 400 && isHttpStatusError(error)) {
            reason = QStringLiteral("the page is damaged or larger than %1 when unpacked (%2)")
                         .arg(describeBytes(m_maxBody), reason);
            // Qt says the same of a damaged body and of one past the threshold, so the user hears
            // the cause both share: the page could not be read to its end.
            failure = FetchFailure::Incomplete;
        }
        finish(FetchResult::failed(failure, reason, status));
        return;
    }

    const QByteArray body = reply->readAll();
    if (body.size() > m_maxBody) {
        finish(tooLarge(m_maxBody, status));
        return;
    }
    // Qt drops Content-Length when it inflates a compressed body, so a length still present
    // counts the bytes we should have.
    bool hasLength = false;
    const qint64 declared = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&hasLength);
    if (hasLength && body.size() < declared) {
        const QString reason
            = QStringLiteral("the connection closed after %1 of %2 bytes").arg(body.size()).arg(declared);
        finish(FetchResult::failed(FetchFailure::Incomplete, reason, status));
        return;
    }

    finish(FetchResult::succeeded(DecodeBody(body, reply->rawHeader("Content-Type")), status));
}

// --- PageFetcher -------------------------------------------------------------------------------

PageFetcher::PageFetcher(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    // One manager for all pages: it keeps the connections to a host open between requests.
    m_manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

PageFetcher::~PageFetcher()
{
    // The handles go first: each aborts its reply while the manager is still there.
    const auto handles = findChildren<FetchHandle *>(Qt::FindDirectChildrenOnly);
    for (FetchHandle *h : handles)
        delete h;
    delete m_manager;
}

FetchHandle *PageFetcher::FetchPage(const QString &address)
{
    const QUrl url(padShortEscapes(address));
    const QString scheme = url.scheme();
    // The manager would also read file: and qrc: addresses, which a page's link could name.
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty()) {
        auto *handle = new FetchHandle(nullptr, m_timeout, m_headerTimeout, m_maxBody);
        handle->setParent(this);
        // The caller reports the address with the failure; naming it here too would say it twice.
        handle->finish(
            FetchResult::failed(FetchFailure::Other, QStringLiteral("not an http or https address")));
        return handle;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    // Qt refuses a compressed body that unpacks past this with a suspicious ratio. Starting the
    // check at our cap keeps that guard without refusing any page the cap allows.
    request.setDecompressedSafetyCheckThreshold(m_maxBody);
    QNetworkReply *reply = m_manager->get(request);
    auto *handle = new FetchHandle(reply, m_timeout, m_headerTimeout, m_maxBody);
    handle->setParent(this);
    return handle;
}

} // namespace thornvale::net
