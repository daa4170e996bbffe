#include "search/characterpage.h"
#include "search/urlencode.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>

namespace thornvale {

// Readable failure output: the texts as UTF-8, absent fields as "absent".
static std::string Show(const std::optional<std::u16string> &text)
{
    return text ? '"' + ToUtf8(*text) + '"' : std::string("absent");
}

void PrintTo(const EquipmentEntry &entry, std::ostream *os)
{
    *os << '{' << Show(entry.name) << ", " << Show(entry.grade) << '}';
}

void PrintTo(const CharacterDetail &detail, std::ostream *os)
{
    *os << "{items=[";
    for (const EquipmentEntry &entry : detail.items)
        PrintTo(entry, os);
    *os << "] title=" << Show(detail.title) << " server=" << Show(detail.server) << " sub=\""
        << ToUtf8(JoinSubParts(detail.subParts)) << "\" job=" << Show(detail.job) << '}';
}

} // namespace thornvale

namespace {

using std::nullopt;
using thornvale::CharacterDetail;
using thornvale::EquipmentEntry;
using thornvale::FromUtf8;
using thornvale::ParseCharacterPage;
using thornvale::test::ReadTestData;

std::u16string InRegion(const std::u16string &body)
{
    return u"<html><body><header>menu</header><div class=\"wrapper\">" + body
        + u"</div><footer id=\"footer\">copyright</footer></body></html>";
}

std::u16string Item(const std::u16string &name, const std::u16string &grade)
{
    return u"<div class=\"wrap\"><strong>" + name + u"</strong><span class=\"grade\" title=\"등급\">" + grade
        + u"</span><div class=\"box\"><strong>tooltip</strong></div></div>";
}

const std::u16string Title = u"<span class=\"character_title\">심연을 걷는 자</span>";
const std::u16string Server = u"<span class=\"character_server\">@안개여울</span>";
const std::u16string SubLine
    = u"<div class=\"character_sub\"><span>55레벨</span><span>골짜기인</span><span>새벽별</span></div>";
const std::u16string Job
    = u"<div class=\"type\"><div class=\"skills\"><strong>잿불검객</strong> (3특성)</div></div>";
const std::u16string Profile = Title + Server + SubLine + Job;

// Expected records, built field by field: only what a row is about differs from "all absent".
class Want {
public:
    Want &items(std::vector<EquipmentEntry> entries)
    {
        m_detail.items = std::move(entries);
        return *this;
    }
    Want &title(std::u16string text)
    {
        m_detail.title = std::move(text);
        return *this;
    }
    Want &server(std::u16string text)
    {
        m_detail.server = std::move(text);
        return *this;
    }
    Want &sub(std::u16string a, std::u16string b, std::u16string c)
    {
        m_detail.subParts = { std::move(a), std::move(b), std::move(c) };
        return *this;
    }
    Want &job(std::u16string text)
    {
        m_detail.job = std::move(text);
        return *this;
    }
    operator CharacterDetail() const { return m_detail; }

private:
    CharacterDetail m_detail {};
};

struct ParseCase {
    const char *name;
    std::u16string page;
    CharacterDetail want;
};

const CharacterDetail FullProfile = Want()
                                        .title(u"심연을 걷는 자")
                                        .server(u"안개여울")
                                        .sub(u"55레벨", u"골짜기인", u"새벽별")
                                        .job(u"잿불검객");

CharacterDetail WithItems(std::vector<EquipmentEntry> items, CharacterDetail detail = FullProfile)
{
    detail.items = std::move(items);
    return detail;
}

const ParseCase ParseCases[] = {
    { "FiveItemsAndProfile",
        InRegion(Profile + Item(u"대검", u"영웅") + Item(u"투구", u"전설") + Item(u"장화", u"희귀")
            + Item(u"갑옷", u"고대") + Item(u"장갑", u"일반")),
        WithItems({ { u"대검", u"영웅" }, { u"투구", u"전설" }, { u"장화", u"희귀" }, { u"갑옷", u"고대" },
            { u"장갑", u"일반" } }) },
    { "NameAfterClosingStrongTag",
        InRegion(u"<div class=\"wrap\"><span>x</span></strong>after</div><div class=\"box\">t</div>"),
        Want().items({ { u"after", nullopt } }) },
    { "NameStartRepeatedStopsTheName", InRegion(u"<div class=\"wrap\"><strong><strong>X</strong></strong>"),
        Want().items({ { u"<", nullopt } }) },
    { "EmptyNameAndGradeArePresent",
        InRegion(
            u"<div class=\"wrap\"><strong></strong><span title=\"등급\"></span><div class=\"box\">t</div>"),
        Want().items({ { u"", u"" } }) },
    { "GradeMarkerRightBeforeBoxIsAbsent",
        InRegion(u"<div class=\"wrap\"><strong>A</strong><span title=\"등급\"><div class=\"box\">영웅</div>"),
        Want().items({ { u"A", nullopt } }) },
    { "GradeOnlyInTooltipIsNotPicked",
        InRegion(u"<div class=\"wrap\"><p>icon</p><div class=\"box\"><strong>A</strong><span "
                 u"title=\"등급\">영웅</span>"),
        Want().items({ { nullopt, nullopt } }) },
    { "BlockWithoutBoxIsAllHeader",
        InRegion(u"<div class=\"wrap\"><p>icon</p><strong>B</strong> <em>+3</em> <span "
                 u"title=\"등급\">유물</span></div>"
            + Item(u"C", u"신화")),
        Want().items({ { u"B", u"유물" }, { u"C", u"신화" } }) },
    { "LastBlockWithoutBoxRunsToRegionEnd",
        u"<div class=\"wrapper\"><div class=\"wrap\"><strong>B</strong></div></div><span "
        u"title=\"등급\">경이</span>"
        u"<footer id=\"footer\">",
        Want().items({ { u"B", u"경이" } }) },
    { "EmptyBlocksBackToBackAndAtRegionEnd",
        u"<div class=\"wrapper\"><div class=\"wrap\"><div class=\"wrap\"><strong>A</strong>"
        u"<span title=\"등급\">서사</span><div class=\"wrap\"><footer id=\"footer\">",
        Want().items({ { nullopt, nullopt }, { u"A", u"서사" }, { nullopt, nullopt } }) },
    { "RegionWithoutEndRunsToBodyEnd",
        u"<header><div class=\"wrapper\">" + Profile + Item(u"A", u"고급") + Item(u"B", u"유일"),
        WithItems({ { u"A", u"고급" }, { u"B", u"유일" } }) },
    { "RegionEndBeforeRegionStartIsNoEnd", u"<footer id=\"footer\">x</footer><div class=\"wrapper\">" + Title,
        Want().title(u"심연을 걷는 자") },
    { "NoRegionStart", u"<html><body>" + Profile + Item(u"A", u"영웅") + u"<footer id=\"footer\">", {} },
    { "EmptyRegion", u"<div class=\"wrapper\"><footer id=\"footer\">" + Profile + Item(u"A", u"영웅"), {} },
    { "RegionStartAtBodyEnd", Profile + u"<div class=\"wrapper\">", {} },
    { "EmptyBody", u"", {} },
    { "MarkersOutsideRegionIgnored",
        Profile + Item(u"밖", u"영웅") + u"<div class=\"wrapper\">" + Item(u"안", u"고대")
            + u"<footer id=\"footer\">" + Profile + Item(u"뒤", u"전설"),
        Want().items({ { u"안", u"고대" } }) },
    { "SecondRegionStartEndsTheRegion",
        u"<div class=\"wrapper\">" + Item(u"A", u"일반") + u"<div class=\"wrapper\">" + Title
            + Item(u"B", u"일반") + u"<footer id=\"footer\">",
        Want().items({ { u"A", u"일반" } }) },
    { "FirstOfRepeatedMarkersWins",
        InRegion(u"<span class=\"character_title\">첫째</span>" + Title
            + u"<span class=\"character_server\">@솔바람</span>" + Server),
        Want().title(u"첫째").server(u"솔바람") },
    { "TitleStartsBackToBackIsAbsent",
        InRegion(u"<span class=\"character_title\">\"character_title\">T</span>"), {} },
    { "TitleWithoutSpanEndRunsToRegionEnd", InRegion(u"<span class=\"character_title\">칭호<b>x</b>"),
        Want().title(u"칭호<b>x</b></div>") },
    { "EmptyTitleIsPresent", InRegion(u"<span class=\"character_title\"></span>"), Want().title(u"") },
    { "ServerWithoutAtSignIsAbsent", InRegion(u"<span class=\"character_server\">안개여울</span>"), {} },
    { "ServerOnlyAtSignIsEmpty", InRegion(u"<span class=\"character_server\">@</span>"), Want().server(u"") },
    { "SubLineTwoSpans",
        InRegion(u"<div class=\"character_sub\"><span>A</span><span>B</span></div><div class=\"type\">"),
        Want().sub(u"A", u"B", u"") },
    { "SubLineFourSpansKeepsThree",
        InRegion(u"<div class=\"character_sub\"><span>1</span><span>2</span><span>3</span><span>4</span>"
                 u"<div class=\"type\">"),
        Want().sub(u"1", u"2", u"3") },
    { "SubLineSpanWithoutCloseRunsToBlockEnd",
        InRegion(u"<div class=\"character_sub\"><span>A</span><span>B<div class=\"type\"><span>C</span>"),
        Want().sub(u"A", u"B", u"") },
    { "SubLineWithoutEndRunsToRegionEnd",
        InRegion(u"<div class=\"character_sub\"><span>A</span><span>B</span><span>C</span>"),
        Want().sub(u"A", u"B", u"C") },
    { "SpansOutsideSubLineIgnored",
        InRegion(u"<span>X</span><div class=\"character_sub\"></div><div class=\"type\"><span>Y</span>"),
        {} },
    { "JobEndWithoutAngleBracket", InRegion(u"<div class=\"skills\"><strong>덩굴술사</strong >"),
        Want().job(u"덩굴술사") },
    { "JobWithoutSkillsIsAbsent", InRegion(u"<div class=\"type\"><strong>덩굴술사</strong>"), {} },
};

void PrintTo(const ParseCase &row, std::ostream *os)
{
    *os << row.name;
}

class ParseCharacterPageTest : public testing::TestWithParam<ParseCase> { };

TEST_P(ParseCharacterPageTest, ScrapesFields)
{
    const CharacterDetail got = ParseCharacterPage(GetParam().page);
    const CharacterDetail &want = GetParam().want;
    EXPECT_EQ(got.items, want.items);
    EXPECT_EQ(got.title, want.title);
    EXPECT_EQ(got.server, want.server);
    EXPECT_EQ(got.subParts, want.subParts);
    EXPECT_EQ(got.job, want.job);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseCharacterPageTest, testing::ValuesIn(ParseCases),
    [](const testing::TestParamInfo<ParseCase> &row) { return row.param.name; });

// Every item in page order up to the first 1000; past them a hostile page's blocks are counted,
// not kept.
TEST(ParseCharacterPage, KeepsItemsInPageOrderUpToTheBound)
{
    struct Case {
        int blocks;
        int kept;
        std::size_t dropped;
    };
    for (const Case c : { Case { 25, 25, 0 }, Case { 1000, 1000, 0 }, Case { 5000, 1000, 4000 } }) {
        std::u16string body = Profile;
        std::vector<EquipmentEntry> want;
        for (int k = 1; k <= c.blocks; ++k) {
            const std::u16string name = u"장비" + thornvale::FromUtf8(std::to_string(k));
            const std::u16string grade(thornvale::GradeColours[k % 11].grade);
            body += Item(name, grade);
            if (k <= c.kept)
                want.push_back({ name, grade });
        }
        CharacterDetail expected = WithItems(want);
        expected.itemsDropped = c.dropped;
        EXPECT_EQ(ParseCharacterPage(InRegion(body)), expected) << c.blocks << " items";
    }
}

// --- Saved-style pages -------------------------------------------------------------------------

const std::vector<EquipmentEntry> FixtureItems = {
    { u"무너진 성채의 대검 +7", u"영웅" },
    { u"심연의 투구", u"전설" },
    { u"바람걸음 장화", u"희귀" },
    { u"은빛 서약의 갑옷", u"고대" },
    { u"황혼의 장갑", u"유일" },
    { u"가시덩굴 허리띠", u"고급" },
    { u"별빛 목걸이", u"신화" },
    { u"잿빛 귀걸이", u"일반" },
    { u"잿빛 귀걸이", u"일반" },
    { u"맹세의 반지", u"유물" },
    { u"맹세의 반지", u"경이" },
    { u"서리꽃 망토", u"서사" },
    { u"용비늘 어깨방어구", u"영웅" },
    { u"순례자의 각반", u"고급" },
    { u"붉은 달 팔찌", u"희귀" },
    { u"고요한 숲의 부적", u"전설" },
    { u"폭풍 인장", u"유일" },
    { u"빛바랜 휘장", u"일반" },
    { u"수호자의 방패", u"고대" },
    { u"첫 번째 보석", u"서사" },
    { u"두 번째 보석", u"신화" },
    { u"세 번째 보석", u"경이" },
    { u"탈것: 잿빛 늑대", u"유물" },
    { u"변신: 검은 까마귀", u"영웅" },
    { u"각인: 불굴", u"고급" },
};

struct FixtureCase {
    const char *name;
    const char *file;
    CharacterDetail want;
};

void PrintTo(const FixtureCase &row, std::ostream *os)
{
    *os << row.file;
}

class CharacterFixtureTest : public testing::TestWithParam<FixtureCase> { };

TEST_P(CharacterFixtureTest, MatchesPage)
{
    const std::u16string page = FromUtf8(ReadTestData(GetParam().file));
    ASSERT_FALSE(page.empty()) << GetParam().file;
    EXPECT_EQ(ParseCharacterPage(page), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Pages, CharacterFixtureTest,
    testing::Values(FixtureCase { "TwentyFiveItems", "character-25items.html", WithItems(FixtureItems) },
        FixtureCase { "FiveItemsNoTitle", "character-5items-notitle.html",
            Want()
                .items({ FixtureItems.begin(), FixtureItems.begin() + 5 })
                .server(u"솔바람")
                .sub(u"12레벨", u"가시요정", u"들꽃원정대")
                .job(u"덩굴술사") }),
    [](const testing::TestParamInfo<FixtureCase> &row) { return row.param.name; });

// --- Hostile input -----------------------------------------------------------------------------

// Whatever the scraper returns must be a piece of the page; an offset slip would show up as text
// that the page never held.
void ExpectTextsFromPage(std::u16string_view page, const CharacterDetail &detail)
{
    auto check = [&](const std::u16string &text) { EXPECT_NE(page.find(text), std::u16string_view::npos); };
    for (const EquipmentEntry &entry : detail.items) {
        if (entry.name)
            check(*entry.name);
        if (entry.grade)
            check(*entry.grade);
    }
    for (const auto *field : { &detail.title, &detail.server, &detail.job }) {
        if (*field)
            check(**field);
    }
    for (const std::u16string &part : detail.subParts)
        check(part);
}

TEST(ParseCharacterPage, TruncatedPageNeverLosesEarlierItems)
{
    const std::u16string page = FromUtf8(ReadTestData("character-25items.html"));
    ASSERT_FALSE(page.empty());
    std::size_t previous = 0;
    for (std::size_t length = 0; length <= page.size(); ++length) {
        const std::u16string_view prefix(page.data(), length);
        const CharacterDetail detail = ParseCharacterPage(prefix);
        ASSERT_GE(detail.items.size(), previous) << "cut at " << length;
        previous = detail.items.size();
        ExpectTextsFromPage(prefix, detail);
    }
    EXPECT_EQ(previous, 25u);
}

TEST(ParseCharacterPage, SurvivesJunk)
{
    // Marker fragments mixed with arbitrary code units: NUL, lone surrogates, non-characters.
    const std::u16string fragments[] = {
        u"<div class=\"wrapper\">",
        u"<footer id=\"footer\">",
        u"<div class=\"wrap\">",
        u"<div class=\"box\">",
        u"strong>",
        u"</",
        u"등급\">",
        u"\"character_title\">",
        u"</span>",
        u"character_server\">@",
        u"character_sub\">",
        u"<div class=\"type\">",
        u"<span>",
        u"skills\"><strong>",
        u"</strong",
        u"<div class=\"wr",
        u"등",
        u"<",
    };
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> pick(0, 2 * static_cast<int>(std::size(fragments)));
    std::uniform_int_distribution<int> unit(0, 0xFFFF);
    for (int round = 0; round < 300; ++round) {
        std::u16string page;
        const int length = 1 + round * 7;
        for (int i = 0; i < length; ++i) {
            const auto choice = static_cast<std::size_t>(pick(random));
            if (choice < std::size(fragments))
                page += fragments[choice];
            else
                page += static_cast<char16_t>(unit(random));
        }
        ExpectTextsFromPage(page, ParseCharacterPage(page));
    }
    const std::u16string lone
        = u"\xD800<div class=\"wrapper\">\xDC00" + Item(u"\xDBFF", u"\xDFFF") + u"\xD800";
    EXPECT_EQ(ParseCharacterPage(lone).items, (std::vector<EquipmentEntry> { { u"\xDBFF", u"\xDFFF" } }));
}

// --- Panel line and grade colours --------------------------------------------------------------

TEST(JoinSubParts, AlwaysTwoSeparators)
{
    struct Row {
        std::array<std::u16string, 3> parts;
        std::u16string want;
    };
    const Row rows[] = {
        { { u"55레벨", u"골짜기인", u"새벽별" }, u"55레벨 | 골짜기인 | 새벽별" },
        { { u"", u"", u"" }, u" |  | " },
        { { u"A", u"B", u"" }, u"A | B | " },
        { { u"", u"x | y", u" " }, u" | x | y |  " },
    };
    for (const auto &[parts, want] : rows)
        EXPECT_EQ(thornvale::JoinSubParts(parts), want);
    EXPECT_EQ(thornvale::JoinSubParts(ParseCharacterPage(u"").subParts), u" |  | ");
}

std::string Hex(thornvale::Rgb colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.r, colour.g, colour.b);
    return text;
}

TEST(GradeColours, ElevenGradesNineColours)
{
    const std::pair<std::u16string_view, const char *> want[] = {
        { u"일반", "#808080" },
        { u"고급", "#00C000" },
        { u"희귀", "#0000FF" },
        { u"고대", "#FF00FF" },
        { u"영웅", "#FF8000" },
        { u"유일", "#FFC080" },
        { u"유물", "#FF0000" },
        { u"경이", "#804000" },
        { u"서사", "#00FFFF" },
        { u"전설", "#FF8000" },
        { u"신화", "#FF0000" },
    };
    ASSERT_EQ(thornvale::GradeColours.size(), std::size(want));
    std::set<std::string> colours;
    for (std::size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(thornvale::GradeColours[i].grade, want[i].first) << i;
        EXPECT_EQ(Hex(thornvale::GradeColours[i].colour), want[i].second) << i;
        const auto found = thornvale::GradeColourOf(want[i].first);
        ASSERT_TRUE(found) << i;
        EXPECT_EQ(Hex(*found), want[i].second) << i;
        colours.insert(want[i].second);
    }
    EXPECT_EQ(colours.size(), 9u);
}

TEST(GradeColours, OnlyWholeTextMatches)
{
    for (const std::u16string_view caption :
        { u"등급", u" 영웅", u"영웅 ", u"", u"영웅영웅", u"영", u"전설\n", u"<b>신화</b>" })
        EXPECT_FALSE(thornvale::GradeColourOf(caption)) << thornvale::ToUtf8(caption);
}

} // namespace
