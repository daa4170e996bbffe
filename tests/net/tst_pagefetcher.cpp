// PageFetcher against real HTTP on loopback: site-sim for the website's pages and faults, and a
// small httplib server of our own for what site-sim does not serve (redirects, odd statuses,
// trickling and short bodies).

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "net/pagefetcher.h"
#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
#include "search/resultpage.h"
#include "support/sitesimfixture.h"

using namespace std::chrono_literals;
using thornvale::net::FetchHandle;
using thornvale::net::FetchResult;
using thornvale::net::PageFetcher;

Q_DECLARE_METATYPE(sitesim::Charset)
Q_DECLARE_METATYPE(sitesim::Fault)
Q_DECLARE_METATYPE(thornvale::FetchFailure)

namespace {

const QString Heading = QStringLiteral("</strong>' 캐릭터 검색결과</h4>");

// Waits for the handle's one result; false when none came.
bool waitResult(FetchHandle *handle, FetchResult *result, int ms = 15000)
{
    QSignalSpy spy(handle, &FetchHandle::finished);
    if (!spy.wait(ms) || spy.count() != 1)
        return false;
    *result = qvariant_cast<FetchResult>(spy.at(0).at(0));
    return true;
}

QString searchAddress(const sitesim::Server &server, int page)
{
    const std::u16string start
        = thornvale::toU16(QString::fromStdString(server.baseUrl() + "/search?keyword="));
    return thornvale::toQString(thornvale::BuildSearchUrl(start, u"", page));
}

// The rows of a result page, each address cut back to its character key so that pages of
// servers on different ports compare equal.
std::vector<thornvale::ScrapedRow> scrape(const sitesim::Server &server, const QString &page)
{
    const std::u16string base = thornvale::toU16(QString::fromStdString(server.characterBase()));
    auto rows = thornvale::ScrapeResultPage(thornvale::view(page), base);
    for (auto &row : rows) {
        if (row.address.starts_with(base))
            row.address.erase(0, base.size());
    }
    return rows;
}

// What site-sim does not serve, on 127.0.0.1 from a thread of its own.
class LocalServer {
public:
    LocalServer()
    {
        // /hop/N answers after N redirects.
        m_server.Get(R"(/hop/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            const int n = std::stoi(req.matches[1]);
            if (n == 0)
                res.set_content("<p>arrived</p>", "text/html; charset=utf-8");
            else
                res.set_redirect("/hop/" + std::to_string(n - 1));
        });
        m_server.Get(
            "/loop", [](const httplib::Request &, httplib::Response &res) { res.set_redirect("/loop"); });
        m_server.Get("/relative", [](const httplib::Request &, httplib::Response &res) {
            res.status = 302;
            res.set_header("Location", "hop/0");
        });
        m_server.Get("/to-file", [](const httplib::Request &, httplib::Response &res) {
            res.status = 302;
            res.set_header("Location", "file:///etc/hostname");
        });
        m_server.Get(R"(/status/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            res.status = std::stoi(req.matches[1]);
            if (res.status == 401)
                res.set_header("WWW-Authenticate", "Basic realm=\"thornvale\"");
            res.set_content("<p>status page</p>", "text/html; charset=utf-8");
        });
        m_server.Get("/empty",
            [](const httplib::Request &, httplib::Response &res) { res.set_content("", "text/html"); });
        m_server.Get(R"(/bytes/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            res.set_content(std::string(std::stoul(req.matches[1]), 'x'), "text/html; charset=utf-8");
        });
        // Promises 1000 bytes, sends 10 and hangs up.
        m_server.Get("/short", [](const httplib::Request &, httplib::Response &res) {
            res.set_content_provider(1000, "text/html", [](size_t offset, size_t, httplib::DataSink &sink) {
                if (offset > 0)
                    return false;
                sink.write("0123456789", 10);
                return true;
            });
        });
        // Says gzip, is not.
        m_server.Get("/bad-gzip", [](const httplib::Request &, httplib::Response &res) {
            res.set_header("Content-Encoding", "gzip");
            res.set_content("this is not gzip data at all", "application/octet-stream");
        });
        // A byte every 50 ms for as long as the client listens: never idle, never done.
        m_server.Get("/trickle", [this](const httplib::Request &, httplib::Response &res) {
            res.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink &sink) {
                if (m_stopping)
                    return false;
                std::this_thread::sleep_for(50ms);
                return sink.write("x", 1);
            });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port > 0)
            m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }

    ~LocalServer()
    {
        m_stopping = true;
        m_server.stop();
        if (m_thread.joinable())
            m_thread.join();
    }

    bool isRunning() const { return m_port > 0; }
    QString url(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path));
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
    int m_port = -1;
};

} // namespace

class TestPageFetcher final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void charsets_data();
    void charsets();
    void latency();
    void faults_data();
    void faults();
    void connectionReused();

    void refusedAddresses_data();
    void refusedAddresses();
    void connectionRefused();
    void errorStatusIsAPage_data();
    void errorStatusIsAPage();
    void redirects_data();
    void redirects();
    void sizeCap_data();
    void sizeCap();
    void brokenTransfers_data();
    void brokenTransfers();
    void tricklingServerTimesOut();
    void headerDeadline_data();
    void headerDeadline();

    void abortEmitsNothing_data();
    void abortEmitsNothing();
    void deletingHandleEmitsNothing();
    void deletingFetcherInFlight();
    void deletingFetcherFromFinished();

private:
    std::unique_ptr<LocalServer> m_local;
};

void TestPageFetcher::initTestCase()
{
    m_local = std::make_unique<LocalServer>();
    QVERIFY(m_local->isRunning());
}

void TestPageFetcher::charsets_data()
{
    QTest::addColumn<sitesim::Charset>("charset");
    QTest::addColumn<bool>("inHeader");

    QTest::newRow("utf-8 in header") << sitesim::Charset::Utf8 << true;
    QTest::newRow("euc-kr in header") << sitesim::Charset::EucKr << true;
    QTest::newRow("euc-kr by meta only") << sitesim::Charset::EucKr << false;
    QTest::newRow("utf-8 by meta only") << sitesim::Charset::Utf8 << false;
}

// The same roster, however the site encodes it, must come out as the same rows.
void TestPageFetcher::charsets()
{
    QFETCH(sitesim::Charset, charset);
    QFETCH(bool, inHeader);

    auto reference = thornvale::test::StartSiteSim();
    QVERIFY(reference);
    sitesim::Options options;
    options.charset = charset;
    options.declareCharsetInHeader = inHeader;
    auto server = thornvale::test::StartSiteSim(options);
    QVERIFY(server);

    PageFetcher fetcher;
    FetchResult expected;
    QVERIFY(waitResult(fetcher.FetchPage(searchAddress(*reference, 1)), &expected));
    QVERIFY2(expected.ok, qPrintable(expected.error));
    FetchResult got;
    QVERIFY(waitResult(fetcher.FetchPage(searchAddress(*server, 1)), &got));
    QVERIFY2(got.ok, qPrintable(got.error));

    QVERIFY(got.text.contains(Heading));
    QCOMPARE(got.httpStatus, 200);
    const auto rows = scrape(*server, got.text);
    QVERIFY(!rows.empty());
    QVERIFY(rows == scrape(*reference, expected.text));
    const auto roster = sitesim::Matches("");
    QCOMPARE(thornvale::toQString(rows.front().nickname), QString::fromStdString(roster.front().name));
}

void TestPageFetcher::latency()
{
    sitesim::Options options;
    options.latency = 300ms;
    auto server = thornvale::test::StartSiteSim(options);
    QVERIFY(server);
    PageFetcher fetcher;
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(searchAddress(*server, 2)), &result));
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(result.text.contains(Heading));
}

void TestPageFetcher::faults_data()
{
    QTest::addColumn<sitesim::Fault>("fault");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reasonHas");
    QTest::addColumn<thornvale::FetchFailure>("failure");

    using thornvale::FetchFailure;
    QTest::newRow("error status: still a page")
        << sitesim::Fault::ErrorStatus << true << 500 << QString() << FetchFailure::None;
    QTest::newRow("no heading: still a page")
        << sitesim::Fault::NoHeading << true << 200 << QString() << FetchFailure::None;
    QTest::newRow("closed mid-body") << sitesim::Fault::CloseMidBody << false << -1 << QString()
                                     << FetchFailure::Incomplete;
    QTest::newRow("hang: deadline") << sitesim::Fault::Hang << false << -1 << QStringLiteral("500 ms")
                                    << FetchFailure::TimedOut;
    QTest::newRow("oversized: cap") << sitesim::Fault::Oversized << false << -1 << QStringLiteral("16 MiB")
                                    << FetchFailure::TooLarge;
}

void TestPageFetcher::faults()
{
    QFETCH(sitesim::Fault, fault);
    QFETCH(bool, ok);
    QFETCH(int, status);
    QFETCH(QString, reasonHas);
    QFETCH(thornvale::FetchFailure, failure);

    auto server = thornvale::test::StartSiteSim();
    QVERIFY(server);
    server->setFault(3, fault);
    PageFetcher fetcher;
    fetcher.setTimeout(500ms);

    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(searchAddress(*server, 3)), &result));
    QCOMPARE(result.ok, ok);
    QCOMPARE(result.failure, failure);
    if (ok) {
        QVERIFY(!result.text.isEmpty());
        QVERIFY(!result.text.contains(Heading));
        QVERIFY(result.error.isEmpty());
    } else {
        QVERIFY(result.text.isEmpty());
        QVERIFY(!result.error.isEmpty());
        QVERIFY2(result.error.contains(reasonHas), qPrintable(result.error));
    }
    if (status >= 0)
        QCOMPARE(result.httpStatus, status);

    // A failed page leaves the fetcher fit for the next one.
    fetcher.setTimeout(PageFetcher::DefaultTimeout);
    FetchResult next;
    QVERIFY(waitResult(fetcher.FetchPage(searchAddress(*server, 4)), &next));
    QVERIFY2(next.ok, qPrintable(next.error));
    QVERIFY(next.text.contains(Heading));
}

void TestPageFetcher::connectionReused()
{
    auto server = thornvale::test::StartSiteSim();
    QVERIFY(server);
    PageFetcher fetcher;
    for (int page = 1; page <= 10; ++page) {
        FetchResult result;
        QVERIFY(waitResult(fetcher.FetchPage(searchAddress(*server, page)), &result));
        QVERIFY2(result.ok, qPrintable(result.error));
    }
    QCOMPARE(server->requestsServed(), std::size_t(10));
    QCOMPARE(server->connectionsAccepted(), std::size_t(1));
}

void TestPageFetcher::refusedAddresses_data()
{
    QTest::addColumn<QString>("address");

    QTest::newRow("file") << QStringLiteral("file:///etc/hostname");
    QTest::newRow("qrc") << QStringLiteral("qrc:/index.html");
    QTest::newRow("data") << QStringLiteral("data:text/html,<p>hi</p>");
    QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1/pub");
    QTest::newRow("garbage") << QStringLiteral("not an address at all");
    QTest::newRow("empty") << QString();
    QTest::newRow("relative") << QStringLiteral("/search?keyword=%61");
    QTest::newRow("http without host") << QStringLiteral("http:///search");
    QTest::newRow("invalid port") << QStringLiteral("http://127.0.0.1:99999/");
}

// The spy is set up after FetchPage() returns, so these also prove the refusal is never
// delivered from inside FetchPage() itself.
void TestPageFetcher::refusedAddresses()
{
    QFETCH(QString, address);
    PageFetcher fetcher;
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(address), &result));
    QVERIFY(!result.ok);
    QVERIFY(result.text.isEmpty());
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(result.failure, thornvale::FetchFailure::Other);
}

void TestPageFetcher::connectionRefused()
{
    // A port that was just free: nothing listens there now.
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    PageFetcher fetcher;
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(QStringLiteral("http://127.0.0.1:%1/search").arg(port)), &result));
    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(result.failure, thornvale::FetchFailure::Unreachable);
}

void TestPageFetcher::errorStatusIsAPage_data()
{
    QTest::addColumn<int>("status");

    // Qt turns each of these into a different error code; all of them still carry a page.
    for (int status : { 200, 400, 401, 403, 404, 405, 409, 410, 418, 500, 501, 503 })
        QTest::addRow("%d", status) << status;
}

// The fetch hands every one of them over as a page; a search takes it so, while a character page
// under an error status is a failed detail that names the status.
void TestPageFetcher::errorStatusIsAPage()
{
    QFETCH(int, status);
    PageFetcher fetcher;
    FetchResult result;
    QVERIFY(
        waitResult(fetcher.FetchPage(m_local->url(("/status/" + std::to_string(status)).c_str())), &result));
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.text, QStringLiteral("<p>status page</p>"));
    QCOMPARE(result.httpStatus, status);

    using thornvale::net::StatusPolicy;
    const thornvale::PageBody searchPage = thornvale::net::ToPageBody(result, StatusPolicy::Ignored);
    QCOMPARE(searchPage.text, std::optional<std::u16string>(u"<p>status page</p>"));
    const thornvale::PageBody characterPage
        = thornvale::net::ToPageBody(result, StatusPolicy::ErrorStatusFails);
    if (status < 400) {
        QCOMPARE(characterPage.text, std::optional<std::u16string>(u"<p>status page</p>"));
        QCOMPARE(characterPage.failure, thornvale::FetchFailure::None);
        return;
    }
    QVERIFY(!characterPage.text);
    QCOMPARE(characterPage.failure, thornvale::FetchFailure::HttpError);
    QCOMPARE(characterPage.httpStatus, status);
    QCOMPARE(thornvale::toQString(characterPage.error),
        QStringLiteral("서버가 오류로 답했습니다 (HTTP %1).").arg(status));
}

void TestPageFetcher::redirects_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");

    QTest::newRow("no redirect") << QStringLiteral("/hop/0") << true;
    QTest::newRow("one hop") << QStringLiteral("/hop/1") << true;
    QTest::newRow("ten hops: the limit") << QStringLiteral("/hop/10") << true;
    QTest::newRow("eleven hops: too many") << QStringLiteral("/hop/11") << false;
    QTest::newRow("loop") << QStringLiteral("/loop") << false;
    QTest::newRow("relative location") << QStringLiteral("/relative") << true;
    QTest::newRow("to a file: address") << QStringLiteral("/to-file") << false;
}

void TestPageFetcher::redirects()
{
    QFETCH(QString, path);
    QFETCH(bool, ok);
    PageFetcher fetcher;
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(m_local->url(path.toLatin1().constData())), &result));
    QCOMPARE(result.ok, ok);
    if (ok) {
        QCOMPARE(result.text, QStringLiteral("<p>arrived</p>"));
    } else {
        QVERIFY(!result.error.isEmpty());
        QVERIFY(result.text.isEmpty());
    }
}

void TestPageFetcher::sizeCap_data()
{
    QTest::addColumn<qint64>("cap");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<QString>("reasonHas"); // empty: the page comes through

    QTest::newRow("well under the cap") << qint64(1000) << 10 << QString();
    QTest::newRow("exactly the cap") << qint64(1000) << 1000 << QString();
    QTest::newRow("one byte over") << qint64(1000) << 1001 << QStringLiteral("1000 bytes");
    QTest::newRow("far over") << qint64(1000) << 300000 << QStringLiteral("1000 bytes");
    QTest::newRow("empty body") << qint64(1000) << 0 << QString();
    // Compressed on the wire to a few kilobytes: the cap counts the unpacked page.
    QTest::newRow("default cap, compressed 17 MiB")
        << PageFetcher::DefaultMaxBody << 17 * 1024 * 1024 << QStringLiteral("16 MiB");
}

void TestPageFetcher::sizeCap()
{
    QFETCH(qint64, cap);
    QFETCH(int, bytes);
    QFETCH(QString, reasonHas);
    PageFetcher fetcher;
    fetcher.setMaxBody(cap);
    FetchResult result;
    QVERIFY(
        waitResult(fetcher.FetchPage(m_local->url(("/bytes/" + std::to_string(bytes)).c_str())), &result));
    QCOMPARE(result.ok, reasonHas.isEmpty());
    if (result.ok) {
        QCOMPARE(result.text, QString(bytes, u'x'));
    } else {
        QVERIFY(result.text.isEmpty());
        QVERIFY2(result.error.contains(reasonHas), qPrintable(result.error));
        // A compressed body past the cap is refused while it is unpacked, and Qt says no more of
        // that than of a damaged body.
        QCOMPARE(result.failure,
            result.error.contains(QStringLiteral("unpacked")) ? thornvale::FetchFailure::Incomplete
                                                              : thornvale::FetchFailure::TooLarge);
    }
}

void TestPageFetcher::brokenTransfers_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("body short of Content-Length") << QStringLiteral("/short");
    QTest::newRow("damaged gzip body under status 200") << QStringLiteral("/bad-gzip");
}

// Nothing readable arrived: that is a failure, never an empty page.
void TestPageFetcher::brokenTransfers()
{
    QFETCH(QString, path);
    PageFetcher fetcher;
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(m_local->url(path.toLatin1().constData())), &result));
    QVERIFY(!result.ok);
    QVERIFY(result.text.isEmpty());
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(result.failure, thornvale::FetchFailure::Incomplete);
}

// The deadline covers the whole transfer: a server that keeps sending a byte now and then does
// not hold a page run up.
void TestPageFetcher::tricklingServerTimesOut()
{
    PageFetcher fetcher;
    fetcher.setTimeout(400ms);
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(m_local->url("/trickle")), &result));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(QStringLiteral("400 ms")), qPrintable(result.error));
    QCOMPARE(result.failure, thornvale::FetchFailure::TimedOut);
}

void TestPageFetcher::headerDeadline_data()
{
    QTest::addColumn<QString>("path"); // on site-sim
    QTest::addColumn<int>("headerMs");
    QTest::addColumn<int>("overallMs");
    QTest::addColumn<QString>("reason");

    // Qt announces such an answer and then waits for ever: only the header deadline ends it.
    QTest::newRow("more header lines than the parser takes") << QStringLiteral(
        "/hostile/headers/search") << 300 << 20000 << QStringLiteral("no answer headers within 300 ms");
    // Headers came at once; the page itself then takes its time, and the overall deadline rules.
    QTest::newRow("headers in time, body late")
        << QStringLiteral("/trickle") << 1500 << 3000 << QStringLiteral("no complete answer within 3 s");
}

void TestPageFetcher::headerDeadline()
{
    QFETCH(QString, path);
    QFETCH(int, headerMs);
    QFETCH(int, overallMs);
    QFETCH(QString, reason);
    auto server = thornvale::test::StartSiteSim();
    QVERIFY(server);
    const QString address
        = path == u"/trickle" ? m_local->url("/trickle") : QString::fromStdString(server->baseUrl()) + path;
    PageFetcher fetcher;
    fetcher.setTimeout(std::chrono::milliseconds(overallMs));
    fetcher.setHeaderTimeout(std::chrono::milliseconds(headerMs));
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(address), &result));
    QVERIFY(!result.ok);
    QCOMPARE(result.error, reason);
    QCOMPARE(result.failure, thornvale::FetchFailure::TimedOut);
}

void TestPageFetcher::abortEmitsNothing_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("transfer in flight") << QStringLiteral("/trickle");
    QTest::newRow("refusal already queued") << QStringLiteral("file:///etc/hostname");
}

void TestPageFetcher::abortEmitsNothing()
{
    QFETCH(QString, path);
    const QString address = path.startsWith(u'/') ? m_local->url(path.toLatin1().constData()) : path;
    PageFetcher fetcher;
    FetchHandle *handle = fetcher.FetchPage(address);
    QSignalSpy finished(handle, &FetchHandle::finished);
    QSignalSpy destroyed(handle, &QObject::destroyed);
    handle->abort();
    QVERIFY(destroyed.wait());
    QCOMPARE(finished.count(), 0);

    // And the fetcher goes on working.
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(m_local->url("/hop/0")), &result));
    QVERIFY(result.ok);
}

void TestPageFetcher::deletingHandleEmitsNothing()
{
    PageFetcher fetcher;
    FetchHandle *handle = fetcher.FetchPage(m_local->url("/trickle"));
    QSignalSpy finished(handle, &FetchHandle::finished);
    delete handle;
    FetchResult result;
    QVERIFY(waitResult(fetcher.FetchPage(m_local->url("/hop/0")), &result));
    QVERIFY(result.ok);
    QCOMPARE(finished.count(), 0);
}

void TestPageFetcher::deletingFetcherInFlight()
{
    auto *fetcher = new PageFetcher;
    QPointer<FetchHandle> inFlight = fetcher->FetchPage(m_local->url("/trickle"));
    QPointer<FetchHandle> queued = fetcher->FetchPage(QStringLiteral("qrc:/x"));
    QSignalSpy inFlightSpy(inFlight.data(), &FetchHandle::finished);
    QSignalSpy queuedSpy(queued.data(), &FetchHandle::finished);
    delete fetcher;
    QVERIFY(inFlight.isNull());
    QVERIFY(queued.isNull());

    // Let whatever the deleted fetcher left behind run, with a fetch of another fetcher.
    PageFetcher other;
    FetchResult result;
    QVERIFY(waitResult(other.FetchPage(m_local->url("/hop/1")), &result));
    QVERIFY(result.ok);
    QCOMPARE(inFlightSpy.count(), 0);
    QCOMPARE(queuedSpy.count(), 0);
}

void TestPageFetcher::deletingFetcherFromFinished()
{
    auto *fetcher = new PageFetcher;
    QPointer<PageFetcher> watch(fetcher);
    FetchHandle *handle = fetcher->FetchPage(m_local->url("/hop/0"));
    // A second page still in flight when its owner goes.
    fetcher->FetchPage(m_local->url("/trickle"));
    bool ok = false;
    connect(handle, &FetchHandle::finished, this, [&](const FetchResult &r) {
        ok = r.ok;
        delete fetcher;
    });
    QTRY_VERIFY(watch.isNull());
    QVERIFY(ok);

    PageFetcher other;
    FetchResult result;
    QVERIFY(waitResult(other.FetchPage(m_local->url("/hop/0")), &result));
    QVERIFY(result.ok);
}

QTEST_GUILESS_MAIN(TestPageFetcher)
#include "tst_pagefetcher.moc"
