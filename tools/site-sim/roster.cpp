#include "site-sim/sitesim.h"

#include <array>
#include <map>

namespace sitesim {

namespace {

constexpr std::size_t kRosterSize = 137;

// Only syllables of the KS X 1001 set, so every page can also be served in EUC-KR.
constexpr std::array<const char *, 16> kPrefixes = { "검은", "푸른", "붉은", "하얀", "작은", "큰", "새벽",
    "달빛", "별빛", "바람", "구름", "불꽃", "얼음", "그림자", "은빛", "황금" };
constexpr std::array<const char *, 16> kNouns = { "달", "별", "숲", "강", "산", "늑대", "호랑이", "여우",
    "용", "매", "곰", "사자", "기사", "사냥꾼", "마녀", "방랑자" };
constexpr std::array<const char *, 16> kLatin = { "Arin", "Bela", "Cyrus", "Dane", "Elra", "Fenn", "Gale",
    "Hana", "Ivo", "Jora", "Keld", "Lumi", "Mira", "Nox", "Orin", "Pax" };
constexpr std::array<const char *, 6> kServers
    = { "가시골", "이슬언덕", "잿빛나루", "은방울숲", "물푸레", "서리재" };
constexpr std::array<const char *, 7> kJobs
    = { "잿불검객", "덩굴술사", "늪지기", "이슬치유사", "바람추적자", "돌방패병", "가시창병" };
constexpr std::array<const char *, 3> kRaces = { "골짜기인", "가시요정", "바위혈족" };
constexpr std::array<const char *, 8> kTitles = { "용맹한 자", "숲의 수호자", "별을 쫓는 자", "강철의 의지",
    "새벽의 기사", "황금 사냥꾼", "심연을 본 자", "전장의 지배자" };
constexpr std::array<const char *, 5> kExpeditions
    = { "새벽원정대", "달빛원정대", "강철원정대", "푸른원정대", "황금원정대" };
constexpr std::array<const char *, 8> kItemAdjectives
    = { "낡은", "견고한", "빛나는", "고대의", "불타는", "차가운", "영웅의", "신비한" };
constexpr std::array<const char *, 12> kItemKinds = { "장검", "투구", "갑옷", "장갑", "신발", "목걸이",
    "귀걸이", "반지", "방패", "장궁", "지팡이", "망토" };

// Every sixth character carries "토른", 23 in all: a search for it fills three pages, the last
// one short.
std::string nameOf(std::size_t i)
{
    // One nickname of twelve syllables, longer than the detail panel leaves room for.
    if (i == 9)
        return "가시골짜기이슬을모으는자";
    if (i % 6 == 1) {
        const std::size_t k = i / 6;
        switch (k % 3) {
        case 0:
            return "토른전사" + std::to_string(12 + k);
        case 1:
            return std::string(kPrefixes[k % 16]) + "토른";
        default:
            return "토른" + std::string(kLatin[k % 16]);
        }
    }
    if (i % 4 == 0)
        return kLatin[(i / 4) % 16] + std::to_string(i);
    if (i % 4 == 2) {
        // Each pair of words comes up once; index 2 is "검은달".
        const std::size_t p = i / 4;
        return std::string(kPrefixes[p % 16]) + kNouns[(p * 5 + p / 16) % 16];
    }
    return kNouns[(i / 2) % 16] + std::to_string(i);
}

std::string keyOf(std::size_t i)
{
    std::string key = std::to_string(i);
    key = "c" + std::string(4 - key.size(), '0') + key;
    // Two anchors carry more than a bare key, as the site's own links sometimes do; the page
    // address keeps them and must still resolve.
    if (i == kAddressWithSlash)
        key += "/";
    else if (i == kAddressWithQuery)
        key += "?tab=equip";
    return key;
}

std::size_t itemCountOf(std::size_t i)
{
    constexpr std::array<std::size_t, 5> fixed = { 25, 12, 5, 3, 0 };
    return i < fixed.size() ? fixed[i] : (i * 7 + 3) % 26;
}

Character makeCharacter(std::size_t i)
{
    Character c;
    c.name = nameOf(i);
    // Offsets keep a search that hits every n-th name from showing one server and one race.
    c.server = kServers[(i + i / kServers.size()) % kServers.size()];
    c.level = 1 + static_cast<int>((i * 37) % 70);
    c.job = kJobs[i % kJobs.size()];
    c.race = kRaces[(i + i / kRaces.size()) % kRaces.size()];
    c.key = keyOf(i);
    c.score = 98000 - static_cast<int>(i) * 613;

    const std::size_t itemCount = itemCountOf(i);
    for (std::size_t j = 0; j < itemCount; ++j) {
        std::string itemName = std::string(kItemAdjectives[(i + j) % kItemAdjectives.size()]) + " "
            + kItemKinds[j % kItemKinds.size()];
        if (j >= kItemKinds.size())
            itemName += j >= 2 * kItemKinds.size() ? " III" : " II";
        c.items.push_back({ itemName, Grades()[(i + j) % Grades().size()] });
    }

    c.title = kTitles[i % kTitles.size()];
    c.hasTitle = i % 9 != 4;
    c.serverWithAt = i % 11 != 6;
    c.expedition = kExpeditions[i % kExpeditions.size()];
    if (i % 13 == 7) {
        // no sub-line block at all
    } else if (i % 13 == 3) {
        c.subParts = { std::to_string(c.level) + "레벨", c.race };
    } else {
        c.subParts = { std::to_string(c.level) + "레벨", c.race, c.expedition };
    }
    c.hasClass = i % 10 != 8;
    return c;
}

std::string_view lookupKey(std::string_view key)
{
    key = key.substr(0, key.find('?'));
    while (!key.empty() && key.back() == '/')
        key.remove_suffix(1);
    return key;
}

} // namespace

const std::vector<std::string> &Grades()
{
    static const std::vector<std::string> grades
        = { "일반", "고급", "희귀", "고대", "영웅", "유일", "유물", "경이", "서사", "전설", "신화" };
    return grades;
}

const std::vector<Character> &Roster()
{
    static const std::vector<Character> roster = [] {
        std::vector<Character> characters;
        characters.reserve(kRosterSize);
        for (std::size_t i = 0; i < kRosterSize; ++i)
            characters.push_back(makeCharacter(i));
        return characters;
    }();
    return roster;
}

std::vector<Character> Matches(const std::string &keyword)
{
    std::vector<Character> found;
    for (const Character &c : Roster()) {
        if (c.name.find(keyword) != std::string::npos)
            found.push_back(c);
    }
    return found;
}

const Character *FindCharacter(std::string_view key)
{
    static const std::map<std::string, const Character *, std::less<>> byKey = [] {
        std::map<std::string, const Character *, std::less<>> index;
        for (const Character &c : Roster())
            index.emplace(std::string(lookupKey(c.key)), &c);
        return index;
    }();
    const auto it = byKey.find(lookupKey(key));
    return it == byKey.end() ? nullptr : it->second;
}

} // namespace sitesim
