// Pages written to do harm, played in the strip as the user meets them: clicked with real input,
// they stay inside their browser. Every refusal costs one stderr line of a budget the whole
// process shares (20), so the tests that count lines come first and the alert loop, which spends
// the rest, comes last.

#include "browserview.h"

#include "site-sim/sitesim.h"
#include "support/messagelog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>

using namespace thornvale;
using namespace Qt::StringLiterals;

namespace {

// Stands for a desktop's handler of a scheme: the test fails if a page ever reaches it.
class SchemeHandler final : public QObject {
    Q_OBJECT

public:
    int calls = 0;

public Q_SLOTS:
    void open(const QUrl &) { ++calls; }
};

// Counts the pop-up windows shown while it lives.
class PopUpCounter final : public QObject {
public:
    PopUpCounter() { qApp->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow() && watched->findChild<QWidget *>(u"pic2"_s))
            ++count;
        return false;
    }
};

} // namespace

class TestMusicGuard final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_site.start());
        QDesktopServices::setUrlHandler(u"thornvaletest"_s, &m_handler, "open");
    }

    void init()
    {
        m_shown = std::make_unique<StripWindow>();
        QVERIFY(m_shown->exposed());
    }

    void cleanup() { m_shown.reset(); }

    // Where a link laid over the whole page leads when the user clicks the strip.
    void navigationPolicy_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("urlAfter"); // empty: the page stays where it is
        QTest::addColumn<QString>("titleAfter");
        QTest::addColumn<QString>("refusal"); // what the one line names; empty: no line
        QTest::newRow("unknown scheme: no desktop handler")
            << u"scheme"_s << QString() << u"link scheme"_s << u"thornvaletest:payload"_s;
        // The renderer stops these two itself, before the page is asked.
        QTest::newRow("file: stays") << u"file"_s << QString() << u"link file"_s << QString();
        QTest::newRow("data: stays") << u"data"_s << QString() << u"link data"_s << QString();
        QTest::newRow("javascript: runs, no navigation")
            << u"javascript"_s << QString() << u"ran"_s << QString();
        QTest::newRow("https: allowed") << u"https"_s << u"https://127.0.0.1:1/"_s << QString() << QString();
    }
    void navigationPolicy()
    {
        QFETCH(QString, kind);
        QFETCH(QString, urlAfter);
        QFETCH(QString, titleAfter);
        QFETCH(QString, refusal);
        QWebEngineView *view = play(u"/hostile/link?to="_s + kind);
        QVERIFY(view);
        const QUrl before = view->url();
        MessageLog log;
        click(view);
        if (!urlAfter.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(view->url(), QUrl(urlAfter), kPageTimeoutMs);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(view->title(), titleAfter, kPageTimeoutMs);
            // Nothing announces a navigation that never happens; give one the time it would take.
            QTest::qWait(1500);
            QCOMPARE(view->url(), before);
        }
        QCOMPARE(m_handler.calls, 0);
        QVERIFY(m_shown->strip->popups().isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(log.ours(), QStringList());
        } else {
            QCOMPARE(log.ours().size(), 1);
            QVERIFY2(log.ours().first().contains(refusal), qPrintable(log.ours().first()));
        }
    }

    // Cancelled before a byte is written, whichever page asks.
    void downloadIsCancelled()
    {
        QWebEngineView *view = play(u"/hostile/download"_s);
        QVERIFY(view);
        MessageLog log;
        QWebEngineDownloadRequest::DownloadState state = QWebEngineDownloadRequest::DownloadRequested;
        // Connected after the module's own handler, so this sees what that one left.
        connect(view->page()->profile(), &QWebEngineProfile::downloadRequested, this,
            [&](QWebEngineDownloadRequest *download) { state = download->state(); });
        click(view);
        QTRY_COMPARE_WITH_TIMEOUT(state, QWebEngineDownloadRequest::DownloadCancelled, kPageTimeoutMs);
        QCOMPARE(log.ours().size(), 1);
        QVERIFY(log.ours().first().contains(u"/hostile/file.bin"_s));
    }

    void permissionsAreDenied()
    {
        QWebEngineView *view = play(u"/hostile/permissions"_s);
        QVERIFY(view);
        QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"geolocation 1 notification denied"_s, kPageTimeoutMs);
    }

    // A page may ask to stay; the user's next choice still replaces it.
    void leaveQuestionLetsTheNextChoiceIn()
    {
        QWebEngineView *view = play(u"/hostile/unload"_s);
        QVERIFY(view);
        // Chromium asks the question only of a page the user has touched.
        click(view);
        QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"armed"_s, kPageTimeoutMs);
        QVERIFY(play(u"/music3"_s));
        QCOMPARE(view->title(), u"음악 3"_s);
    }

    // A page that closes and reopens its pop-up every 50 ms gets eight windows, then none.
    void reopeningPopUpIsRateBound()
    {
        PopUpCounter shown;
        m_shown->strip->navigate(url(u"/hostile/reopen"_s));
        QTRY_COMPARE_WITH_TIMEOUT(shown.count, 8, kPageTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_shown->strip->popups().isEmpty(), kPageTimeoutMs);
        // The page keeps asking; give it the time for many more.
        QTest::qWait(1500);
        QCOMPARE(shown.count, 8);
    }

    // Fifty alerts, a question and a prompt: nothing shows, the answers are no and null, and the
    // stderr budget ends the lines.
    void dialogsAnswerWithoutShowing()
    {
        QWebEngineView *view = play(u"/hostile/dialogs"_s);
        QVERIFY(view);
        QTRY_COMPARE_WITH_TIMEOUT(view->title(), u"confirm false prompt null"_s, kPageTimeoutMs);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QMessageBox *>(top));
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(u"thornvaletest"_s);
        m_site.stop();
    }

private:
    QUrl url(const QString &path) const { return QUrl(QString::fromStdString(m_site.baseUrl()) + path); }

    // A click on the strip, where the user would click: through the browser's own input widget.
    static void click(QWebEngineView *view)
    {
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(60, 12));
    }

    // The strip's browser once path has loaded in it.
    QWebEngineView *play(const QString &path) { return playIn(*m_shown, url(path)); }

    sitesim::Server m_site;
    SchemeHandler m_handler;
    std::unique_ptr<StripWindow> m_shown;
};

QTEST_MAIN(TestMusicGuard)
#include "tst_musicguard.moc"
