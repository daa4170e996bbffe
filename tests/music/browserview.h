#pragma once

// What the tests that look inside the browser share; they link QtWebEngine, unlike
// tst_musicloading, which includes stripwindow.h alone.

#include "stripwindow.h"

#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

// QtWebEngine needs a while to start its processes on a loaded two-core machine.
inline constexpr int kPageTimeoutMs = 30000;

// The module's Form2 is known here only as a widget; its parts are reached by their names.
inline QWebEngineView *wbOf(QWidget *form)
{
    return form->findChild<QWebEngineView *>(QStringLiteral("WB"));
}

// The strip's browser once address has loaded in it; null when it did not in time.
inline QWebEngineView *playIn(StripWindow &shown, const QUrl &address)
{
    shown.strip->navigate(address);
    auto *view = qobject_cast<QWebEngineView *>(shown.strip->view());
    const bool loaded = view
        && QTest::qWaitFor(
            [&] { return view->url() == address && !view->page()->isLoading() && view->focusProxy(); },
            kPageTimeoutMs);
    return loaded ? view : nullptr;
}
