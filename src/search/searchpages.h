#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "search/resultlist.h"

namespace thornvale {

// The three ways into a page run.
enum class SearchEntry {
    EnterSearch, // Enter in the name box: pages 1 to 10 (the key press has already reset the counter)
    FirstPages,  // "처음으로": counter set to 0, pages 1 to 10
    NextPages,   // "다음 페이지": the ten pages after the last one requested
};

// What one page fetch gives back: the body text, or why there is none.
struct PageBody {
    std::optional<std::u16string> text;
    std::u16string error;
};

// What became of one page of a run, for hosts that report it.
struct PageReport {
    enum class Outcome { Rows, FetchFailed, NoHeading };
    std::int32_t page = 0;
    std::u16string address;
    Outcome outcome = Outcome::Rows;
    std::u16string error; // the fetch failure's reason
    int rows = 0;
};

// What a page run needs from whoever hosts it: the window, the CLI or a test.
class SearchHost {
public:
    virtual ~SearchHost() = default;
    // The name as the user has it now. Read again for every page, so an edit during a run changes
    // the pages still to come.
    virtual std::u16string currentName() = 0;
    // Fetch an address and call done once with the outcome: right away or later from the event
    // loop. A host that drops a superseded run may never call it; the run is then simply over.
    virtual void fetchPage(const std::u16string &address, std::function<void(PageBody)> done) = 0;
    virtual void setCommand1Enabled(bool enabled) = 0;
    virtual void pageFinished(const PageReport &) {}
    virtual void runFinished() {}
};

// One page run: ten result pages, one after the other, each cut into rows appended to the list.
// A page that fails (no body, no heading marker) contributes no rows; the counter advances for
// every page all the same and the run always asks for all ten.
class SearchPages {
public:
    static constexpr int PagesPerRun = 10;

    SearchPages(SearchEntry entry, SearchHost &host, ResultList &list, std::int32_t &pageCounter,
                std::u16string addressStart, std::u16string characterBase);
    ~SearchPages();
    SearchPages(const SearchPages &) = delete;
    SearchPages &operator=(const SearchPages &) = delete;

    // Clears the list, sets the counter as the entry wants, and asks for the first page.
    void start();
    // The run asks for nothing more and appends nothing more; a page still in flight is ignored.
    void cancel();

    bool isFinished() const { return m_finished; }
    bool isRunning() const { return m_started && !m_finished; }
    SearchEntry entry() const { return m_entry; }

private:
    void requestNextPage();
    void takePage(std::int32_t page, const std::u16string &address, PageBody body);

    SearchEntry m_entry;
    SearchHost &m_host;
    ResultList &m_list;
    std::int32_t &m_pageCounter;
    std::u16string m_addressStart;
    std::u16string m_characterBase;
    int m_pagesRequested = 0;
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
