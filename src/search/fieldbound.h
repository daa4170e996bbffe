#pragma once

// How long a scraped field may be. The site's nicknames, servers and item names are a few dozen
// characters; a page whose field runs on for megabytes is no character, and copying it whole into
// every row, label, table cell and JSON string is what let one hostile search page take gigabytes
// and stall the window for minutes. The bounds are far past any real page and still readable.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace thornvale {

// A text field: nickname, server, level, class, race, title, item name, grade, sub-line part.
inline constexpr std::size_t MaxFieldLength = 256;
// A character-page address, base included. Longer ones are dropped, never cut: a cut address is
// another address, and would fetch some other page.
inline constexpr std::size_t MaxAddressLength = 4096;

// The first `limit` UTF-16 units of text, one fewer where the cut would split a surrogate pair.
std::u16string_view CutAtCharacter(std::u16string_view text, std::size_t limit);

// Owned copies of scraped fields, bounded as they are taken; counts what it had to cut.
class FieldBounds {
public:
    // The field cut to MaxFieldLength.
    std::u16string text(std::u16string_view field);
    std::optional<std::u16string> text(std::optional<std::u16string_view> field);
    // base + key, or the empty text (no address) when that is longer than MaxAddressLength.
    std::u16string address(std::u16string_view base, std::u16string_view key);

    std::size_t fieldsCut() const { return m_fieldsCut; }
    std::size_t addressesDropped() const { return m_addressesDropped; }

private:
    std::size_t m_fieldsCut = 0;
    std::size_t m_addressesDropped = 0;
};

} // namespace thornvale
