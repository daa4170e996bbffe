#pragma once

// What the page benchmarks share: a page in both of its forms, and the floor a scraper is held to.
//
// The floor is the cheapest honest way to find the same markers: memmem over the page's UTF-8
// bytes, every non-overlapping occurrence, one full pass per marker the scraper uses. Scraper and
// floor report the same byte count (the page's UTF-8 size, as the site sends it), so their MB/s
// compare directly.

#include <benchmark/benchmark.h>

#include <string.h> // memmem

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/urlencode.h"

struct BenchPage {
    std::string utf8;
    std::u16string utf16; // what the scrapers get

    explicit BenchPage(std::string html)
        : utf8(std::move(html))
        , utf16(thornvale::FromUtf8(utf8))
    {
    }
};

inline std::vector<std::string> Utf8Markers(std::initializer_list<std::u16string_view> markers)
{
    std::vector<std::string> out;
    for (std::u16string_view marker : markers)
        out.push_back(thornvale::ToUtf8(marker));
    return out;
}

inline std::size_t MemmemFloor(std::string_view page, const std::vector<std::string> &markers)
{
    std::size_t hits = 0;
    for (const std::string &marker : markers) {
        const char *at = page.data();
        const char *const end = page.data() + page.size();
        while (
            const void *hit = memmem(at, static_cast<std::size_t>(end - at), marker.data(), marker.size())) {
            ++hits;
            at = static_cast<const char *>(hit) + marker.size();
        }
    }
    return hits;
}

inline void ReportPage(benchmark::State &state, const BenchPage &page)
{
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.utf8.size()));
    state.counters["utf8_bytes"] = static_cast<double>(page.utf8.size());
    state.counters["utf16_bytes"] = static_cast<double>(page.utf16.size() * sizeof(char16_t));
}

inline void RunFloor(benchmark::State &state, const BenchPage &page, const std::vector<std::string> &markers)
{
    for (auto _ : state) {
        std::size_t hits = MemmemFloor(page.utf8, markers);
        benchmark::DoNotOptimize(hits);
    }
    ReportPage(state, page);
    state.counters["markers"] = static_cast<double>(markers.size());
}
