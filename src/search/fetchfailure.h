#pragma once

#include <string>
#include <string_view>

namespace thornvale {

// Why a fetch brought no page, in the classes the user is told apart.
enum class FetchFailure {
    None,
    Unreachable, // connection refused, host not found
    TimedOut,    // no complete answer before the deadline
    TooLarge,    // past the size cap
    Incomplete,  // the body was cut short or could not be unpacked
    NoAddress,   // a result row without a character address: nothing was asked for
    Other,
};

// The cause in the user's words: "서버에 연결할 수 없습니다." and so on.
std::u16string_view FailureCause(FetchFailure failure);

// "검색 결과 페이지 N개를 받지 못했습니다.", CR LF, the cause of the first failure.
std::u16string SearchFailureMessage(int failedPages, FetchFailure first);

// "캐릭터 정보를 받지 못했습니다.", CR LF, the cause.
std::u16string DetailFailureMessage(FetchFailure failure);

} // namespace thornvale
