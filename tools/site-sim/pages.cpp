#include "pages.h"

#include "search/urlencode.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <iconv.h>
#include <numbers>

namespace sitesim {

namespace {

constexpr std::size_t kRowsPerPage = 10;

void append(std::string &out, std::initializer_list<std::string_view> parts)
{
    for (std::string_view part : parts)
        out += part;
}

class Converter {
public:
    Converter(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

void putLittleEndian(std::string &out, std::uint32_t value, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        out += static_cast<char>((value >> (8 * k)) & 0xFF);
}

} // namespace

std::string ToEucKr(std::string_view utf8)
{
    // The core's decoder settles what a broken sequence is: each one becomes a single U+FFFD.
    std::u16string text = thornvale::FromUtf8(utf8);
    Converter converter("EUC-KR", std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE");
    if (!converter.valid())
        return std::string(utf8);

    std::string out(text.size() * 2 + 16, '\0');
    char *in = reinterpret_cast<char *>(text.data());
    std::size_t inLeft = text.size() * sizeof(char16_t);
    std::size_t used = 0;
    while (inLeft > 0) {
        char *outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t result = iconv(converter.handle(), &in, &inLeft, &outPtr, &outLeft);
        used = static_cast<std::size_t>(outPtr - out.data());
        if (result != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // A character EUC-KR lacks: a numeric reference, except that U+FFFD stands for bytes that
        // were no character at all and goes out as "?". Either way go on after it.
        const auto *unit = reinterpret_cast<const char16_t *>(in);
        const bool pair = inLeft >= 2 * sizeof(char16_t) && unit[0] >= 0xD800 && unit[0] <= 0xDBFF;
        const char32_t codePoint
            = pair ? 0x10000 + ((char32_t(unit[0]) - 0xD800) << 10) + (char32_t(unit[1]) - 0xDC00) : unit[0];
        const std::string replacement
            = codePoint == 0xFFFD ? std::string("?") : "&#" + std::to_string(codePoint) + ";";
        out.resize(std::max(out.size(), used + replacement.size() + inLeft + 16));
        std::copy(replacement.begin(), replacement.end(), out.begin() + static_cast<std::ptrdiff_t>(used));
        used += replacement.size();
        const std::size_t skip = (pair ? 2 : 1) * sizeof(char16_t);
        in += skip;
        inLeft -= skip;
    }
    out.resize(used);
    return out;
}

std::string SearchPageHtml(const std::string &keyword, long long page, const std::string &characterBase)
{
    std::string html = pages::SearchPageHead(keyword, page, characterBase, true);
    html += pages::SearchPageFooter();
    return html;
}

std::string CharacterPageHtml(const Character &c)
{
    std::string html;
    append(html,
        { "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>", pages::HtmlEscape(c.name),
            " - 캐릭터 정보</title></head><body>\n",
            "<header class=\"header\"><a href=\"/\">Thornvale</a> 캐릭터 정보</header>\n",
            "<div class=\"wrapper\">\n <div class=\"profile\">\n" });
    if (c.hasTitle)
        append(html, { "  <span class=\"character_title\">", pages::HtmlEscape(c.title), "</span>\n" });
    append(html,
        { "  <strong class=\"name\">", pages::HtmlEscape(c.name), "</strong>\n",
            "  <span class=\"character_server\">", c.serverWithAt ? "@" : "", pages::HtmlEscape(c.server),
            "</span>\n" });
    if (!c.subParts.empty()) {
        html += "  <div class=\"character_sub\">";
        for (const std::string &part : c.subParts)
            append(html, { "<span>", pages::HtmlEscape(part), "</span>" });
        html += "</div>\n";
    }
    html += "  <div class=\"type\">";
    if (c.hasClass)
        append(
            html, { "<div class=\"skills\"><strong>", pages::HtmlEscape(c.job), "</strong> (3특성)</div>" });
    html += "</div>\n </div>\n <div class=\"equipment\">\n";
    for (const Item &item : c.items) {
        append(html,
            { "  <div class=\"wrap\"><strong>", pages::HtmlEscape(item.name),
                "</strong><span class=\"grade\" title=\"등급\">", pages::HtmlEscape(item.grade),
                "</span><div class=\"box\">tooltip text ", pages::HtmlEscape(item.name), "</div></div>\n" });
    }
    html += " </div>\n</div>\n<footer id=\"footer\">copyright Thornvale</footer></body></html>\n";
    return html;
}

namespace pages {

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

std::string PercentEncode(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        out += '%';
        out += hex[byte >> 4];
        out += hex[byte & 0x0F];
    }
    return out;
}

std::string SearchPageHead(
    const std::string &keyword, long long page, const std::string &characterBase, bool withHeading)
{
    const std::vector<Character> found = Matches(keyword);
    const auto count = static_cast<long long>(found.size());
    // Page numbers come from the address; keep the arithmetic far from overflow.
    page = std::clamp(page, -1'000'000'000LL, 1'000'000'000LL);
    const long long first = std::max(0LL, (page - 1) * static_cast<long long>(kRowsPerPage));
    const long long last = std::min(count, std::max(0LL, page * static_cast<long long>(kRowsPerPage)));

    std::string html;
    const std::string shownKeyword = HtmlEscape(keyword);
    append(html,
        { "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Thornvale 캐릭터 검색</title></head>"
          "<body>\n<div class=\"gnb\"><a href=\"/\">홈</a> | 게임 정보 | 랭킹 | 커뮤니티</div>\n" });
    if (withHeading)
        append(html,
            { "<h4 class=\"tit_result\">'<strong>", shownKeyword, "</strong>' 캐릭터 검색결과</h4>\n" });
    else
        append(html, { "<h4 class=\"tit_result\">'<strong>", shownKeyword, "</strong>' 검색결과</h4>\n" });
    html += "<ul class=\"lst_character\">\n";
    for (long long r = first; r < last; ++r) {
        const Character &c = found[static_cast<std::size_t>(r)];
        append(html,
            { "<li class=\"item\"><a href=\"", characterBase, c.key,
                "\" class=\"link_character\"><span class=\"character_card\"><span "
                "class=\"thumb\"></span><strong>",
                HtmlEscape(c.name), "</strong></span> <span class=\"character_server\">@",
                HtmlEscape(c.server), "</span> <span class=\"level\"><span>", std::to_string(c.level),
                "레벨</span><span>", HtmlEscape(c.job), "</span><span>", HtmlEscape(c.race),
                "</span></span><div class=\"lst\"><span class=\"score\">", std::to_string(c.score),
                "</span></div></a></li>\n" });
    }
    html += "</ul>\n";
    if (page * static_cast<long long>(kRowsPerPage) < count) {
        append(html,
            { "<div class=\"paging\"><a href=\"/search?keyword=", PercentEncode(keyword),
                "&amp;dt=characters&amp;sf=score&amp;st=desc&amp;start=",
                std::to_string(page * static_cast<long long>(kRowsPerPage)),
                "&amp;page=", std::to_string(page + 1),
                "\"><span class=\"blind\">다음</span><span><i class=\"ico_comm "
                "next\"></i></span></a></div>\n" });
    }
    return html;
}

std::string_view SearchPageFooter()
{
    return "<footer><p>Thornvale 캐릭터 검색 | 이용약관 | 개인정보처리방침</p></footer></body></html>\n";
}

std::string NotFoundPage()
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>404</title></head><body>"
           "<h1>페이지를 찾을 수 없습니다</h1></body></html>\n";
}

std::string ServerErrorPage()
{
    return "<html><body><h1>500 Internal Server Error</h1></body></html>";
}

std::string IndexPage()
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Thornvale "
           "site-sim</title></head><body>\n"
           "<h1>Thornvale 캐릭터 검색 (site-sim)</h1>\n<ul>\n"
           "<li><a "
           "href=\"/search?keyword=%ED%86%A0%EB%A5%B8&amp;dt=characters&amp;sf=score&amp;st=desc&amp;start=0"
           "&amp;page=1\">'토른' 검색</a></li>\n"
           "<li><a href=\"/characters/c0000\">캐릭터 c0000</a></li>\n"
           "<li><a href=\"/status\">status</a></li>\n"
           "<li><a href=\"/music1\">음악 1</a> <a href=\"/music2\">음악 2</a> <a href=\"/music3\">음악 "
           "3</a></li>\n"
           "</ul></body></html>\n";
}

std::string MusicPage(int number)
{
    const std::string n = std::to_string(number);
    std::string html;
    append(html,
        { "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>음악 ", n, "</title></head><body>\n",
            "<audio autoplay loop src=\"/audio/", n, ".wav\"></audio>\n<p>음악 페이지 ", n, "</p>\n" });
    if (number == 1)
        html += "<script>window.open('/popup?id=1','_blank','width=600,height=500');</script>\n";
    else if (number == 2)
        html += "<script>window.open('/popup?id=2&close=3000','_blank','width=600,height=500');</script>\n";
    html += "</body></html>\n";
    return html;
}

std::string PopupPage(const std::string &id, std::optional<long long> closeAfterMs)
{
    std::string html;
    append(html,
        { "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>팝업 ", HtmlEscape(id),
            "</title></head><body>\n<p>팝업 ", HtmlEscape(id), "</p>\n" });
    if (closeAfterMs)
        append(html,
            { "<script>setTimeout(function(){window.close();}, ", std::to_string(*closeAfterMs),
                ");</script>\n" });
    html += "</body></html>\n";
    return html;
}

std::string PopupTestPage(int count, std::optional<long long> closeFirstAfterMs)
{
    std::string html
        = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>popup test</title></head><body>\n"
          "<p>팝업 시험</p>\n<script>\n";
    for (int i = 1; i <= count; ++i) {
        std::string address = "/popup?id=" + std::to_string(i);
        if (i == 1 && closeFirstAfterMs)
            address += "&close=" + std::to_string(*closeFirstAfterMs);
        append(html, { "window.open('", address, "','_blank','width=600,height=500');\n" });
    }
    html += "</script>\n</body></html>\n";
    return html;
}

std::string PopupFloodPage(int count)
{
    std::string html
        = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>popup flood</title></head><body>\n"
          "<script>\nfor (let i = 1; i <= ";
    html += std::to_string(count);
    html += "; ++i)\n  window.open('/popup?id=' + i, '_blank');\n</script>\n</body></html>\n";
    return html;
}

std::string HostileSearchPage(long long page, const std::string &characterBase)
{
    // The heading names the keyword as the real page does; here it is fixed.
    std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>악당</title></head><body>\n"
                       "<h4 class=\"tit_result\">'<strong>악당</strong>' 캐릭터 검색결과</h4>\n<ul>\n";
    auto row = [&](const std::string &anchor, const std::string &name, const std::string &server) {
        append(html,
            { "<li>", anchor, "<span class=\"character_card\"><strong>", name,
                "</strong></span> <span class=\"character_server\">@", server,
                "</span> <span "
                "class=\"level\"><span>7레벨</span><span>늪지기</span><span>골짜기인</span></span>"
                "<div class=\"lst\"></div></li>\n" });
    };
    if (page == 1) {
        // Retitles the terminal, clears it, returns the cursor and turns the rest of the line round.
        row("<a href=\"" + characterBase + "c0000\" class=\"link\">",
            "\x1b]0;토른악당\x07\x1b[2J\r토른악당\xe2\x80\xae", "가시골");
        // Longer than any column should be, and without a page address.
        row("", std::string(30, 'x') + "가시골짜기이슬을모으는자", "이슬언덕");
    } else if (page == 2) {
        for (int i = 0; i < 1005; ++i)
            row("", "무리" + std::to_string(i), "서리재");
    }
    html += "</ul>\n";
    html += SearchPageFooter();
    return html;
}

namespace {

// "가" (three bytes in UTF-8) up to `bytes`.
std::string hangulFiller(std::size_t bytes)
{
    std::string filler;
    filler.reserve(bytes);
    while (filler.size() + 3 <= bytes)
        filler += "가";
    return filler;
}

} // namespace

std::string AmplifyingSearchPage(const std::string &characterBase, std::size_t bytes)
{
    std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>\n"
                       "<h4>'<strong>가</strong>' 캐릭터 검색결과</h4><ul><li>";
    append(html,
        { "<span class=\"level\"><span>", "<span>", "<span>", "<span class=\"character_server\">@",
            "<a href=\"", characterBase, "<span class=\"character_card\"><strong>" });
    html += hangulFiller(bytes > html.size() ? bytes - html.size() : 0);
    return html;
}

std::string AmplifyingCharacterPage()
{
    std::string html
        = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><div class=\"wrapper\">";
    append(html,
        { "<div class=\"wrap\"><strong>", "<span class=\"grade\" title=\"등급\">",
            "<span \"character_title\">", "<span class=\"character_server\">@",
            "<div class=\"character_sub\"><span>", "<span>", "<span>", "<div class=\"skills\"><strong>" });
    html += hangulFiller(AmplifyingBytes - html.size());
    return html;
}

std::string LoneSurrogateSearchPage(const std::string &characterBase)
{
    std::u16string html = u"<!DOCTYPE html><html><head><meta charset=\"utf-16le\"></head><body>\n"
                          u"<h4>'<strong>반쪽</strong>' 캐릭터 검색결과</h4><ul>";
    const std::u16string base(characterBase.begin(), characterBase.end()); // ASCII
    html += u"<li><a href=\"" + base + u"c0001\" class=\"link\"><span class=\"character_card\"><strong>반쪽";
    html += char16_t(0xD800);
    html
        += u"</strong></span><span class=\"character_server\">@가시골</span><span class=\"level\"><span>3레벨"
           u"</span><span>늪지기</span><span>골짜기인</span></span><div "
           u"class=\"lst\"></div></li></ul></body></html>";
    std::string bytes;
    for (const char16_t unit : html) {
        bytes += char(unit & 0xFF);
        bytes += char(unit >> 8);
    }
    return bytes;
}

std::optional<std::string> HostileMusicPage(std::string_view name, std::string_view kind)
{
    std::string head = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>";
    auto page = [&](std::string_view title, std::string_view body) {
        append(head, { title, "</title></head><body style=\"margin:0\">\n", body, "\n</body></html>\n" });
        return head;
    };
    // Laid over the whole page, so any click on the strip is a click on it.
    auto cover = [](std::string_view href, std::string_view extra = {}) {
        std::string a = "<a id=\"cover\" href=\"";
        append(a,
            { href, "\"", extra,
                " style=\"position:fixed;left:0;top:0;width:100%;height:100%;display:block\">덮개</a>" });
        return a;
    };
    if (name == "link") {
        static const std::pair<std::string_view, std::string_view> targets[] = {
            { "scheme", "thornvaletest:payload" },
            { "javascript", "javascript:void(document.title='ran')" },
            { "file", "file:///etc/hostname" },
            { "data", "data:text/html,<title>data</title>" },
            { "https", "https://127.0.0.1:1/" },
        };
        for (const auto &[k, href] : targets) {
            if (k == kind)
                return page("link " + std::string(k), cover(href));
        }
        return std::nullopt;
    }
    if (name == "dialogs")
        return page("dialogs",
            "<script>for (let i = 0; i < 50; ++i) alert('창 ' + i);\n"
            "const c = confirm('확인?'); const p = prompt('이름?', '기본');\n"
            "document.title = 'confirm ' + c + ' prompt ' + p;</script>");
    if (name == "unload")
        return page("unload",
            cover("#", " onclick=\"document.title='armed';return false\"")
                + "<script>addEventListener('beforeunload', e => { e.preventDefault(); e.returnValue = ''; "
                  "});"
                  "</script>");
    if (name == "permissions")
        return page("permissions",
            "<script>const seen = [];\nconst note = s => { seen.push(s); document.title = seen.sort().join(' "
            "'); };\n"
            "Notification.requestPermission().then(p => note('notification ' + p));\n"
            "navigator.geolocation.getCurrentPosition(() => note('geolocation granted'),"
            " e => note('geolocation ' + e.code));</script>");
    if (name == "reopen")
        return page("reopen",
            "<script>let w = null, n = 0;\nsetInterval(() => { if (w) w.close(); "
            "w = window.open('/popup?id=' + (++n), '_blank'); }, 50);</script>");
    if (name == "download")
        return page("download", cover("/hostile/file.bin", " download"));
    if (name == "tooltip") {
        // What each title holds past what a tooltip should show: markup that would load a local
        // file and lay out a huge image and table, a character split by a cut at 300, too many
        // lines, and a short title with characters that read as markup.
        std::string title;
        if (kind == "markup") {
            title = "<img src='file:///etc/hostname' width=30000 height=30000><table>";
            for (int i = 0; i < 300; ++i)
                title += "<tr><td>토</td></tr>";
        } else if (kind == "cut") {
            title = std::string(299, 'a') + "\xf0\x9f\x98\x80" + std::string(10, 'b');
        } else if (kind == "lines") {
            for (int i = 1; i <= 20; ++i)
                title += "줄" + std::to_string(i) + "&#10;";
        } else if (kind == "short") {
            title = "A &amp; B <b>굵게</b>";
        } else {
            return std::nullopt;
        }
        return page("tooltip " + std::string(kind),
            "<div id=\"cover\" title=\"" + title
                + "\" style=\"position:fixed;left:0;top:0;width:100%;height:100%\">풍선</div>");
    }
    if (name == "storage")
        // Each way a page keeps data past itself; the title lists how each attempt ended.
        return page("storage",
            "<script>const seen = [];\n"
            "const note = s => { seen.push(s); if (seen.length === 5) document.title = seen.sort().join(' "
            "'); };\n"
            "try { localStorage.setItem('k', 'v'); note('local stored'); } catch (e) { note('local "
            "refused'); }\n"
            "try { const db = openDatabase('d', '1', 'd', 1 << 20);\n"
            "  db.transaction(t => t.executeSql('CREATE TABLE t (x)'), () => note('websql refused'),"
            " () => note('websql stored'));\n"
            "} catch (e) { note('websql refused'); }\n"
            "note(typeof indexedDB === 'undefined' ? 'indexeddb hidden' : 'indexeddb there');\n"
            "note(typeof caches === 'undefined' ? 'caches hidden' : 'caches there');\n"
            "navigator.serviceWorker.register('/hostile/worker.js')"
            ".then(() => note('worker registered'), () => note('worker refused'));</script>");
    if (name == "workerstore")
        // A dedicated worker, which no script of the embedding program reaches, fills IndexedDB
        // with 8 MiB of noise at a time for as long as it may.
        return page("workerstore",
            "<script>const source = `const chunk = new Uint8Array(8 << 20); let stored = 0;\n"
            "const open = indexedDB.open('fill', 1);\n"
            "open.onupgradeneeded = () => open.result.createObjectStore('s');\n"
            "open.onerror = () => postMessage('open refused');\n"
            "open.onsuccess = () => { const db = open.result; const put = () => {\n"
            "  for (let i = 0; i < chunk.length; i += 65536) crypto.getRandomValues(chunk.subarray(i, i + "
            "65536));\n"
            "  const t = db.transaction('s', 'readwrite'); t.objectStore('s').put(chunk, stored);\n"
            "  t.oncomplete = () => { ++stored; postMessage('stored ' + stored * 8 + ' MiB'); put(); };\n"
            "  t.onabort = () => postMessage('refused after ' + stored * 8 + ' MiB'); };\n"
            "  put(); };`;\n"
            "const worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' "
            "})));\n"
            "worker.onmessage = e => { document.title = e.data; };</script>");
    if (name == "blankwrite")
        // Opens an empty pop-up and writes a document into it from outside a second later.
        return page("blankwrite",
            "<script>const w = window.open('');\n"
            "setTimeout(() => { w.document.write('<title>written</title><p>적힌 글</p>'); "
            "w.document.close(); "
            "document.title = 'wrote'; }, 1000);</script>");
    if (name == "filesystem")
        // The sandboxed file systems, which a page fills without asking; the title says whether they
        // are there at all.
        return page("filesystem",
            "<script>const seen = [];\n"
            "const note = s => { seen.push(s); if (seen.length === 2) document.title = seen.sort().join(' "
            "'); "
            "};\n"
            "if (typeof webkitRequestFileSystem !== 'function') note('requestfilesystem hidden'); else\n"
            "  webkitRequestFileSystem(TEMPORARY, 1 << 30, fs => fs.root.getFile('fill', { create: true },"
            " f => f.createWriter(w => { w.onwriteend = () => note('requestfilesystem written');"
            " w.write(new Blob([new Uint8Array(8 << 20)])); }, () => note('requestfilesystem refused')),"
            " () => note('requestfilesystem refused')), () => note('requestfilesystem refused'));\n"
            "if (!navigator.storage || typeof navigator.storage.getDirectory !== 'function')"
            " note('getdirectory hidden'); else\n"
            "  navigator.storage.getDirectory().then(() => note('getdirectory there'),"
            " () => note('getdirectory refused'));</script>");
    if (name == "blobs")
        // 32 MiB more blob data every 100 ms: the blobs' bytes live in the browser's own process,
        // not the page's.
        return page("blobs",
            "<script>const held = [];\nsetInterval(() => { const b = new Uint8Array(32 << 20); b.fill(7);"
            " held.push(new Blob([b])); document.title = 'blobs ' + held.length * 32 + ' MiB'; }, 100);"
            "</script>");
    if (name == "framechurn")
        // A frame added and the oldest removed every 20 ms, 600 in all: each leaves bookkeeping in
        // the browser's process that it frees again.
        return page("framechurn",
            "<script>let made = 0;\nconst timer = setInterval(() => {\n"
            "  const f = document.createElement('iframe'); f.srcdoc = '<p>' + 'x'.repeat(4096) + '</p>';\n"
            "  document.body.appendChild(f); if (document.body.children.length > 4)"
            " document.body.removeChild(document.querySelector('iframe'));\n"
            "  if (++made === 600) { clearInterval(timer); document.title = 'churned'; } }, 20);</script>");
    if (name == "copy")
        // A click anywhere has the page put its own text on the clipboard.
        return page("copy",
            "<div id=\"cover\" style=\"position:fixed;left:0;top:0;width:100%;height:100%\">페이지 글</div>\n"
            "<script>document.addEventListener('copy', e => { e.clipboardData.setData('text/plain', "
            "'페이지가 넣은 글'); e.preventDefault(); });\n"
            "document.addEventListener('click', () => { document.title = 'copy ' + "
            "document.execCommand('copy'); "
            "});</script>");
    if (name == "spin")
        // Loads, then never gives its thread back.
        return page(
            "spin", "<script>setTimeout(() => { document.title = 'spinning'; for (;;) {} }, 200);</script>");
    if (name == "balloon")
        // 64 MiB more every 100 ms, each page touched so that it is resident.
        return page("balloon",
            "<script>const held = [];\nsetInterval(() => { const b = new Uint8Array(64 << 20); b.fill(1);"
            " held.push(b); document.title = 'held ' + held.length * 64 + ' MiB'; }, 100);</script>");
    if (name == "colour")
        return page("colour",
            "<input type=\"color\" id=\"cover\" value=\"#102030\""
            " onchange=\"document.title = 'picked ' + this.value\""
            " style=\"position:fixed;left:0;top:0;width:100%;height:100%\">");
    if (name == "battery")
        // Each battery query and reload has the engine write its own lines to stderr.
        return page("battery",
            "<script>navigator.getBattery().then(b => { document.title = 'battery ' + b.level; },"
            " () => { document.title = 'no battery'; });\nsetTimeout(() => location.reload(), 50);</script>");
    return std::nullopt;
}

std::string SineWav(int number)
{
    constexpr std::uint32_t sampleRate = 22050;
    constexpr std::uint32_t samples = sampleRate;
    constexpr std::uint32_t dataBytes = samples * 2;
    std::string wav = "RIFF";
    putLittleEndian(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    putLittleEndian(wav, 16, 4); // fmt chunk size
    putLittleEndian(wav, 1, 2); // PCM
    putLittleEndian(wav, 1, 2); // mono
    putLittleEndian(wav, sampleRate, 4);
    putLittleEndian(wav, sampleRate * 2, 4); // bytes per second
    putLittleEndian(wav, 2, 2); // block align
    putLittleEndian(wav, 16, 2); // bits per sample
    wav += "data";
    putLittleEndian(wav, dataBytes, 4);
    const double frequency = 440.0 * number;
    for (std::uint32_t s = 0; s < samples; ++s) {
        const double value = 0.25 * std::sin(2.0 * std::numbers::pi * frequency * s / sampleRate);
        const auto sample = static_cast<std::int16_t>(std::lround(value * 32767.0));
        putLittleEndian(wav, static_cast<std::uint16_t>(sample), 2);
    }
    return wav;
}

std::string ForCharset(std::string html, Charset charset)
{
    if (charset == Charset::Utf8)
        return html;
    static constexpr std::string_view utf8Meta = "<meta charset=\"utf-8\">";
    if (const auto at = html.find(utf8Meta); at != std::string::npos)
        html.replace(at, utf8Meta.size(), "<meta charset=\"euc-kr\">");
    return ToEucKr(html);
}

std::string HtmlContentType(Charset charset, bool declareInHeader)
{
    if (!declareInHeader)
        return "text/html";
    return charset == Charset::Utf8 ? "text/html; charset=utf-8" : "text/html; charset=euc-kr";
}

} // namespace pages

} // namespace sitesim
