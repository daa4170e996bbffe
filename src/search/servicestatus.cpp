#include "search/servicestatus.h"

#include <charconv>
#include <string>

#include "search/splitpick.h"

namespace thornvale {

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

} // namespace

StatusDecision DecideServiceStatus(std::u16string_view body)
{
    const auto field = Piece(body, u"//", 0);
    if (!field)
        return { ServiceState::Unknown, u"the status body is empty" };

    std::u16string_view t = *field;
    while (!t.empty() && isBlank(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back()))
        t.remove_suffix(1);
    // A number is plain ASCII; anything wider cannot be one.
    std::string ascii;
    for (const char16_t c : t) {
        if (c > 0x7F)
            return { ServiceState::Unknown, u"the status field is not a number" };
        ascii += char(c);
    }
    // from_chars takes no leading "+", which the text-to-number reading of the field accepts.
    std::string_view digits = ascii;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-')
            return { ServiceState::Unknown, u"the status field is not a number" };
    }
    double value = 0;
    const auto [end, ec]
        = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    // from_chars accepts "inf" and "nan"; a status field of that kind is no number either.
    const bool special = digits.find_first_of("iInN") != std::string_view::npos;
    const bool whole = !digits.empty() && end == digits.data() + digits.size() && !special;
    // A number too large or too small for a double is still a number, and it is not 1.
    if (whole && ec == std::errc::result_out_of_range)
        return { ServiceState::Closed, {} };
    if (!whole || ec != std::errc())
        return { ServiceState::Unknown, u"the status field is not a number" };
    return { value == 1.0 ? ServiceState::Open : ServiceState::Closed, {} };
}

std::u16string ClosedServiceMessage(std::u16string_view contactLine)
{
    std::u16string text = u"현재 서버가 닫혀있는 상태입니다.";
    text += u"\r\n";
    text += contactLine;
    return text;
}

} // namespace thornvale
