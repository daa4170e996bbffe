#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace thornvale {

// One item block of a character page. Absent (nullopt) means the chain of markers leading to the
// field broke; that differs from the empty text.
struct EquipmentEntry {
    std::optional<std::u16string> name;
    std::optional<std::u16string> grade;

    bool operator==(const EquipmentEntry &) const = default;
};

// The most item blocks taken from one character page; the panel shows 20.
inline constexpr std::size_t MaxItemsPerPage = 1000;

struct CharacterDetail {
    std::vector<EquipmentEntry> items; // page order, at most MaxItemsPerPage
    std::optional<std::u16string> title;
    std::optional<std::u16string> server;
    std::array<std::u16string, 3> subParts; // level, race, expedition; never absent
    std::optional<std::u16string> job;
    std::size_t itemsDropped = 0; // item blocks past MaxItemsPerPage
    std::size_t fieldsCut = 0; // texts cut to MaxFieldLength (fieldbound.h)

    bool operator==(const CharacterDetail &) const = default;
};

namespace charmarkers {
inline constexpr std::u16string_view RegionStart = u"<div class=\"wrapper\">";
inline constexpr std::u16string_view RegionEnd = u"<footer id=\"footer\">";
inline constexpr std::u16string_view Item = u"<div class=\"wrap\">";
inline constexpr std::u16string_view Box = u"<div class=\"box\">";
inline constexpr std::u16string_view NameStart = u"strong>";
inline constexpr std::u16string_view TagEnd = u"</";
inline constexpr std::u16string_view GradeStart = u"등급\">";
inline constexpr std::u16string_view TitleStart = u"\"character_title\">";
inline constexpr std::u16string_view SpanEnd = u"</span>";
inline constexpr std::u16string_view ServerStart = u"character_server\">@";
inline constexpr std::u16string_view SubLineStart = u"character_sub\">";
inline constexpr std::u16string_view SubLineEnd = u"<div class=\"type\">";
inline constexpr std::u16string_view SpanStart = u"<span>";
inline constexpr std::u16string_view ClassStart = u"skills\"><strong>";
inline constexpr std::u16string_view ClassEnd = u"</strong";
inline constexpr std::u16string_view Separator = u" | ";
} // namespace charmarkers

// Scrapes a character page. Pure; an unavailable body is passed as the empty text. Every text is
// bounded as fieldbound.h says.
CharacterDetail ParseCharacterPage(std::u16string_view page);

// The level line of the panel: part 1, " | ", part 2, " | ", part 3, whatever the parts hold.
std::u16string JoinSubParts(const std::array<std::u16string, 3> &parts);

struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb &) const = default;
};

struct GradeColour {
    std::u16string_view grade;
    Rgb colour;
};

// The eleven grade texts and their nine colours ("영웅" and "전설" share one, so do "유물" and "신화").
extern const std::array<GradeColour, 11> GradeColours;

// The colour of a grade caption, compared whole text against whole text; nothing for any other
// caption (the reset text "등급" included).
std::optional<Rgb> GradeColourOf(std::u16string_view caption);

} // namespace thornvale
