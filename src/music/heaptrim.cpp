#include "music/heaptrim.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace thornvale {

namespace {

QTimer *makeTimer(int ms)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setSingleShot(true);
    timer->setInterval(ms);
    QObject::connect(timer, &QTimer::timeout, &trimHeap);
    return timer;
}

} // namespace

void trimHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void trimHeapSoon()
{
#if defined(__GLIBC__)
    static QPointer<QTimer> first;
    static QPointer<QTimer> second;
    if (!first) {
        first = makeTimer(1000);
        second = makeTimer(4000);
    }
    first->start();
    second->start();
#endif
}

} // namespace thornvale
