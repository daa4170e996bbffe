#pragma once

#include <cstdint>

namespace thornvale {
class ResultTable;
struct CharacterDetail;
} // namespace thornvale

namespace thornvale::cli {

// A search's rows and page counter on stdout: a table with a closing count, or one line of JSON.
void printSearch(bool json, const ResultTable &list, std::int32_t counter);

// A character page's fields and equipment on stdout, the same two ways.
void printDetail(bool json, const CharacterDetail &detail);

} // namespace thornvale::cli
