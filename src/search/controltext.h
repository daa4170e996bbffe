#pragma once

#include <string>
#include <string_view>

namespace thornvale {

// Text that came from outside (a page, a header, a reply's error) made safe to write to a
// terminal: the C0 controls, DEL, the C1 controls and every bidi control (U+061C, U+200E, U+200F,
// U+202A to U+202E, U+2066 to U+2069) become visible escapes, so no page can move the cursor,
// retitle the window, clear the screen or reorder what the user reads. A character below U+0100
// becomes "\x" and two lower-case hex digits (ESC is "\x1b"), any other "\u" and four ("\u202e").
// Everything else stays as it is, a backslash too: this is for reading, not for parsing back.
std::u16string escapeControls(std::u16string_view text);

// The text with every lone surrogate replaced by U+FFFD. A page decoded from UTF-16 can hold
// them; JSON writers then emit "\ud800", which strict readers (jq among them) refuse.
std::u16string wellFormed(std::u16string_view text);

} // namespace thornvale
