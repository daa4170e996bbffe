#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "search/fetchfailure.h"
#include "search/resultlist.h"
#include "search/resultpage.h"

namespace thornvale {

// The three ways into a page run.
enum class SearchEntry {
    EnterSearch, // Enter in the name box: pages 1 to 10 (the key press has already reset the counter)
    FirstPages, // "처음으로": counter set to 0, pages 1 to 10
    NextPages, // "다음 페이지": the ten pages after the last one requested
};

// What one page fetch gives back: the body text, or why there is none.
struct PageBody {
    std::optional<std::u16string> text;
    std::u16string error;
    FetchFailure failure = FetchFailure::None; // Other when a host does not say
    int httpStatus = 0; // 0 when no status line came
};

// What became of one page of a run, for hosts that report it.
struct PageReport {
    enum class Outcome { Rows, FetchFailed, NoHeading };
    std::int32_t page = 0;
    std::u16string address;
    Outcome outcome = Outcome::Rows;
    std::u16string error; // the fetch failure's reason
    FetchFailure failure = FetchFailure::None;
    int rows = 0;
    ScrapeCounts bounds; // what the page's bounds took away
};

// Stops a fetch still in flight; its callback is then never called. Empty when there is nothing
// left to stop.
using AbortFetch = std::function<void()>;

// What a page run needs from whoever hosts it: the window, the CLI or a test.
class SearchHost {
public:
    virtual ~SearchHost() = default;
    // The name as the user has it now. A run reads it once, at its start: an edit during the run
    // must not mix another name's pages into the list.
    virtual std::u16string currentName() = 0;
    // Fetch an address and call done once with the outcome: right away or later from the event
    // loop. The returned function aborts the fetch; after it, done is never called.
    virtual AbortFetch fetchPage(const std::u16string &address, std::function<void(PageBody)> done) = 0;
    virtual void setCommand1Enabled(bool enabled) = 0;
    virtual void pageFinished(const PageReport &) { }
    virtual void runFinished() { }
};

// One page run: ten result pages, each cut into rows appended to the list. The ten addresses are
// fixed when the run starts; the pages are fetched concurrently (at most MaxPagesInFlight at a
// time) and taken strictly in page order, so the list, the counter and Command1 go through exactly
// the states a one-by-one run would. A page that fails (no body, no heading marker) contributes no
// rows; the counter advances for every page all the same and the run always asks for all ten.
class SearchPages {
public:
    static constexpr int PagesPerRun = 10;
    // Browsers open six connections to one host; more would only queue at the server. With 1 the
    // run fetches one page after the other.
    static constexpr int MaxPagesInFlight = 6;

    SearchPages(SearchEntry entry, SearchHost &host, ResultList &list, std::int32_t &pageCounter,
        std::u16string addressStart, std::u16string characterBase);
    // Aborts every fetch still in flight.
    ~SearchPages();
    SearchPages(const SearchPages &) = delete;
    SearchPages &operator=(const SearchPages &) = delete;

    // Clears the list, sets the counter as the entry wants, reads the name and asks for the first
    // pages.
    void start();
    // The run aborts every fetch it has in flight, asks for nothing more and appends nothing more.
    void cancel();

    bool isFinished() const { return m_finished; }
    bool isRunning() const { return m_started && !m_finished; }
    SearchEntry entry() const { return m_entry; }

private:
    struct Slot {
        std::int32_t page = 0;
        std::u16string address;
        enum class State { Waiting, InFlight, Arrived } state = State::Waiting;
        AbortFetch abort;
        PageBody body;
    };

    // Takes every page that is next in order and has arrived, and keeps the fetches topped up.
    void pump();
    void request(Slot &slot);
    void arrived(std::size_t index, PageBody body);
    void takePage(Slot &slot);
    void abortInFlight();

    SearchEntry m_entry;
    SearchHost &m_host;
    ResultList &m_list;
    std::int32_t &m_pageCounter;
    std::u16string m_addressStart;
    std::u16string m_characterBase;
    std::array<Slot, PagesPerRun> m_slots;
    std::size_t m_nextRequest = 0;
    std::size_t m_nextTake = 0;
    int m_inFlight = 0;
    bool m_pumping = false;
    bool m_started = false;
    bool m_finished = false;
    // Shared with the page callbacks; points nowhere once the run is cancelled or destroyed, so a
    // page that lands after that does nothing.
    struct Token {
        SearchPages *run;
    };
    std::shared_ptr<Token> m_token;
};

} // namespace thornvale
