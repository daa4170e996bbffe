#pragma once

#include <string>
#include <string_view>

namespace thornvale {

enum class ServiceState { Open, Closed, Unknown };

struct StatusDecision {
    ServiceState state = ServiceState::Unknown;
    std::u16string reason; // why the state is Unknown
};

// The operator's switch: the body's first "//"-separated field, read as a number (blanks around
// it, a sign, a fraction and an exponent accepted), opens the tool exactly when it equals 1. Any
// other number closes it. An empty body or a field that is no number is Unknown: the caller
// decides (the window starts as if open).
StatusDecision DecideServiceStatus(std::u16string_view body);

// The closed-service message: the fixed line, CR LF, the operator's contact line.
std::u16string ClosedServiceMessage(std::u16string_view contactLine);

} // namespace thornvale
