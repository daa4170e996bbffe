#pragma once

#include <string>
#include <string_view>

namespace thornvale {

// Why a fetch brought no page, in the classes the user is told apart.
enum class FetchFailure {
    None,
    Unreachable, // connection refused, host not found
    TimedOut, // no complete answer before the deadline
    TooLarge, // past the size cap
    Incomplete, // the body was cut short or could not be unpacked
    NoAddress, // a result row without a character address: nothing was asked for
    HttpError, // a character page answered with a status of 400 or more
    Other,
};

// The cause in the user's words: "서버에 연결할 수 없습니다." and so on; for HttpError
// "서버가 오류로 답했습니다 (HTTP N)." with the status N.
std::u16string FailureCause(FetchFailure failure, int httpStatus = 0);

// A character page with a status of 400 or more is the server's refusal (a deleted character, a
// login wall), not a character without equipment.
inline bool IsHttpErrorStatus(int httpStatus)
{
    return httpStatus >= 400;
}

// "검색 결과 페이지 N개를 받지 못했습니다.", CR LF, the cause of the first failure.
std::u16string SearchFailureMessage(int failedPages, FetchFailure first);

// "캐릭터 정보를 받지 못했습니다.", CR LF, the cause.
std::u16string DetailFailureMessage(FetchFailure failure, int httpStatus = 0);

} // namespace thornvale
