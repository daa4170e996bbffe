#pragma once

// site-sim: a local HTTP server that serves pages in the game website's format, for the tests,
// the benchmarks and the demo. It runs in-process (start() on an ephemeral port, served from a
// background thread) or as the site-sim program.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sitesim {

enum class Charset {
    Utf8, // bodies in UTF-8, declared as charset=utf-8
    EucKr, // bodies really encoded in EUC-KR, declared as charset=euc-kr
};

// Faults the server can inject into search pages (and, with page 0, into every page it serves).
enum class Fault {
    None,
    ErrorStatus, // status 500 with an HTML error body (no heading marker)
    NoHeading, // status 200, a page of the right look but without the heading marker
    CloseMidBody, // headers and part of the body, then the connection is closed
    Hang, // sends nothing for a long time (far past any client time-out)
    Oversized, // a 200 page of 17 MiB
};

// One piece of equipment on a character page.
struct Item {
    std::string name;
    std::string grade; // one of Grades()
};

// One character of the synthetic roster. Texts are UTF-8.
struct Character {
    std::string name;
    std::string server;
    int level = 0;
    std::string job;
    std::string race;
    std::string key; // what follows the character-page base address in the anchor
    // What the search page shows besides; results come in descending score, which is roster order.
    int score = 0;

    // The character page. Some pages leave parts out on purpose, so the scraper meets every gap.
    std::vector<Item> items; // 0 to 25 item blocks
    std::string title; // shown only when hasTitle
    bool hasTitle = true;
    bool serverWithAt = true; // false: the page writes the server without its "@"
    std::vector<std::string> subParts; // spans of the sub-line: 3, 2, or 0 (no sub-line block at all)
    std::string expedition; // the third sub-line span when there is one
    bool hasClass = true; // false: no skills element, so no class on the page
};

// The eleven grades, in the order the item blocks cycle through them.
const std::vector<std::string> &Grades();

// Roster indices of the characters whose pages hold exactly these many item blocks.
inline constexpr std::size_t kWith25Items = 0;
inline constexpr std::size_t kWith12Items = 1;
inline constexpr std::size_t kWith5Items = 2;
inline constexpr std::size_t kWith3Items = 3;
inline constexpr std::size_t kWithNoItems = 4;
// Roster indices of the first characters whose pages leave one part out or whose anchors carry
// more than a bare key.
inline constexpr std::size_t kWithoutTitle = 4;
inline constexpr std::size_t kServerWithoutAt = 6;
inline constexpr std::size_t kWithoutSubLine = 7;
inline constexpr std::size_t kWithoutClass = 8;
inline constexpr std::size_t kAddressWithSlash = 50;
inline constexpr std::size_t kAddressWithQuery = 51;

// The deterministic roster: names in Hangul, Latin letters and digits. The same on every run.
const std::vector<Character> &Roster();

// The characters a search for keyword finds, in result order: those whose name contains the
// keyword (all of them for the empty keyword).
std::vector<Character> Matches(const std::string &keyword);

// The character a page address resolves to: the key with any trailing slash or query removed.
// Null for an unknown key.
const Character *FindCharacter(std::string_view key);

// The pages as served with the UTF-8 charset, for tests that scrape without a server.
// `page` is 1-based; characterBase goes in front of every key.
std::string SearchPageHtml(const std::string &keyword, long long page, const std::string &characterBase);
std::string CharacterPageHtml(const Character &character);

// UTF-8 to EUC-KR, as the server encodes its pages. A character EUC-KR lacks becomes an HTML
// numeric reference, as browsers submit and servers echo them; a broken UTF-8 sequence becomes "?".
std::string ToEucKr(std::string_view utf8);

struct Options {
    std::string host = "127.0.0.1";
    int port = 0; // 0: an ephemeral port
    Charset charset = Charset::Utf8;
    bool declareCharsetInHeader = true; // off: the charset is only declared by <meta charset>
    std::chrono::milliseconds latency { 0 };
    std::string statusBody = "1//thornvale";
    // When set, the music pages answer with a redirect here: the demo's music menu then plays the
    // hostile pages.
    std::string musicRedirect;
    // How long a Hang fault holds its request unless stop() comes first.
    std::chrono::milliseconds hangFor { 120000 };
};

class Server {
public:
    explicit Server(Options options = {});
    ~Server(); // stops the server
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Binds and starts serving on a background thread; false when the port cannot be bound.
    bool start();
    void stop();
    // Serves on the calling thread until stop() (the site-sim program).
    bool listenBlocking();

    int port() const;
    std::string baseUrl() const; // "http://127.0.0.1:<port>"
    std::string characterBase() const; // baseUrl() + "/characters/"
    std::string statusUrl() const; // baseUrl() + "/status"

    // Knobs that may change while serving.
    void setLatency(std::chrono::milliseconds latency);
    void setCharset(Charset charset, bool declareInHeader = true);
    void setStatusBody(std::string body);
    // The fault for search page `page` (1-based page key); page 0 means every request.
    void setFault(int page, Fault fault);
    // The fault for the status resource alone.
    void setStatusFault(Fault fault);
    void clearFaults();

    // The keyword of the last search request, percent-decoded: what the site saw of the name.
    std::string lastKeyword() const;

    // Counters since start (or the last reset).
    std::size_t connectionsAccepted() const;
    std::size_t requestsServed() const;
    void resetCounters();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace sitesim
