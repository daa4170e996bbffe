#include "config/siteconfig.h"

#include "siteconfig_defaults.h"

namespace thornvale {

std::u16string SiteConfig::searchAddressStart() const
{
    return searchBase + u"/search?keyword=";
}

std::u16string BuildDownloadUrl(
    std::u16string_view fileServer, std::u16string_view fileName, std::u16string_view fileSaved)
{
    std::u16string url(fileServer);
    url += u"/index.php?a=down&file_name=";
    url += fileName;
    url += u"&file_saved=";
    url += fileSaved;
    return url;
}

const SiteConfig &SiteConfig::compiledIn()
{
    static const SiteConfig config = [] {
        SiteConfig c;
        c.searchBase = THORNVALE_DEF_SEARCH_BASE;
        c.characterBase = THORNVALE_DEF_CHARACTER_BASE;
        c.statusUrl = THORNVALE_DEF_STATUS_URL;
        c.contactLine = THORNVALE_DEF_CONTACT_LINE;
        const std::u16string files = THORNVALE_DEF_FILE_SERVER;
        c.downloads = { {
            { THORNVALE_DEF_DOWN1_CAPTION,
                BuildDownloadUrl(files, THORNVALE_DEF_DOWN1_FILE, THORNVALE_DEF_DOWN1_SAVED) },
            { THORNVALE_DEF_DOWN2_CAPTION,
                BuildDownloadUrl(files, THORNVALE_DEF_DOWN2_FILE, THORNVALE_DEF_DOWN2_SAVED) },
            { THORNVALE_DEF_DOWN3_CAPTION,
                BuildDownloadUrl(files, THORNVALE_DEF_DOWN3_FILE, THORNVALE_DEF_DOWN3_SAVED) },
        } };
        c.invenUrl = THORNVALE_DEF_INVEN_URL;
        c.gongUrl = THORNVALE_DEF_GONG_URL;
        c.naverUrl = THORNVALE_DEF_NAVER_URL;
        c.musicUrls = { THORNVALE_DEF_MUSIC1_URL, THORNVALE_DEF_MUSIC2_URL, THORNVALE_DEF_MUSIC3_URL };
        return c;
    }();
    return config;
}

} // namespace thornvale
