// Writes the seed inputs of every harness into one folder per harness: site-sim's pages and the
// fixture pages for the scrapers, and small inputs in each harness's own layout for the rest.
// The seeds are made at build time and never kept in the source tree.
//
// usage: fuzz_seeds OUTPUT_DIR FIXTURE_DIR

#include "site-sim/sitesim.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The character base the harnesses scrape with; the seeds use the same one so anchors match.
const std::string Base = "http://search.thornvale.example/characters/";

fs::path g_out;

void write(const std::string &target, const std::string &name, const std::string &bytes)
{
    const fs::path dir = g_out / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

// UTF-16LE bytes of UTF-8 text.
std::string utf16le(const std::string &utf8)
{
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    std::string out;
    for (const QChar c : text) {
        out += char(c.unicode() & 0xFF);
        out += char(c.unicode() >> 8);
    }
    return out;
}

std::string unit(char16_t u)
{
    return { char(u & 0xFF), char(u >> 8) };
}

std::string le64(std::int64_t v)
{
    std::string out;
    for (int i = 0; i < 8; ++i)
        out += char(std::uint64_t(v) >> (8 * i) & 0xFF);
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTPUT_DIR FIXTURE_DIR\n");
        return 2;
    }
    g_out = argv[1];
    const fs::path fixtures = argv[2];
    const auto &roster = sitesim::Roster();

    // Result pages: a full page, the short last page, a page past the results, one without hits.
    int n = 0;
    for (const auto &[keyword, page] : std::vector<std::pair<std::string, long long>> {
             { "토른", 1 }, { "토른", 3 }, { "토른", 4 }, { "검은달", 1 }, { "", 2 }, { "없는이름", 1 } })
        write("resultpage", "search-" + std::to_string(++n) + ".html",
            sitesim::SearchPageHtml(keyword, page, Base));

    // Character pages with 25, 12, 5, 3 and no items, then a few more for the gaps they leave out
    // on purpose, and the fixture pages.
    for (std::size_t i = 0; i < 12 && i < roster.size(); ++i)
        write("characterpage", "character-" + std::to_string(i) + ".html",
            sitesim::CharacterPageHtml(roster[i]));
    for (const auto &entry : fs::directory_iterator(fixtures)) {
        std::ifstream in(entry.path(), std::ios::binary);
        write("characterpage", entry.path().filename().string(),
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }

    // Split-and-pick: header (marker and end lengths, marker taken from the input), end marker,
    // marker, then a stretch of a real page.
    const std::string page = sitesim::CharacterPageHtml(roster[sitesim::kWith5Items]);
    const std::string stretch = utf16le(page.substr(0, 1500));
    n = 0;
    for (const auto &[marker, end] :
        std::vector<std::pair<std::string, std::string>> { { "<span>", "</span>" }, { "strong>", "</" },
            { "<div class=\"wrap\">", "</div>" }, { "@", "<" } }) {
        const std::string m = utf16le(marker), e = utf16le(end);
        std::string seed;
        seed += char(std::min<std::size_t>(m.size() / 2, 15) | std::min<std::size_t>(e.size() / 2, 15) << 4);
        seed += char(0x80);
        write(
            "splitpick", "split-" + std::to_string(++n), seed + e.substr(0, 30) + m.substr(0, 30) + stretch);
    }

    // Names and texts as UTF-16LE, with a surrogate pair and lone surrogates.
    std::vector<std::string> texts = { "abc", "\t", "가 a", "토른전사12", std::string() };
    for (std::size_t i = 0; i < roster.size(); i += 17)
        texts.push_back(roster[i].name);
    n = 0;
    for (const std::string &t : texts)
        write("urlencode", "text-" + std::to_string(++n), utf16le(t));
    write(
        "urlencode", "pair-and-lone", unit(0xD83D) + unit(0xDE00) + unit(0xD800) + unit(u'a') + unit(0xDC00));

    n = 0;
    for (const std::int64_t p :
        { 1LL, 2LL, 11LL, 2147483647LL, 9223372036854775807LL, 0LL, -1LL, -9223372036854775807LL - 1 }) {
        ++n;
        write("searchurl", "page-" + std::to_string(n), le64(p) + utf16le(n % 2 ? "토른" : "a b"));
    }

    n = 0;
    for (const std::string body : { "1//thornvale", "0//closed", " 1.0 //x", "+1e0", "-1", "1e400", "abc//1",
             "", "1", "//1", "0.99999999999999999999" })
        write("servicestatus", "status-" + std::to_string(++n), utf16le(body));

    // Tray text fields: two bytes that give the native field's width (one more than their
    // number), then the record's field; the first as tray mode fills the balloon (the text, its
    // NUL, spaces to the end), the second with a surrogate pair across the title's cut.
    write("trayicondata", "tray-mode",
        unit(255) + utf16le("트레이모드가 시전되었습니다.") + unit(0) + utf16le(std::string(240, ' ')));
    std::string hangul;
    for (int i = 0; i < 62; ++i)
        hangul += i % 50 == 49 ? "똠" : "가";
    write("trayicondata", "pair-at-cut",
        unit(63) + utf16le(hangul) + unit(0xD83D) + unit(0xDE00) + unit(0xD800));

    // Addresses, after the two bytes that pick windir.
    n = 0;
    std::vector<std::string> addresses
        = { "http://www.thornvale.example/", "https://h.example/a/b?x=1&y=%20", "http://h.example/a\\",
              "http://h.example/a\\\\", "http://h.example/캐릭터", "http://127.0.0.1:18080/characters/abc" };
    for (std::size_t i = 0; i < roster.size(); i += 45)
        addresses.push_back(Base + roster[i].key);
    for (const std::string &a : addresses) {
        ++n;
        write("links", "address-" + std::to_string(n), std::string(2, char(n)) + utf16le(a));
    }
    return 0;
}
