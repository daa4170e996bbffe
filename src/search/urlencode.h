#pragma once

#include <string>
#include <string_view>

namespace thornvale {

// The name's UTF-8 bytes, every one of them written as "%" and upper-case hex without a leading
// zero: "abc" gives "%61%62%63", a tab "%9", 가 "%EA%B0%80". A surrogate pair gives the four-byte
// form; a lone surrogate gives the bytes of U+FFFD. The empty text gives the empty text.
std::u16string URLEncode(std::u16string_view text);

// The UTF-8 form of UTF-16 text, lone surrogates replaced by U+FFFD.
std::string ToUtf8(std::u16string_view text);

// UTF-16 from UTF-8; malformed sequences become U+FFFD.
std::u16string FromUtf8(std::string_view text);

} // namespace thornvale
