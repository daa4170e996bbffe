// DecideServiceStatus: Open exactly when the first "//" field, blanks trimmed, is a decimal number
// that reads as 1; Closed for any other number, too large or too small for a double included;
// Unknown for an empty body or a field that is no number. The field is judged here by a grammar
// of its own and read with strtod, not from_chars.
//
// Input: UTF-16LE code units, so wide and lone units in the field are reached.

#include "fuzzsupport.h"

#include "search/servicestatus.h"

#include <cstdlib>

using namespace thornvale;
using namespace thornvale::fuzz;

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// [+-] then digits with an optional fraction (or a fraction alone), then an optional exponent.
bool isDecimalNumber(const std::string &s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == s.size();
}

ServiceState expectedState(std::u16string_view body)
{
    if (body.empty())
        return ServiceState::Unknown;
    std::u16string_view field = body.substr(0, body.find(u"//"));
    while (!field.empty() && isBlank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && isBlank(field.back()))
        field.remove_suffix(1);
    std::string ascii;
    for (const char16_t c : field) {
        if (c > 0x7F)
            return ServiceState::Unknown;
        ascii += char(c);
    }
    if (!isDecimalNumber(ascii))
        return ServiceState::Unknown;
    return std::strtod(ascii.c_str(), nullptr) == 1.0 ? ServiceState::Open : ServiceState::Closed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string body = Utf16Units(data, size);
    const StatusDecision decision = DecideServiceStatus(body);
    const ServiceState expected = expectedState(body);
    check(decision.state != ServiceState::Open || expected == ServiceState::Open,
        "Open only for a first field that reads as 1");
    check(decision.state == expected, "the state follows the first field");
    check((decision.state == ServiceState::Unknown) == !decision.reason.empty(),
        "a reason exactly for Unknown");
    return 0;
}
