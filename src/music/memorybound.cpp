#include "music/memorybound.h"

#include "music/heaptrim.h"
#include "music/pageprocess.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>

namespace thornvale {

namespace {

using namespace std::chrono_literals;

// A page making Blobs grows the program by about 100 MiB a second; at two checks a second it
// passes the bound by 50 MiB or so before it is ended.
constexpr auto kCheckInterval = 500ms;

std::optional<qint64> programResident()
{
    return pageprocess::residentBytes(QCoreApplication::applicationPid());
}

} // namespace

MemoryBound::MemoryBound(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(kCheckInterval);
    connect(&m_timer, &QTimer::timeout, this, &MemoryBound::check);
}

MemoryBound::~MemoryBound() = default;

void MemoryBound::notePage()
{
    const std::optional<qint64> now = programResident();
    if (!now)
        return;
    m_baseline = m_baseline ? std::min(*m_baseline, *now) : *now;
}

void MemoryBound::start()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void MemoryBound::stop()
{
    m_timer.stop();
}

void MemoryBound::check()
{
    if (!m_baseline)
        return;
    std::optional<qint64> now = programResident();
    if (!now || *now - *m_baseline <= Headroom)
        return;
    // Freed memory that glibc keeps counts as resident too: a page that only churns frames is not
    // holding it, and loses nothing when it goes back.
    trimHeap();
    now = programResident();
    if (now && *now - *m_baseline > Headroom)
        Q_EMIT exceeded(*now >> 20, *m_baseline >> 20);
}

} // namespace thornvale
