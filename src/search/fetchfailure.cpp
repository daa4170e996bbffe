#include "search/fetchfailure.h"

#include "search/decimal.h"

namespace thornvale {

std::u16string FailureCause(FetchFailure failure, int httpStatus)
{
    switch (failure) {
    case FetchFailure::HttpError:
        return u"서버가 오류로 답했습니다 (HTTP " + Decimal(httpStatus) + u").";
    case FetchFailure::Unreachable:
        return u"서버에 연결할 수 없습니다.";
    case FetchFailure::TimedOut:
        return u"응답 시간이 지났습니다.";
    case FetchFailure::TooLarge:
        return u"페이지가 너무 큽니다.";
    case FetchFailure::Incomplete:
        return u"페이지를 끝까지 받지 못했습니다.";
    case FetchFailure::NoAddress:
        return u"캐릭터 주소가 없습니다.";
    case FetchFailure::None:
    case FetchFailure::Other:
        break;
    }
    return u"네트워크 오류가 났습니다.";
}

std::u16string SearchFailureMessage(int failedPages, FetchFailure first)
{
    std::u16string text = u"검색 결과 페이지 ";
    text += Decimal(failedPages);
    text += u"개를 받지 못했습니다.\r\n";
    text += FailureCause(first);
    return text;
}

std::u16string DetailFailureMessage(FetchFailure failure, int httpStatus)
{
    std::u16string text = u"캐릭터 정보를 받지 못했습니다.\r\n";
    text += FailureCause(failure, httpStatus);
    return text;
}

} // namespace thornvale
