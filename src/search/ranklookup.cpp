#include "search/ranklookup.h"

#include "search/decimal.h"

namespace thornvale {

bool RankRowMatches(const ResultList &list, int row, std::u16string_view nickname, std::u16string_view server)
{
    return list.cell(row, ResultRow::Server) == server && list.cell(row, ResultRow::Nickname) == nickname;
}

int NextRankMatch(const ResultList &list, int from, std::u16string_view nickname, std::u16string_view server)
{
    for (int row = from < 0 ? 0 : from; row < list.count(); ++row) {
        if (RankRowMatches(list, row, nickname, server))
            return row;
    }
    return -1;
}

std::u16string RankMessage(int rowNumber)
{
    std::u16string text = Decimal(rowNumber);
    text += u"번에 있습니다.";
    return text;
}

} // namespace thornvale
