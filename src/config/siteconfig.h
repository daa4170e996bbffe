#pragma once

#include <array>
#include <string>

namespace thornvale {

// One utility of the "유틸리티" menu: its caption and its download address.
struct Download {
    std::u16string caption;
    std::u16string url;
};

// Every address and operator text the program uses. compiledIn() gives the values fixed at build
// time; the CLI may override the three search-side addresses, the window never does.
struct SiteConfig {
    std::u16string searchBase; // scheme and host; "/search?keyword=" follows
    std::u16string characterBase; // ends in "/characters/"
    std::u16string statusUrl;
    std::u16string contactLine;
    std::array<Download, 3> downloads;
    std::u16string invenUrl;
    std::u16string gongUrl;
    std::u16string naverUrl;
    std::array<std::u16string, 3> musicUrls;

    // searchBase followed by "/search?keyword=": everything before the encoded name.
    std::u16string searchAddressStart() const;

    static const SiteConfig &compiledIn();
};

// ".../index.php?a=down&file_name=<file>&file_saved=<saved>" on the file server.
std::u16string BuildDownloadUrl(
    std::u16string_view fileServer, std::u16string_view fileName, std::u16string_view fileSaved);

} // namespace thornvale
