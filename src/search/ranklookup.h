#pragma once

#include <string>
#include <string_view>

#include "search/resultlist.h"

namespace thornvale {

// Whether the row at 0-based index stands for the nickname on the server: whole text against
// whole text, exactly, no trimming, no case folding. The hints "닉네임" and "서버명" are
// compared like any text.
bool RankRowMatches(
    const ResultList &list, int row, std::u16string_view nickname, std::u16string_view server);

// The first matching row at or after `from`, or -1. Reads only rows the list holds now, so a list
// that a new search has shortened meanwhile is never read past its end.
int NextRankMatch(const ResultList &list, int from, std::u16string_view nickname, std::u16string_view server);

// "<n>번에 있습니다." for the 0-based row number n.
std::u16string RankMessage(int rowNumber);

inline constexpr std::u16string_view NicknameHint = u"닉네임";
inline constexpr std::u16string_view ServerHint = u"서버명";

} // namespace thornvale
