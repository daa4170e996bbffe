#include "search/resultpage.h"
#include "search/urlencode.h"
#include "site-sim/sitesim.h"

#include <QStringDecoder>

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <set>

namespace {

using sitesim::Charset;
using sitesim::Fault;

constexpr std::string_view kHeading = "</strong>' 캐릭터 검색결과</h4>";
constexpr std::string_view kNextLink = "class=\"ico_comm next\"></i></span></a>";
constexpr std::string_view kLevel = "<span class=\"level\">";

std::size_t occurrences(std::string_view text, std::string_view marker)
{
    std::size_t count = 0;
    for (auto at = text.find(marker); at != std::string_view::npos;
         at = text.find(marker, at + marker.size()))
        ++count;
    return count;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

// EUC-KR back to UTF-8 by another converter than the server's; nullopt when the bytes are not EUC-KR.
std::optional<std::string> fromEucKr(const std::string &bytes)
{
    QStringDecoder decoder("EUC-KR", QStringDecoder::Flag::Stateless);
    const QString text = decoder(QByteArrayView(bytes));
    if (!decoder.isValid() || decoder.hasError())
        return std::nullopt;
    return text.toStdString();
}

// The address the program asks for page `page` of a search.
std::string searchPath(const std::string &keyword, int page)
{
    using namespace thornvale;
    return ToUtf8(BuildSearchUrl(u"/search?keyword=", FromUtf8(keyword), page));
}

TEST(Roster, IsDeterministicWithUniqueNamesAndKeys)
{
    const auto &roster = sitesim::Roster();
    ASSERT_GE(roster.size(), 130u);
    std::set<std::string> names, keys;
    for (const auto &c : roster) {
        names.insert(c.name);
        keys.insert(c.key);
        EXPECT_GE(c.level, 1);
        EXPECT_LE(c.level, 70);
        EXPECT_EQ(sitesim::FindCharacter(c.key), &c) << c.key;
    }
    EXPECT_EQ(names.size(), roster.size());
    EXPECT_EQ(keys.size(), roster.size());
    EXPECT_EQ(sitesim::Matches("토른").size(), 23u);
    EXPECT_EQ(sitesim::Matches("").size(), roster.size());
    ASSERT_EQ(sitesim::Matches("검은달").size(), 1u);
    EXPECT_EQ(sitesim::FindCharacter("no-such-key"), nullptr);
}

TEST(Roster, CoversEveryShapeOfCharacterPage)
{
    const auto &roster = sitesim::Roster();
    EXPECT_EQ(roster[sitesim::kWith25Items].items.size(), 25u);
    EXPECT_EQ(roster[sitesim::kWith12Items].items.size(), 12u);
    EXPECT_EQ(roster[sitesim::kWith5Items].items.size(), 5u);
    EXPECT_EQ(roster[sitesim::kWith3Items].items.size(), 3u);
    EXPECT_EQ(roster[sitesim::kWithNoItems].items.size(), 0u);

    std::set<std::string> grades;
    for (const auto &item : roster[sitesim::kWith25Items].items)
        grades.insert(item.grade);
    EXPECT_EQ(grades.size(), sitesim::Grades().size());

    const auto any = [&](auto predicate) { return std::any_of(roster.begin(), roster.end(), predicate); };
    EXPECT_TRUE(any([](const auto &c) { return !c.hasTitle; }));
    EXPECT_TRUE(any([](const auto &c) { return !c.serverWithAt; }));
    EXPECT_TRUE(any([](const auto &c) { return !c.hasClass; }));
    for (std::size_t parts : { 0u, 2u, 3u })
        EXPECT_TRUE(any([&](const auto &c) { return c.subParts.size() == parts; })) << parts;
}

// Every text of the roster must survive EUC-KR; a syllable outside KS X 1001 would turn into a
// numeric reference and break the EUC-KR runs.
TEST(Roster, AllTextsEncodeInEucKr)
{
    for (const auto &c : sitesim::Roster()) {
        const std::string page = sitesim::CharacterPageHtml(c);
        const std::string encoded = sitesim::ToEucKr(page);
        EXPECT_FALSE(contains(encoded, "&#")) << c.name;
        EXPECT_EQ(fromEucKr(encoded), page) << c.name;
    }
    EXPECT_EQ(sitesim::ToEucKr("가😀"), sitesim::ToEucKr("가") + "&#128512;");
    EXPECT_EQ(sitesim::ToEucKr("a\xEA\xB0z"), "a?z"); // a sequence cut short is one "?", no reference
}

class SiteSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        sitesim::Options options;
        options.hangFor = std::chrono::seconds(30);
        m_server = std::make_unique<sitesim::Server>(options);
        ASSERT_TRUE(m_server->start());
        ASSERT_GT(m_server->port(), 0);
    }

    void TearDown() override { m_server->stop(); }

    httplib::Client client() const
    {
        httplib::Client c("127.0.0.1", m_server->port());
        c.set_keep_alive(true);
        return c;
    }

    httplib::Result get(const std::string &path) const { return client().Get(path); }

    std::unique_ptr<sitesim::Server> m_server;
};

struct PageCase {
    const char *name;
    std::string keyword;
    int page;
    std::size_t rows;
    bool nextLink;
};

class SearchPages : public SiteSim, public ::testing::WithParamInterface<PageCase> { };

TEST_P(SearchPages, RowsAndNextLinkFollowTheResults)
{
    const PageCase &c = GetParam();
    const auto res = get(searchPath(c.keyword, c.page));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(occurrences(res->body, kHeading), 1u);
    EXPECT_EQ(occurrences(res->body, kLevel), c.rows);
    EXPECT_EQ(contains(res->body, kNextLink), c.nextLink);

    // Each anchor carries the base and key of the result in its place.
    const auto found = sitesim::Matches(c.keyword);
    for (std::size_t r = 0; r < c.rows; ++r) {
        const auto &character = found[(c.page - 1) * 10 + r];
        EXPECT_TRUE(
            contains(res->body, "<a href=\"" + m_server->characterBase() + character.key + "\" class="))
            << character.key;
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, SearchPages,
    ::testing::Values(PageCase { "first_of_three", "토른", 1, 10, true },
        PageCase { "middle", "토른", 2, 10, true }, PageCase { "short_last_page", "토른", 3, 3, false },
        PageCase { "past_the_end", "토른", 4, 0, false }, PageCase { "single_hit", "검은달", 1, 1, false },
        PageCase { "no_hit", "zzz", 1, 0, false }, PageCase { "empty_keyword_last", "", 14, 7, false },
        PageCase { "empty_keyword_page13", "", 13, 10, true }),
    [](const ::testing::TestParamInfo<PageCase> &row) { return std::string(row.param.name); });

TEST_F(SiteSim, KeywordRoundTripsIntoTheHeading)
{
    const std::pair<std::string, std::string> cases[] = {
        { "a b", "'<strong>a b</strong>'" },
        { "a+b", "'<strong>a+b</strong>'" },
        { "<b>&", "'<strong>&lt;b&gt;&amp;</strong>'" },
        { "가", "'<strong>가</strong>'" },
    };
    for (const auto &[keyword, heading] : cases) {
        const auto res = get(searchPath(keyword, 1));
        ASSERT_TRUE(res);
        EXPECT_TRUE(contains(res->body, heading)) << keyword;
    }
}

TEST_F(SiteSim, CharacterPagesMatchTheRoster)
{
    auto http = client();
    for (const auto &c : sitesim::Roster()) {
        const auto res = http.Get("/characters/" + c.key);
        ASSERT_TRUE(res) << c.key;
        ASSERT_EQ(res->status, 200) << c.key;
        const std::string &body = res->body;
        EXPECT_EQ(occurrences(body, "<div class=\"wrap\">"), c.items.size()) << c.key;
        EXPECT_EQ(contains(body, "\"character_title\">" + c.title + "</span>"), c.hasTitle) << c.key;
        EXPECT_EQ(contains(body, "character_server\">@" + c.server + "</span>"), c.serverWithAt) << c.key;
        EXPECT_EQ(contains(body, "character_sub\">"), !c.subParts.empty()) << c.key;
        EXPECT_EQ(occurrences(body, "<span>"), c.subParts.size()) << c.key;
        EXPECT_EQ(contains(body, "skills\"><strong>" + c.job + "</strong"), c.hasClass) << c.key;
        if (!c.items.empty()) {
            EXPECT_TRUE(contains(body, "등급\">" + c.items.back().grade + "</span>")) << c.key;
        }
    }
    const auto missing = http.Get("/characters/c9999");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_TRUE(contains(missing->body, "페이지를 찾을 수 없습니다"));
}

TEST_F(SiteSim, EucKrPagesAreReallyEncoded)
{
    m_server->setCharset(Charset::EucKr);
    const auto res = get(searchPath("토른", 1));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=euc-kr");
    const auto decoded = fromEucKr(res->body);
    ASSERT_TRUE(decoded);
    EXPECT_NE(*decoded, res->body);
    EXPECT_TRUE(contains(*decoded, kHeading));
    EXPECT_TRUE(contains(*decoded, "<meta charset=\"euc-kr\">"));
    EXPECT_EQ(occurrences(*decoded, kLevel), 10u);

    m_server->setCharset(Charset::EucKr, false);
    const auto bare = get("/characters/" + sitesim::Roster()[0].key);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->get_header_value("Content-Type"), "text/html");
    EXPECT_TRUE(fromEucKr(bare->body).has_value());
}

TEST_F(SiteSim, FaultsAreObservable)
{
    m_server->setFault(2, Fault::ErrorStatus);
    m_server->setFault(3, Fault::NoHeading);
    m_server->setFault(4, Fault::CloseMidBody);
    m_server->setFault(5, Fault::Oversized);

    const auto healthy = get(searchPath("", 1));
    ASSERT_TRUE(healthy);
    EXPECT_TRUE(contains(healthy->body, kHeading));

    const auto error = get(searchPath("", 2));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->status, 500);
    EXPECT_EQ(error->body, "<html><body><h1>500 Internal Server Error</h1></body></html>");

    const auto headless = get(searchPath("", 3));
    ASSERT_TRUE(headless);
    EXPECT_EQ(headless->status, 200);
    EXPECT_FALSE(contains(headless->body, kHeading));
    EXPECT_EQ(occurrences(headless->body, kLevel), 10u);

    // Part of the announced body arrives, then the connection drops.
    std::size_t received = 0;
    const auto cut = client().Get(searchPath("", 4), [&](const char *, std::size_t length) {
        received += length;
        return true;
    });
    EXPECT_FALSE(cut);
    EXPECT_EQ(cut.error(), httplib::Error::Read);
    EXPECT_GT(received, 0u);
    EXPECT_LT(received, sitesim::SearchPageHtml("", 4, m_server->characterBase()).size());

    const auto oversized = get(searchPath("", 5));
    ASSERT_TRUE(oversized);
    EXPECT_EQ(oversized->body.size(), 17u * 1024 * 1024);
    EXPECT_TRUE(contains(oversized->body, kHeading));

    m_server->setFault(0, Fault::ErrorStatus);
    const auto everywhere = get("/status");
    ASSERT_TRUE(everywhere);
    EXPECT_EQ(everywhere->status, 500);
    m_server->clearFaults();
    EXPECT_EQ(get("/status")->status, 200);
}

// stop() must come back while a request hangs and a keep-alive connection sits idle, and not
// only once the hang (30 s here) or the wait for the idle connection's next request (site-sim's
// keep-alive time-out, 30 s) has run out.
TEST_F(SiteSim, HangOutlastsTheClientAndStopStillReturns)
{
    auto idle = client();
    ASSERT_TRUE(idle.Get("/status"));
    m_server->setFault(1, Fault::Hang);
    auto waiting = client();
    waiting.set_read_timeout(1, 0);
    const auto hung = waiting.Get(searchPath("토른", 1));
    EXPECT_FALSE(hung);
    EXPECT_EQ(hung.error(), httplib::Error::Read);
    const auto stopping = std::chrono::steady_clock::now();
    m_server->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(5));
    EXPECT_FALSE(idle.Get("/status"));
}

TEST_F(SiteSim, CountsConnectionsNotRequests)
{
    auto first = client();
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(first.Get(searchPath("토른", i % 3 + 1)));
    EXPECT_EQ(m_server->connectionsAccepted(), 1u);
    EXPECT_EQ(m_server->requestsServed(), 12u);

    auto second = client();
    ASSERT_TRUE(second.Get("/status"));
    ASSERT_TRUE(first.Get("/status"));
    EXPECT_EQ(m_server->connectionsAccepted(), 2u);

    m_server->resetCounters();
    EXPECT_EQ(m_server->connectionsAccepted(), 0u);
    EXPECT_EQ(m_server->requestsServed(), 0u);
}

TEST_F(SiteSim, StatusBodyFollowsTheSetting)
{
    auto res = get("/status");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, "1//thornvale");
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/plain; charset=utf-8");
    m_server->setStatusBody("0//closed");
    EXPECT_EQ(get("/status")->body, "0//closed");
}

TEST_F(SiteSim, MusicPagesPlayAndOpenTheirPopups)
{
    const std::tuple<std::string, std::string, std::size_t> cases[] = {
        { "/music1", "/popup?id=1'", 1 },
        { "/music2", "/popup?id=2&close=3000'", 1 },
        { "/music3", "", 0 },
        { "/popuptest?count=3&closeFirst=500", "/popup?id=1&close=500'", 3 },
    };
    for (const auto &[path, popup, opened] : cases) {
        const auto res = get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(occurrences(res->body, "window.open("), opened) << path;
        if (!popup.empty()) {
            EXPECT_TRUE(contains(res->body, popup)) << path;
        }
    }
    EXPECT_TRUE(contains(get("/popup?id=7&close=100")->body, "팝업 7"));
    EXPECT_TRUE(contains(get("/popup?id=7&close=100")->body, "window.close();}, 100)"));

    const auto wav = get("/audio/2.wav");
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->get_header_value("Content-Type"), "audio/wav");
    EXPECT_EQ(wav->body.substr(0, 4), "RIFF");
    EXPECT_EQ(wav->body.size(), 44u + 2 * 22050);
    EXPECT_EQ(get("/pds/index.php?a=down&file_name=tool.exe&file_saved=1")->body, "download stub tool.exe");
}

} // namespace
