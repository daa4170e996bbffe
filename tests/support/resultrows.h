#pragma once

#include <string>
#include <vector>

#include "search/resultlist.h"

namespace thornvale::test {

// The cells of a row a test puts into a result list itself; the others stay empty. The empty
// initialisers let a row leave out the cells after the last it needs without a warning.
struct RowCells {
    std::u16string nickname {};
    std::u16string server {};
    std::u16string address {};
};

// Appends the rows, each numbered as the page run numbers them: by its 0-based place in the list.
inline void AppendRows(ResultList &list, const std::vector<RowCells> &rows)
{
    for (const RowCells &row : rows) {
        const std::string number = std::to_string(list.count());
        list.append(std::u16string(number.begin(), number.end()));
        list.setLastCell(ResultRow::Nickname, row.nickname);
        list.setLastCell(ResultRow::Server, row.server);
        list.setLastCell(ResultRow::Address, row.address);
    }
}

} // namespace thornvale::test
