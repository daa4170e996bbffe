#include "search/ranklookup.h"

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
    const std::string digits = std::to_string(rowNumber);
    std::u16string text(digits.begin(), digits.end());
    text += u"번에 있습니다.";
    return text;
}

} // namespace thornvale
