#pragma once

// What the window and the CLI both ask of HTTP: a page for the core, and the operator's service
// switch.

#include <QString>

#include <functional>

#include "search/searchpages.h"
#include "search/servicestatus.h"

class QObject;

namespace thornvale::net {

class PageFetcher;
struct FetchResult;

// What a page's HTTP status means to its reader.
enum class StatusPolicy {
    // Search pages: whatever comes is scraped, an error page too (it simply has no heading).
    Ignored,
    // Character pages: a status of 400 or more is a failed fetch (FetchFailure::HttpError), or a
    // deleted character would show as one without equipment.
    ErrorStatusFails,
};

// The core's form of a fetch's outcome.
PageBody ToPageBody(const FetchResult &result, StatusPolicy policy = StatusPolicy::Ignored);

// Fetches address through fetcher and hands the outcome to done, on context's thread, unless
// context is gone or the returned function has aborted the fetch first.
AbortFetch FetchPageBody(PageFetcher &fetcher, const QString &address, QObject *context,
    std::function<void(PageBody)> done, StatusPolicy policy = StatusPolicy::Ignored);

// Reads the status resource through a fetcher of its own, owned by owner until the answer is in,
// with ServiceStatusDeadline, and hands the decision to done. A fetch that fails decides Unknown,
// with the failure as its reason.
void CheckServiceStatus(const QString &statusUrl, QObject *owner, std::function<void(StatusDecision)> done);

} // namespace thornvale::net
