#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <memory>

#include "site-sim/sitesim.h"
#include "support/sitesimfixture.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(THORNVALE_CLI), args);
    Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString u8(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<sitesim::Server> m_sim;
    QStringList bases() const
    {
        return {QStringLiteral("--search-base"), u8(m_sim->baseUrl()), QStringLiteral("--character-base"),
                u8(m_sim->characterBase()), QStringLiteral("--status-url"), u8(m_sim->statusUrl())};
    }
    QJsonObject searchJson(const QStringList &args)
    {
        const Run r = cli(args);
        if (r.exitCode != 0)
            return {};
        return QJsonDocument::fromJson(r.out.toUtf8()).object();
    }

private Q_SLOTS:
    void init()
    {
        m_sim = thornvale::test::StartSiteSim();
        QVERIFY(m_sim);
    }
    void cleanup() { m_sim.reset(); }

    void offline_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("encode abc") << QStringList{QStringLiteral("encode"), QStringLiteral("abc")}
                                    << QStringLiteral("%61%62%63\n");
        QTest::newRow("encode hangul and space") << QStringList{QStringLiteral("encode"), QStringLiteral("가 a")}
                                                 << QStringLiteral("%EA%B0%80%20%61\n");
        QTest::newRow("encode tab") << QStringList{QStringLiteral("encode"), QStringLiteral("\t")}
                                    << QStringLiteral("%9\n");
        QTest::newRow("encode empty") << QStringList{QStringLiteral("encode"), QString()} << QStringLiteral("\n");
        QTest::newRow("version") << QStringList{QStringLiteral("--version")}
                                 << QStringLiteral("thornvale-cli " THORNVALE_VERSION "\n");
        QTest::newRow("url page 2, option after")
            << QStringList{QStringLiteral("url"), QStringLiteral("abc"), QStringLiteral("2"),
                           QStringLiteral("--search-base"), QStringLiteral("http://h.example")}
            << QStringLiteral("http://h.example/search?keyword=%61%62%63&dt=characters&sf=score&st=desc&start=10&page=2\n");
        QTest::newRow("url page 11, option before")
            << QStringList{QStringLiteral("--search-base"), QStringLiteral("http://h.example"), QStringLiteral("url"),
                           QStringLiteral("abc"), QStringLiteral("11")}
            << QStringLiteral("http://h.example/search?keyword=%61%62%63&dt=characters&sf=score&st=desc&start=100&page=11\n");
        QTest::newRow("url top page of 64 bits: start past them")
            << QStringList{QStringLiteral("--search-base"), QStringLiteral("http://h.example"), QStringLiteral("url"),
                           QStringLiteral("x"), QStringLiteral("9223372036854775807")}
            << QStringLiteral("http://h.example/search?keyword=%78&dt=characters&sf=score&st=desc"
                              "&start=92233720368547758060&page=9223372036854775807\n");
    }
    void offline()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, out);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("status"), QStringLiteral("--frobnicate")};
        QTest::newRow("option without its value") << QStringList{QStringLiteral("status"), QStringLiteral("--status-url")};
        QTest::newRow("url without page") << QStringList{QStringLiteral("url"), QStringLiteral("abc")};
        QTest::newRow("url page not a number")
            << QStringList{QStringLiteral("url"), QStringLiteral("abc"), QStringLiteral("x")};
        QTest::newRow("url page 0") << QStringList{QStringLiteral("url"), QStringLiteral("x"), QStringLiteral("0")};
        QTest::newRow("next-from negative")
            << QStringList{QStringLiteral("search"), QStringLiteral("a"), QStringLiteral("--next-from"),
                           QStringLiteral("-1")};
        QTest::newRow("next-from past the counter")
            << QStringList{QStringLiteral("search"), QStringLiteral("a"), QStringLiteral("--next-from"),
                           QStringLiteral("2147483640")};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    // The rows of a run are the roster's matches, numbered from 0 across the pages.
    void searchJsonMatchesRoster_data()
    {
        QTest::addColumn<bool>("eucKr");
        QTest::addColumn<int>("nextFrom"); // -1: the Enter search
        QTest::newRow("utf-8") << false << -1;
        QTest::newRow("euc-kr") << true << -1;
        QTest::newRow("next pages straight after load") << false << 1;
        QTest::newRow("next pages past the results") << false << 20;
    }
    void searchJsonMatchesRoster()
    {
        QFETCH(bool, eucKr);
        QFETCH(int, nextFrom);
        if (eucKr)
            m_sim->setCharset(sitesim::Charset::EucKr);
        QStringList args{QStringLiteral("search"), QStringLiteral("토른"), QStringLiteral("--json")};
        if (nextFrom >= 0)
            args << QStringLiteral("--next-from") << QString::number(nextFrom);
        const QJsonObject root = searchJson(bases() + args);

        const auto matches = sitesim::Matches("토른");
        const int skip = nextFrom < 0 ? 0 : nextFrom * 10;
        const int expectedRows = std::max(0, int(matches.size()) - skip);
        QCOMPARE(root.value(QStringLiteral("pageCounter")).toInt(), (nextFrom < 0 ? 0 : nextFrom) + 10);
        const QJsonArray rows = root.value(QStringLiteral("rows")).toArray();
        QCOMPARE(rows.size(), expectedRows);
        for (int i = 0; i < rows.size(); ++i) {
            const QJsonArray cells = rows[i].toArray();
            const sitesim::Character &c = matches[std::size_t(skip + i)];
            QCOMPARE(cells.size(), 7);
            QCOMPARE(cells[0].toString(), QString::number(i));
            QCOMPARE(cells[1].toString(), u8(c.name));
            QCOMPARE(cells[2].toString(), u8(c.server));
            QCOMPARE(cells[3].toString(), QString::number(c.level));
            QCOMPARE(cells[4].toString(), u8(c.job));
            QCOMPARE(cells[5].toString(), u8(c.race));
            QCOMPARE(cells[6].toString(), u8(m_sim->characterBase() + c.key));
        }
    }

    // A failing page is named on stderr, adds no rows, and the run still answers with exit 0.
    void failedPagesReported_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("cause");
        QTest::newRow("error status") << int(sitesim::Fault::ErrorStatus) << QStringLiteral("no heading marker");
        QTest::newRow("no heading") << int(sitesim::Fault::NoHeading) << QStringLiteral("no heading marker");
        QTest::newRow("closed mid-body") << int(sitesim::Fault::CloseMidBody) << QStringLiteral("fetch failed");
        QTest::newRow("oversized") << int(sitesim::Fault::Oversized) << QStringLiteral("fetch failed");
    }
    void failedPagesReported()
    {
        QFETCH(int, kind);
        QFETCH(QString, cause);
        m_sim->setFault(2, sitesim::Fault(kind));
        const Run r = cli(bases() << QStringLiteral("search") << QStringLiteral("토른") << QStringLiteral("--json"));
        QCOMPARE(r.exitCode, 0);
        const QJsonArray rows = QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("rows")).toArray();
        QCOMPARE(rows.size(), 13); // pages 1 and 3; page 2's ten are missing, never page 1's again
        QCOMPARE(rows[10].toArray()[1].toString(), u8(sitesim::Matches("토른")[20].name));
        const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("page 2: ")) && lines[0].contains(cause), qPrintable(r.err));
    }

    void tableOutput()
    {
        const Run r = cli(bases() << QStringLiteral("search") << QStringLiteral("검은달"));
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines[0].startsWith(QStringLiteral("번")));
        QVERIFY2(QRegularExpression(QStringLiteral("^0 +검은달 ")).match(lines[1]).hasMatch(), qPrintable(lines[1]));
        QCOMPARE(lines.last(), QStringLiteral("1 characters, page counter 10"));
    }

    void rank()
    {
        const auto matches = sitesim::Matches("토른");
        const sitesim::Character &c = matches.back();
        const Run r = cli(bases() << QStringLiteral("rank") << u8(c.name) << u8(c.server) << QStringLiteral("토른"));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("%1번에 있습니다.\n").arg(matches.size() - 1));

        const Run none = cli(bases() << QStringLiteral("rank") << u8(c.name) << QStringLiteral("없는서버")
                                     << QStringLiteral("토른"));
        QCOMPARE(none.exitCode, 0);
        QVERIFY(none.out.isEmpty());
    }

    void detailJson_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("25 items") << int(sitesim::kWith25Items);
        QTest::newRow("3 items, two sub spans") << int(sitesim::kWith3Items);
        QTest::newRow("no items, no title") << int(sitesim::kWithNoItems);
        QTest::newRow("no sub-line, no items") << 7;
        QTest::newRow("server without at sign") << 6;
        QTest::newRow("no class") << 8;
    }
    void detailJson()
    {
        QFETCH(int, index);
        const sitesim::Character &c = sitesim::Roster()[std::size_t(index)];
        const Run r = cli({QStringLiteral("detail"), u8(m_sim->characterBase() + c.key), QStringLiteral("--json")});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject d = QJsonDocument::fromJson(r.out.toUtf8()).object();
        const QJsonArray items = d.value(QStringLiteral("items")).toArray();
        QCOMPARE(items.size(), qsizetype(c.items.size()));
        for (int k = 0; k < items.size(); ++k) {
            QCOMPARE(items[k].toObject().value(QStringLiteral("name")).toString(), u8(c.items[std::size_t(k)].name));
            QCOMPARE(items[k].toObject().value(QStringLiteral("grade")).toString(), u8(c.items[std::size_t(k)].grade));
        }
        QCOMPARE(d.value(QStringLiteral("title")).isNull(), !c.hasTitle);
        if (c.hasTitle)
            QCOMPARE(d.value(QStringLiteral("title")).toString(), u8(c.title));
        QCOMPARE(d.value(QStringLiteral("server")).isNull(), !c.serverWithAt);
        QCOMPARE(d.value(QStringLiteral("job")).isNull(), !c.hasClass);
        const QJsonArray sub = d.value(QStringLiteral("subParts")).toArray();
        QCOMPARE(sub.size(), 3);
        for (int j = 0; j < 3; ++j)
            QCOMPARE(sub[j].toString(), j < int(c.subParts.size()) ? u8(c.subParts[std::size_t(j)]) : QString());
    }

    // One line per failed page, naming its address once, whatever the fetcher's own reason says.
    void failedPageNamesItsAddressOnce()
    {
        const Run r = cli({QStringLiteral("search"), QStringLiteral("a"), QStringLiteral("--search-base"),
                           QStringLiteral("ftp://h.example")});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 10);
        for (const QString &line : lines)
            QCOMPARE(line.count(QStringLiteral("ftp://h.example/search")), 1);
    }

    void detailFetchFailure()
    {
        m_sim->setFault(0, sitesim::Fault::CloseMidBody);
        const Run r = cli({QStringLiteral("detail"), u8(m_sim->characterBase() + "c0000"), QStringLiteral("--json")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QStringLiteral("fetch failed")));
        const QJsonObject d = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QVERIFY(d.value(QStringLiteral("title")).isNull());
        QCOMPARE(d.value(QStringLiteral("items")).toArray().size(), 0);
    }

    void status_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::newRow("open") << QStringLiteral("1//공지") << 0 << QStringLiteral("open\n");
        QTest::newRow("closed") << QStringLiteral("0//1") << 1 << QStringLiteral("closed\n");
        QTest::newRow("not a number") << QStringLiteral("abc") << 2 << QStringLiteral("unknown: ");
        QTest::newRow("empty") << QString() << 2 << QStringLiteral("unknown: ");
    }
    void status()
    {
        QFETCH(QString, body);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        m_sim->setStatusBody(body.toStdString());
        const Run r = cli(bases() << QStringLiteral("status"));
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.out.startsWith(out), qPrintable(r.out));
    }

    void statusUnreachable()
    {
        const Run r = cli({QStringLiteral("status"), QStringLiteral("--status-url"), QStringLiteral("http://127.0.0.1:1/status")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.startsWith(QStringLiteral("unknown: ")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
