#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <memory>

#include "site-sim/sitesim.h"
#include "support/sitesimfixture.h"
#include "support/utf8.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray outBytes; // stdout as written
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
    r.outBytes = p.readAllStandardOutput();
    r.out = QString::fromUtf8(r.outBytes);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<sitesim::Server> m_sim;
    QStringList bases() const
    {
        return { QStringLiteral("--search-base"), q(m_sim->baseUrl()), QStringLiteral("--character-base"),
            q(m_sim->characterBase()), QStringLiteral("--status-url"), q(m_sim->statusUrl()) };
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
        QTest::newRow("encode abc") << QStringList { QStringLiteral("encode"), QStringLiteral("abc") }
                                    << QStringLiteral("%61%62%63\n");
        QTest::newRow("encode hangul and space") << QStringList { QStringLiteral("encode"),
            QStringLiteral("가 a") } << QStringLiteral("%EA%B0%80%20%61\n");
        QTest::newRow("encode tab") << QStringList { QStringLiteral("encode"), QStringLiteral("\t") }
                                    << QStringLiteral("%9\n");
        QTest::newRow("encode empty")
            << QStringList { QStringLiteral("encode"), QString() } << QStringLiteral("\n");
        QTest::newRow("version") << QStringList { QStringLiteral("--version") }
                                 << QStringLiteral("thornvale-cli " THORNVALE_VERSION "\n");
        QTest::newRow("url page 2, option after")
            << QStringList { QStringLiteral("url"), QStringLiteral("abc"), QStringLiteral("2"),
                   QStringLiteral("--search-base"), QStringLiteral("http://h.example") }
            << QStringLiteral("http://h.example/"
                              "search?keyword=%61%62%63&dt=characters&sf=score&st=desc&start=10&page=2\n");
        QTest::newRow("url page 11, option before")
            << QStringList { QStringLiteral("--search-base"), QStringLiteral("http://h.example"),
                   QStringLiteral("url"), QStringLiteral("abc"), QStringLiteral("11") }
            << QStringLiteral("http://h.example/"
                              "search?keyword=%61%62%63&dt=characters&sf=score&st=desc&start=100&page=11\n");
        QTest::newRow("url top page of 64 bits: start past them")
            << QStringList { QStringLiteral("--search-base"), QStringLiteral("http://h.example"),
                   QStringLiteral("url"), QStringLiteral("x"), QStringLiteral("9223372036854775807") }
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
        QTest::newRow("no command") << QStringList {};
        QTest::newRow("unknown command") << QStringList { QStringLiteral("frobnicate") };
        QTest::newRow("unknown option")
            << QStringList { QStringLiteral("status"), QStringLiteral("--frobnicate") };
        QTest::newRow("option without its value")
            << QStringList { QStringLiteral("status"), QStringLiteral("--status-url") };
        QTest::newRow("url without page") << QStringList { QStringLiteral("url"), QStringLiteral("abc") };
        QTest::newRow("url page not a number")
            << QStringList { QStringLiteral("url"), QStringLiteral("abc"), QStringLiteral("x") };
        QTest::newRow("url page 0") << QStringList { QStringLiteral("url"), QStringLiteral("x"),
            QStringLiteral("0") };
        QTest::newRow("next-from negative") << QStringList { QStringLiteral("search"), QStringLiteral("a"),
            QStringLiteral("--next-from"), QStringLiteral("-1") };
        QTest::newRow("next-from past the counter") << QStringList { QStringLiteral("search"),
            QStringLiteral("a"), QStringLiteral("--next-from"), QStringLiteral("2147483640") };
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    // --json and --next-from belong to the commands that take them; to any other command they
    // are a usage error naming both, and COMMAND --help lists only the command's own.
    void optionsBelongToCommands_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine"); // of stderr for an error, of stdout for help
        QTest::addColumn<QStringList>("listed"); // options the help lists; "-" + name: must not
        const auto row = [](const char *args, int code, const char *line, QStringList listed = {}) {
            QTest::newRow(args) << QString::fromUtf8(args) << code << QString::fromUtf8(line) << listed;
        };
        row("encode --json abc", 2, "encode takes no --json option");
        row("url abc 2 --next-from 5 --json", 2, "url takes no --json option");
        row("status --next-from 1", 2, "status takes no --next-from option");
        row("--next-from 1 detail x", 2, "detail takes no --next-from option");
        row("rank a b c --json", 2, "rank takes no --json option");
        row("encode --help", 0, "Usage: thornvale-cli [options] encode TEXT",
            { QStringLiteral("--status-url"), QStringLiteral("-json"), QStringLiteral("-next-from") });
        row("search --help", 0, "Usage: thornvale-cli [options] search NAME [--next-from M] [--json]",
            { QStringLiteral("--search-base"), QStringLiteral("--json"), QStringLiteral("--next-from") });
        row("--help rank", 0, "Usage: thornvale-cli [options] rank NICKNAME SERVER NAME [--next-from M]",
            { QStringLiteral("--next-from"), QStringLiteral("-json") });
    }
    void optionsBelongToCommands()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QFETCH(QStringList, listed);
        const Run r = cli(args.split(u' '));
        QCOMPARE(r.exitCode, exitCode);
        const QString shown = exitCode == 0 ? r.out : r.err;
        QCOMPARE(shown.section(u'\n', 0, 0), firstLine);
        if (exitCode != 0)
            QVERIFY(r.out.isEmpty());
        for (const QString &option : listed) {
            const bool absent = !option.startsWith(QLatin1String("--"));
            const QString name = absent ? QLatin1Char('-') + option : option;
            QVERIFY2(shown.contains(QStringLiteral("  ") + name + u' ') != absent, qPrintable(name));
        }
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
        QStringList args { QStringLiteral("search"), QStringLiteral("토른"), QStringLiteral("--json") };
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
            QCOMPARE(cells[1].toString(), q(c.name));
            QCOMPARE(cells[2].toString(), q(c.server));
            QCOMPARE(cells[3].toString(), QString::number(c.level));
            QCOMPARE(cells[4].toString(), q(c.job));
            QCOMPARE(cells[5].toString(), q(c.race));
            QCOMPARE(cells[6].toString(), q(m_sim->characterBase() + c.key));
        }
    }

    // A failing page is named on stderr and adds no rows; the others are read all the same.
    void failedPagesReported_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("cause");
        QTest::newRow("error status")
            << int(sitesim::Fault::ErrorStatus) << QStringLiteral("no heading marker");
        QTest::newRow("no heading") << int(sitesim::Fault::NoHeading) << QStringLiteral("no heading marker");
        QTest::newRow("closed mid-body")
            << int(sitesim::Fault::CloseMidBody) << QStringLiteral("fetch failed");
        QTest::newRow("oversized") << int(sitesim::Fault::Oversized) << QStringLiteral("fetch failed");
    }
    void failedPagesReported()
    {
        QFETCH(int, kind);
        QFETCH(QString, cause);
        m_sim->setFault(2, sitesim::Fault(kind));
        const Run r
            = cli(bases() << QStringLiteral("search") << QStringLiteral("토른") << QStringLiteral("--json"));
        QCOMPARE(r.exitCode, cause == u"fetch failed" ? 3 : 0);
        const QJsonArray rows
            = QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("rows")).toArray();
        QCOMPARE(rows.size(), 13); // pages 1 and 3; page 2's ten are missing, never page 1's again
        QCOMPARE(rows[10].toArray()[1].toString(), q(sitesim::Matches("토른")[20].name));
        const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(
            lines[0].startsWith(QStringLiteral("page 2: ")) && lines[0].contains(cause), qPrintable(r.err));
    }

    void tableOutput()
    {
        const Run r = cli(bases() << QStringLiteral("search") << QStringLiteral("검은달"));
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        QVERIFY(lines[0].startsWith(QStringLiteral("번")));
        QVERIFY2(QRegularExpression(QStringLiteral("^0 +검은달 ")).match(lines[1]).hasMatch(),
            qPrintable(lines[1]));
        QCOMPARE(lines.last(), QStringLiteral("1 characters, page counter 10"));
    }

    void rank()
    {
        const auto matches = sitesim::Matches("토른");
        const sitesim::Character &c = matches.back();
        const Run r
            = cli(bases() << QStringLiteral("rank") << q(c.name) << q(c.server) << QStringLiteral("토른"));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("%1번에 있습니다.\n").arg(matches.size() - 1));

        const Run none = cli(bases() << QStringLiteral("rank") << q(c.name) << QStringLiteral("없는서버")
                                     << QStringLiteral("토른"));
        QCOMPARE(none.exitCode, 1);
        QVERIFY(none.out.isEmpty());
    }

    void detailJson_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("25 items") << int(sitesim::kWith25Items);
        QTest::newRow("3 items, two sub spans") << int(sitesim::kWith3Items);
        QTest::newRow("no items, no title") << int(sitesim::kWithNoItems);
        QTest::newRow("no sub-line, no items") << int(sitesim::kWithoutSubLine);
        QTest::newRow("server without at sign") << int(sitesim::kServerWithoutAt);
        QTest::newRow("no class") << int(sitesim::kWithoutClass);
    }
    void detailJson()
    {
        QFETCH(int, index);
        const sitesim::Character &c = sitesim::Roster()[std::size_t(index)];
        const Run r
            = cli({ QStringLiteral("detail"), q(m_sim->characterBase() + c.key), QStringLiteral("--json") });
        QCOMPARE(r.exitCode, 0);
        const QJsonObject d = QJsonDocument::fromJson(r.out.toUtf8()).object();
        const QJsonArray items = d.value(QStringLiteral("items")).toArray();
        QCOMPARE(items.size(), qsizetype(c.items.size()));
        for (int k = 0; k < items.size(); ++k) {
            QCOMPARE(items[k].toObject().value(QStringLiteral("name")).toString(),
                q(c.items[std::size_t(k)].name));
            QCOMPARE(items[k].toObject().value(QStringLiteral("grade")).toString(),
                q(c.items[std::size_t(k)].grade));
        }
        QCOMPARE(d.value(QStringLiteral("title")).isNull(), !c.hasTitle);
        if (c.hasTitle)
            QCOMPARE(d.value(QStringLiteral("title")).toString(), q(c.title));
        QCOMPARE(d.value(QStringLiteral("server")).isNull(), !c.serverWithAt);
        QCOMPARE(d.value(QStringLiteral("job")).isNull(), !c.hasClass);
        const QJsonArray sub = d.value(QStringLiteral("subParts")).toArray();
        QCOMPARE(sub.size(), 3);
        for (int j = 0; j < 3; ++j)
            QCOMPARE(
                sub[j].toString(), j < int(c.subParts.size()) ? q(c.subParts[std::size_t(j)]) : QString());
    }

    // One line per failed page, naming its address once, whatever the fetcher's own reason says.
    void failedPageNamesItsAddressOnce()
    {
        const Run r = cli({ QStringLiteral("search"), QStringLiteral("a"), QStringLiteral("--search-base"),
            QStringLiteral("ftp://h.example") });
        QCOMPARE(r.exitCode, 3);
        const QStringList lines = r.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 10);
        for (const QString &line : lines)
            QCOMPARE(line.count(QStringLiteral("ftp://h.example/search")), 1);
    }

    void status_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::newRow("open") << QStringLiteral("1//공지") << 0 << QStringLiteral("open\n");
        QTest::newRow("closed") << QStringLiteral("0//1") << 1 << QStringLiteral("closed\n");
        QTest::newRow("not a number") << QStringLiteral("abc") << 3 << QStringLiteral("unknown: ");
        QTest::newRow("empty") << QString() << 3 << QStringLiteral("unknown: ");
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

    // Each command's exit code by cause: everything read, some pages failed, every page failed, a
    // usage error. "@" stands for site-sim's address, "!" for an address that refuses connections.
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("faultPage"); // a page closed mid-body; -1 for none
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("printsNothing");
        const QString name = QStringLiteral("토른");
        const QString nick = q(sitesim::Matches("토른")[0].name);
        const QString server = q(sitesim::Matches("토른")[0].server);
        const QString page = QStringLiteral("@/characters/c0001");
        auto row = [](const char *tag, QStringList args, int fault, int code, bool nothing) {
            QTest::newRow(tag) << args << fault << code << nothing;
        };
        row("search: all read", { QStringLiteral("search"), name }, -1, 0, false);
        row("search: no rows", { QStringLiteral("search"), QStringLiteral("없는이름") }, -1, 0, false);
        row("search: one page failed", { QStringLiteral("search"), name }, 2, 3, false);
        row("search: every page failed",
            { QStringLiteral("search"), name, QStringLiteral("--search-base"), QStringLiteral("!") }, -1, 3,
            false);
        row("search: usage", { QStringLiteral("search") }, -1, 2, true);
        row("rank: found", { QStringLiteral("rank"), nick, server, name }, -1, 0, false);
        row("rank: nowhere", { QStringLiteral("rank"), nick, QStringLiteral("없는서버"), name }, -1, 1, true);
        row("rank: one page failed", { QStringLiteral("rank"), nick, server, name }, 2, 3, false);
        row("rank: every page failed",
            { QStringLiteral("rank"), nick, server, name, QStringLiteral("--search-base"),
                QStringLiteral("!") },
            -1, 3, true);
        row("rank: usage", { QStringLiteral("rank"), nick, server }, -1, 2, true);
        row("detail: read", { QStringLiteral("detail"), page, QStringLiteral("--json") }, -1, 0, false);
        row("detail: failed, json", { QStringLiteral("detail"), page, QStringLiteral("--json") }, 0, 3, true);
        row("detail: failed, table", { QStringLiteral("detail"), QStringLiteral("!/characters/c0001") }, -1,
            3, true);
        row("detail: usage", { QStringLiteral("detail") }, -1, 2, true);
        row("status: open", { QStringLiteral("status") }, -1, 0, false);
        row("status: unreachable",
            { QStringLiteral("status"), QStringLiteral("--status-url"), QStringLiteral("!/status") }, -1, 3,
            false);
        row("status: usage", { QStringLiteral("status"), QStringLiteral("extra") }, -1, 2, true);
    }
    void exitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(int, faultPage);
        QFETCH(int, exitCode);
        QFETCH(bool, printsNothing);
        if (faultPage >= 0)
            m_sim->setFault(faultPage, sitesim::Fault::CloseMidBody);
        for (QString &arg : args) {
            if (arg.startsWith(u'@'))
                arg.replace(0, 1, q(m_sim->baseUrl()));
            else if (arg.startsWith(u'!'))
                arg.replace(0, 1, QStringLiteral("http://127.0.0.1:1"));
        }
        const Run r = cli(bases() + args);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.out.isEmpty(), printsNothing);
    }

    // A nickname written to take over the terminal arrives as visible escapes; a long one is
    // written whole without widening its column; rows past 1000 a page are dropped and counted.
    void hostilePageCannotDriveTheTerminal()
    {
        const Run r = cli({ QStringLiteral("search"), QStringLiteral("악당"), QStringLiteral("--search-base"),
            q(m_sim->baseUrl() + "/hostile") });
        QCOMPARE(r.exitCode, 0);
        for (const QChar c : r.out + r.err)
            QVERIFY2(c == u'\n' || !(c < u' ' || (c >= u'\x7f' && c <= u'\x9f') || c == u'\u202e'),
                qPrintable(QString::number(c.unicode(), 16)));
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.size(), 1005); // header, 2 + 1000 rows, the count, the final newline
        // Both nicknames are wider than a column may grow: each is followed by the gap alone.
        QVERIFY2(lines[1].startsWith(
                     QStringLiteral("0     \\x1b]0;토른악당\\x07\\x1b[2J\\x0d토른악당\\u202e  가시골 ")),
            qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith(QStringLiteral("1     ") + QString(30, u'x')
                     + QStringLiteral("가시골짜기이슬을모으는자  이슬언덕 ")),
            qPrintable(lines[2]));
        QVERIFY2(
            r.err.contains(QStringLiteral("page 2: 5 rows past the first 1000 dropped")), qPrintable(r.err));
    }

    // Servers that answer with more than a character: every field runs to the end of a 15.5 MiB
    // page, or a character's page comes under an error status.
    void hostileServers_data()
    {
        QTest::addColumn<QStringList>("args"); // "@" stands for site-sim's base address
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("maxOut"); // bytes on stdout at most
        QTest::addColumn<QString>("err"); // what stderr ends with
        // Pages of 1 MiB: the bounds work alike at any size, and ten pages at the cap are for the
        // benchmarks (bench/ui-figures.sh), not for a test under the sanitizers.
        QTest::newRow("amplifying search: bounded rows, cuts counted")
            << QStringList { QStringLiteral("search"), QStringLiteral("가"), QStringLiteral("--search-base"),
                   QStringLiteral("@/hostile/amplify/kib/1024") }
            << 0 << 32 * 1024
            << QStringLiteral(
                   "page 10: 3 fields cut to 256 characters (@/hostile/amplify/kib/1024/search?"
                   "keyword=%EA%B0%80&dt=characters&sf=score&st=desc&start=90&page=10)\n"
                   "page 10: 1 character addresses longer than 4096 characters dropped "
                   "(@/hostile/amplify/kib/1024/search?keyword=%EA%B0%80&dt=characters&sf=score&st=desc"
                   "&start=90&page=10)\n");
        QTest::newRow("amplifying character page")
            << QStringList { QStringLiteral("detail"), QStringLiteral("@/hostile/amplify/character") } << 0
            << 4096
            << QStringLiteral("detail: 5 fields cut to 256 characters (@/hostile/amplify/character)\n");
        for (const int status : { 401, 404, 503 })
            QTest::addRow("character page under %d", status)
                << QStringList { QStringLiteral("detail"),
                       QStringLiteral("@/hostile/character/error?status=%1").arg(status) }
                << 3 << 0
                << QStringLiteral("detail: fetch failed: 서버가 오류로 답했습니다 (HTTP %1). "
                                  "(@/hostile/character/error?status=%1)\n")
                       .arg(status);
    }

    void hostileServers()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(int, maxOut);
        QFETCH(QString, err);
        for (QString &arg : args)
            arg.replace(u'@', q(m_sim->baseUrl()));
        err.replace(u'@', q(m_sim->baseUrl()));
        const Run r = cli(bases() + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.outBytes.size() <= maxOut, qPrintable(QString::number(r.outBytes.size())));
        QVERIFY2(r.err.endsWith(err), qPrintable(r.err.right(600)));
    }

    // A page in UTF-16 may hold a lone surrogate; JSON carries U+FFFD for it, which every reader
    // takes, where "\ud800" would be refused.
    void jsonHasNoLoneSurrogates()
    {
        const Run r
            = cli(bases() << QStringLiteral("search") << QStringLiteral("반쪽") << QStringLiteral("--json")
                          << QStringLiteral("--search-base") << q(m_sim->baseUrl() + "/hostile/utf16"));
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.outBytes.contains("\\ud800"), r.outBytes.left(300).constData());
        const QJsonArray rows
            = QJsonDocument::fromJson(r.outBytes).object().value(QStringLiteral("rows")).toArray();
        QCOMPARE(rows.size(), 10);
        QCOMPARE(rows.at(0).toArray().at(1).toString(), QStringLiteral("반쪽\uFFFD"));
    }

    // URLEncode writes a tab as "%9"; the site still receives the tab.
    void controlCharacterInNameReachesTheSite()
    {
        const Run r = cli(bases() << QStringLiteral("search") << QStringLiteral("a\tb"));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(m_sim->lastKeyword(), std::string("a\tb"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
