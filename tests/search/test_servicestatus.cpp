#include <gtest/gtest.h>

#include <string>

#include "search/servicestatus.h"

using namespace thornvale;

namespace {

struct StatusCase {
    const char *name;
    std::u16string body;
    ServiceState expected;
};

class StatusTest : public ::testing::TestWithParam<StatusCase> { };

TEST_P(StatusTest, Decides)
{
    const auto d = DecideServiceStatus(GetParam().body);
    EXPECT_EQ(d.state, GetParam().expected);
    EXPECT_EQ(d.reason.empty(), d.state != ServiceState::Unknown);
}

INSTANTIATE_TEST_SUITE_P(Bodies, StatusTest,
    ::testing::Values(StatusCase { "one_alone", u"1", ServiceState::Open },
        StatusCase { "one_then_rest", u"1//notice//whatever", ServiceState::Open },
        StatusCase { "zero_then_one", u"0//1", ServiceState::Closed },
        StatusCase { "one_point_zero", u"1.0", ServiceState::Open },
        StatusCase { "blanks_around", u"  1 \r\n//x", ServiceState::Open },
        StatusCase { "plus_sign", u"+1", ServiceState::Open },
        StatusCase { "exponent", u"0.1e1", ServiceState::Open },
        StatusCase { "two", u"2", ServiceState::Closed },
        StatusCase { "minus_one", u"-1", ServiceState::Closed },
        StatusCase { "one_and_a_half", u"1.5", ServiceState::Closed },
        StatusCase { "zero", u"0", ServiceState::Closed },
        StatusCase { "empty_body", u"", ServiceState::Unknown },
        StatusCase { "separator_first", u"//1", ServiceState::Unknown },
        StatusCase { "blank_field", u"   //1", ServiceState::Unknown },
        StatusCase { "not_a_number", u"abc", ServiceState::Unknown },
        StatusCase { "number_then_junk", u"1abc", ServiceState::Unknown },
        StatusCase { "html_error_page", u"<html>502 Bad Gateway</html>", ServiceState::Unknown },
        StatusCase { "two_signs", u"+-1", ServiceState::Unknown },
        StatusCase { "infinity", u"inf", ServiceState::Unknown },
        StatusCase { "nan", u"nan", ServiceState::Unknown },
        StatusCase { "full_width_digit", u"１", ServiceState::Unknown },
        StatusCase { "too_large_for_a_double", u"1e999", ServiceState::Closed },
        StatusCase { "too_small_for_a_double", u"1e-999", ServiceState::Closed }),
    [](const auto &testRow) { return std::string(testRow.param.name); });

TEST(ServiceStatus, HugeBodyIsDecidedByItsFirstField)
{
    std::u16string body = u"1//";
    body.append(1 << 20, u'x');
    EXPECT_EQ(DecideServiceStatus(body).state, ServiceState::Open);
    EXPECT_EQ(DecideServiceStatus(std::u16string(1 << 20, u'7')).state, ServiceState::Closed);
}

TEST(ServiceStatus, ClosedMessageIsTwoLinesJoinedByCrLf)
{
    EXPECT_EQ(ClosedServiceMessage(u"문의: 운영자"), u"현재 서버가 닫혀있는 상태입니다.\r\n문의: 운영자");
}

} // namespace
