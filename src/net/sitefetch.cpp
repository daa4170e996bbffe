#include "net/sitefetch.h"

#include <QPointer>

#include "net/pagefetcher.h"
#include "qtbridge/qtbridge.h"

namespace thornvale::net {

PageBody ToPageBody(const FetchResult &result, StatusPolicy policy)
{
    if (result.ok && policy == StatusPolicy::ErrorStatusFails && IsHttpErrorStatus(result.httpStatus))
        return { std::nullopt, FailureCause(FetchFailure::HttpError, result.httpStatus),
            FetchFailure::HttpError, result.httpStatus };
    if (result.ok)
        return { toU16(result.text), {}, FetchFailure::None, result.httpStatus };
    return { std::nullopt, toU16(result.error), result.failure, result.httpStatus };
}

AbortFetch FetchPageBody(PageFetcher &fetcher, const QString &address, QObject *context,
    std::function<void(PageBody)> done, StatusPolicy policy)
{
    FetchHandle *handle = fetcher.FetchPage(address);
    QObject::connect(handle, &FetchHandle::finished, context,
        [done = std::move(done), policy](const FetchResult &result) { done(ToPageBody(result, policy)); });
    return [handle = QPointer<FetchHandle>(handle)] {
        if (handle)
            handle->abort();
    };
}

void CheckServiceStatus(const QString &statusUrl, QObject *owner, std::function<void(StatusDecision)> done)
{
    auto *fetcher = new PageFetcher(owner);
    fetcher->setTimeout(ServiceStatusDeadline);
    FetchHandle *handle = fetcher->FetchPage(statusUrl);
    QObject::connect(handle, &FetchHandle::finished, fetcher,
        [fetcher, done = std::move(done)](const FetchResult &result) {
            fetcher->deleteLater();
            done(result.ok ? DecideServiceStatus(view(result.text))
                           : StatusDecision {
                               ServiceState::Unknown, u"the status request failed: " + toU16(result.error) });
        });
}

} // namespace thornvale::net
